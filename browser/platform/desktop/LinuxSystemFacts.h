#pragma once

#include "Services.h"

#include <QByteArray>
#include <QStringList>

namespace velmora::platform {

// Facts of this desktop session. Memory figures come from the kernel's
// meminfo file; the low-memory watch runs here (isWinNT is false).
class LinuxSystemFacts final : public SystemFacts
{
public:
    explicit LinuxSystemFacts(const QString &meminfoPath = QStringLiteral("/proc/meminfo"));

    QSize screenPixels() const override;
    int twipsPerPixelX() const override;
    int twipsPerPixelY() const override;
    bool isForegroundWindow(const QWidget *window) const override;
    QMargins frameBeforeShow(QWidget *window) override;
    QString systemDirectory() const override;
    bool isWinNT() const override;
    MemoryStatus memoryStatus() const override;
    bool openInSystemBrowser(const QString &url) override;
    [[noreturn]] void terminateProcess(int exitCode) override;

    // MemTotal and MemAvailable (kB) of a meminfo text, in bytes, and the
    // percent in use. Without MemAvailable, MemFree counts as available.
    static MemoryStatus parseMeminfo(const QByteArray &text);
    // Whether the desktop has a browser for a web address: one named by the
    // BROWSER variable, the desktop's default handler of the scheme, or a
    // known browser in the search path.
    static bool hasWebBrowser(const QString &browserVariable, const QString &defaultHandler,
                              const QStringList &searchPath);

private:
    QString m_meminfoPath;
};

} // namespace velmora::platform
