#include "Clicks.h"

#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QStringList>

namespace velmora::bench {

namespace {

QString run(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(5000))
        return {};
    return QString::fromLatin1(p.readAllStandardOutput());
}

// Geometry from `xdotool getwindowgeometry --shell`.
QRect geometryOf(const QString &window)
{
    int x = 0, y = 0, w = 0, h = 0;
    const QString text = run({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    for (const QString &line : text.split(u'\n')) {
        const int value = line.section(u'=', 1).toInt();
        if (line.startsWith(QStringLiteral("X=")))
            x = value;
        else if (line.startsWith(QStringLiteral("Y=")))
            y = value;
        else if (line.startsWith(QStringLiteral("WIDTH=")))
            w = value;
        else if (line.startsWith(QStringLiteral("HEIGHT=")))
            h = value;
    }
    return QRect(x, y, w, h);
}

} // namespace

bool xdotoolAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
           && qEnvironmentVariableIsSet("DISPLAY");
}

Window mainWindowOf(int pid)
{
    const QStringList windows =
        run({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
             QString::number(pid)})
            .split(u'\n', Qt::SkipEmptyParts);
    Window best;
    for (const QString &id : windows) {
        const QRect r = geometryOf(id);
        if (r.width() * r.height() > best.rect.width() * best.rect.height())
            best = {id, r};
    }
    return best;
}

void clickIn(const Window &window, QPoint at)
{
    const int x = at.x() >= 0 ? at.x() : window.rect.width() + at.x();
    const int y = at.y() >= 0 ? at.y() : window.rect.height() + at.y();
    run({QStringLiteral("mousemove"), QStringLiteral("--window"), window.id, QString::number(x),
         QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
}

} // namespace velmora::bench
