#include "FakeSystemFacts.h"

#include <QWidget>

namespace velmora::platform {

bool FakeSystemFacts::isForegroundWindow(const QWidget *window) const
{
    if (!window)
        return false;
    if (foregroundWindow)
        return window->window() == foregroundWindow->window();
    return foreground;
}

MemoryStatus FakeSystemFacts::memoryStatus() const
{
    ++memoryQueries;
    return memory;
}

bool FakeSystemFacts::openInSystemBrowser(const QString &url)
{
    openedInSystemBrowser.append(url);
    return openSucceeds;
}

} // namespace velmora::platform
