#pragma once

#include <QList>

#include <functional>

class QWidget;

namespace velmora::platform {

// Which of these sibling widgets are wholly covered by another of them that
// is shown and stacked above. A tab's page is stacked under the current one
// and would otherwise go on rendering every frame; a covered page is hidden
// from the engine, as a background tab is. Widgets that are not shown are
// never covered and cover nothing. The result is in the order of widgets.
QList<bool> coveredWidgets(const QList<QWidget *> &widgets);

// True when the widget's window is on screen. Otherwise false, and then is
// called once the window first shows (once per window, however often asked).
// A page first shown in a window the window manager then frames and sizes
// again would be laid out and drawn twice.
bool windowOnScreen(QWidget *widget, const std::function<void()> &then);

} // namespace velmora::platform
