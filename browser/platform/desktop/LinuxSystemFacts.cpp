#include "LinuxSystemFacts.h"

#include "X11Windows.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace velmora::platform {

namespace {

int twipsPerPixel(qreal dotsPerInch)
{
    return dotsPerInch > 0 ? int(std::lround(1440.0 / dotsPerInch)) : 15;
}

} // namespace

LinuxSystemFacts::LinuxSystemFacts(const QString &meminfoPath)
    : m_meminfoPath(meminfoPath)
{
}

QSize LinuxSystemFacts::screenPixels() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

int LinuxSystemFacts::twipsPerPixelX() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 0);
}

int LinuxSystemFacts::twipsPerPixelY() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return twipsPerPixel(screen ? screen->logicalDotsPerInchY() : 0);
}

bool LinuxSystemFacts::isForegroundWindow(const QWidget *window) const
{
    return window && QApplication::activeWindow()
           && QApplication::activeWindow() == window->window();
}

QMargins LinuxSystemFacts::frameBeforeShow(QWidget *window)
{
    return frameExtentsBeforeShow(window);
}

QString LinuxSystemFacts::systemDirectory() const
{
    return QLibraryInfo::path(QLibraryInfo::LibrariesPath);
}

bool LinuxSystemFacts::isWinNT() const
{
    return false;
}

MemoryStatus LinuxSystemFacts::parseMeminfo(const QByteArray &text)
{
    quint64 total = 0;
    quint64 available = 0;
    quint64 free = 0;
    bool haveAvailable = false;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon);
        const QByteArray value = line.mid(colon + 1).simplified();
        const quint64 kilobytes = value.left(value.indexOf(' ')).toULongLong();
        if (key == "MemTotal")
            total = kilobytes * 1024;
        else if (key == "MemAvailable") {
            available = kilobytes * 1024;
            haveAvailable = true;
        } else if (key == "MemFree")
            free = kilobytes * 1024;
    }
    MemoryStatus status;
    status.totalPhysical = total;
    status.availablePhysical = std::min(haveAvailable ? available : free, total);
    if (total > 0)
        status.memoryLoad = int(std::lround(100.0 * double(total - status.availablePhysical)
                                            / double(total)));
    return status;
}

MemoryStatus LinuxSystemFacts::memoryStatus() const
{
    QFile file(m_meminfoPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMeminfo(file.readAll());
}

bool LinuxSystemFacts::hasWebBrowser(const QString &browserVariable,
                                     const QString &defaultHandler, const QStringList &searchPath)
{
    if (!browserVariable.trimmed().isEmpty() || !defaultHandler.trimmed().isEmpty())
        return true;
    static const QStringList known{
        QStringLiteral("x-www-browser"), QStringLiteral("firefox"),
        QStringLiteral("firefox-esr"),   QStringLiteral("chromium"),
        QStringLiteral("google-chrome"), QStringLiteral("epiphany"),
        QStringLiteral("konqueror"),     QStringLiteral("falkon"),
        QStringLiteral("qutebrowser"),   QStringLiteral("midori")};
    for (const QString &name : known) {
        if (!QStandardPaths::findExecutable(name, searchPath).isEmpty())
            return true;
    }
    return false;
}

bool LinuxSystemFacts::openInSystemBrowser(const QString &url)
{
    const QUrl address = QUrl::fromUserInput(url);
    if (!address.isValid())
        return false;
    // The opener starts even when no browser is behind it, and the page
    // would be lost: a web address needs a browser first.
    const QString scheme = address.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        QString handler;
        const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (!query.isEmpty()) {
            QProcess process;
            process.start(query, {QStringLiteral("query"), QStringLiteral("default"),
                                  QStringLiteral("x-scheme-handler/") + scheme});
            if (process.waitForFinished(2000))
                handler = QString::fromLocal8Bit(process.readAllStandardOutput());
        }
        const QStringList path =
            qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
        if (!hasWebBrowser(qEnvironmentVariable("BROWSER"), handler, path))
            return false;
    }
    return QDesktopServices::openUrl(address);
}

void LinuxSystemFacts::terminateProcess(int exitCode)
{
    std::fflush(nullptr);
    ::_exit(exitCode);
}

} // namespace velmora::platform
