#include "BenchTable.h"

#include <QTextStream>

#include <algorithm>

namespace velmora::bench {

namespace {

struct Row
{
    Figure figure;
    const char *label;
    const char *key; // for the progress log
    const char *unit;
    int decimals;
};

const Row rows[] = {
    {Figure::StartUp, "start to the first page loaded (exec to its load beacon)", "start", "ms", 0},
    {Figure::NewTab, "one new tab (window.open) to its page loaded", "new tab", "ms", 0},
    {Figure::TabSwitch, "tab switch", "switch", "ms", 1},
    {Figure::BurstTime, "20 pop-ups at once, to the 20th page loaded", "burst", "ms", 0},
    {Figure::BurstCpu, "20 pop-ups at once, CPU of the whole tree", "burst CPU", "s", 2},
    {Figure::Memory1, "memory (PSS of the tree), 1 tab", "mem 1", "MB", 0},
    {Figure::Memory20, "memory, 20 tabs", "mem 20", "MB", 0},
    {Figure::PerTab, "memory per further tab (1 to 20 tabs)", "per tab", "MB", 1},
    {Figure::Memory100, "memory, 100 tabs", "mem 100", "MB", 0},
    {Figure::Memory1000, "memory after 1000 tabs opened and closed (1 open)", "mem after 1000", "MB", 0},
    {Figure::Above1, "of which above 1 open tab (worst run)", "above 1", "MB", 0},
    {Figure::IdleCpu, "idle CPU with 20 tabs", "idle CPU %", "% of a core", 2},
    {Figure::Session, "100-record session, to all tabs created", "session", "ms", 0},
};

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QList<double> valuesOf(const QList<Figures> &runs, Figure figure)
{
    QList<double> values;
    for (const Figures &run : runs) {
        if (run.contains(figure))
            values.append(run.value(figure));
    }
    return values;
}

QString cell(const QList<double> &values, const Row &row)
{
    if (values.isEmpty())
        return QStringLiteral("not measured");
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    QString text = number(median(values), row.decimals) + u' ' + QString::fromUtf8(row.unit);
    if (values.size() > 1)
        text += QStringLiteral(" (%1-%2)").arg(number(*low, row.decimals),
                                               number(*high, row.decimals));
    return text;
}

Figures withDerived(Figures f)
{
    if (f.contains(Figure::Memory1) && f.contains(Figure::Memory20))
        f[Figure::PerTab] = (f[Figure::Memory20] - f[Figure::Memory1]) / 19.0;
    return f;
}

} // namespace

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype mid = values.size() / 2;
    return values.size() % 2 ? values.at(mid) : (values.at(mid - 1) + values.at(mid)) / 2;
}

QString describe(const Figures &raw)
{
    const Figures figures = withDerived(raw);
    QStringList parts;
    for (const Row &row : rows) {
        if (figures.contains(row.figure))
            parts << QString::fromUtf8(row.key) + u' '
                         + number(figures.value(row.figure), row.decimals);
    }
    return parts.isEmpty() ? QStringLiteral("no figures") : parts.join(QStringLiteral("; "));
}

void printTable(QTextStream &out, const QList<Figures> &velmoraRuns,
                const QList<Figures> &baselineRuns, int idleSeconds)
{
    QList<Figures> velmora;
    QList<Figures> baseline;
    for (const Figures &f : velmoraRuns)
        velmora.append(withDerived(f));
    for (const Figures &f : baselineRuns)
        baseline.append(withDerived(f));

    out << "| work | Velmora | bare Qt WebEngine | ratio |\n|---|---|---|---|\n";
    for (const Row &row : rows) {
        QString label = QString::fromUtf8(row.label);
        if (row.figure == Figure::IdleCpu)
            label += QStringLiteral(" over %1 s").arg(idleSeconds);
        QList<double> v = valuesOf(velmora, row.figure);
        QList<double> b = valuesOf(baseline, row.figure);
        if (row.figure == Figure::Above1) {
            // The worst run counts: the bound must hold on every run.
            if (!v.isEmpty())
                v = {*std::max_element(v.begin(), v.end())};
            if (!b.isEmpty())
                b = {*std::max_element(b.begin(), b.end())};
        }
        QList<double> ratios;
        for (qsizetype i = 0; i < std::min(velmora.size(), baseline.size()); ++i) {
            if (velmora.at(i).contains(row.figure) && baseline.at(i).contains(row.figure)
                && baseline.at(i).value(row.figure) > 0)
                ratios.append(velmora.at(i).value(row.figure) / baseline.at(i).value(row.figure));
        }
        const bool ratioMeaningful = row.figure != Figure::Above1;
        out << "| " << label << " | " << cell(v, row) << " | " << cell(b, row) << " | "
            << (ratios.isEmpty() || !ratioMeaningful ? QStringLiteral("-")
                                                     : number(median(ratios), 2))
            << " |\n";
    }
    out.flush();
}

} // namespace velmora::bench
