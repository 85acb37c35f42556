#pragma once

#include <QList>
#include <QMap>
#include <QString>

class QTextStream;

namespace velmora::bench {

enum class Figure {
    StartUp,
    NewTab,
    TabSwitch,
    BurstTime,
    BurstCpu,
    Memory1,
    Memory20,
    PerTab,
    Memory100,
    Memory1000,
    Above1,
    IdleCpu,
    Session,
};

// The figures of one run of one program; a figure not reached is missing.
using Figures = QMap<Figure, double>;

double median(QList<double> values);
// One line with every figure of a run, for the progress log.
QString describe(const Figures &figures);
// The markdown table: for each figure the median and range of both programs
// and the median of the ratios of runs paired in order.
void printTable(QTextStream &out, const QList<Figures> &velmora, const QList<Figures> &baseline,
                int idleSeconds);

} // namespace velmora::bench
