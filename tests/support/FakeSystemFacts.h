#pragma once

#include "Services.h"

#include <QList>
#include <QStringList>

namespace velmora::platform {

// System facts a test sets. The end of the process is only recorded.
class FakeSystemFacts final : public SystemFacts
{
public:
    QSize screenPixels() const override { return screen; }
    int twipsPerPixelX() const override { return twipsX; }
    int twipsPerPixelY() const override { return twipsY; }
    // With foregroundWindow set, only that window is foreground; otherwise
    // every window is while foreground is true.
    bool isForegroundWindow(const QWidget *window) const override;
    QMargins frameBeforeShow(QWidget *) override { return frame; }
    QString systemDirectory() const override { return systemDir; }
    bool isWinNT() const override { return winNT; }
    MemoryStatus memoryStatus() const override;
    bool openInSystemBrowser(const QString &url) override;
    void terminateProcess(int exitCode) override { exitCodes.append(exitCode); }

    QSize screen{1280, 1024};
    int twipsX = 15;
    int twipsY = 15;
    QMargins frame;
    bool foreground = true;
    const QWidget *foregroundWindow = nullptr;
    QString systemDir = QStringLiteral("C:\\WINDOWS\\System32");
    bool winNT = false;
    MemoryStatus memory{quint64(1) << 30, quint64(1) << 29, 50};
    bool openSucceeds = true;

    mutable int memoryQueries = 0;
    QStringList openedInSystemBrowser;
    QList<int> exitCodes;
};

} // namespace velmora::platform
