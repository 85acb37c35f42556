#include "TitleRoom.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace velmora::platform {

int titleRoom(const QString &title)
{
    // The title bar's own font is the window manager's; take the bold
    // interface font as its measure, plus room for the icon and buttons.
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + 140;
}

} // namespace velmora::platform
