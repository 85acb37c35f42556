#include "ProcessTree.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>

#include <unistd.h>

namespace velmora::bench {

namespace {

// The fields after the command name of /proc/<pid>/stat.
QList<QByteArray> statFields(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return {};
    return line.mid(close + 2).split(' ');
}

} // namespace

QList<int> processTree(int root)
{
    QHash<int, QList<int>> children;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok)
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 1)
            children[fields.at(1).toInt()].append(pid);
    }
    QList<int> tree{root};
    for (int i = 0; i < tree.size(); ++i)
        tree.append(children.value(tree.at(i)));
    return tree;
}

double treeMemoryMB(int root)
{
    qint64 kb = 0;
    // A negative root stands for that one process alone.
    for (int pid : root < 0 ? QList<int>{-root} : processTree(root)) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss:"))
                kb += line.mid(4).trimmed().split(' ').first().toLongLong();
        }
    }
    return kb / 1024.0;
}

double treeCpuSeconds(int root)
{
    qint64 ticks = 0;
    for (int pid : processTree(root)) {
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 12)
            ticks += fields.at(11).toLongLong() + fields.at(12).toLongLong();
    }
    return ticks / double(sysconf(_SC_CLK_TCK));
}

} // namespace velmora::bench
