#pragma once

#include <QList>

class QWidget;

namespace velmora::platform {

// Which of these sibling widgets are wholly covered by another of them that
// is shown and stacked above. A tab's page is stacked under the current one
// and would otherwise go on rendering every frame; a covered page is hidden
// from the engine, as a background tab is. Widgets that are not shown are
// never covered and cover nothing. The result is in the order of widgets.
QList<bool> coveredWidgets(const QList<QWidget *> &widgets);

} // namespace velmora::platform
