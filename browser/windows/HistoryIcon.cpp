#include "HistoryIcon.h"

#include <QPainter>
#include <QPixmap>

namespace velmora::windows {

QIcon historyIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1F, 0x4E, 0x9A), 1.5));
    painter.setBrush(QColor(0xE8, 0xF1, 0xFF));
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    painter.drawLine(QPointF(8, 8), QPointF(8, 4));
    painter.drawLine(QPointF(8, 8), QPointF(11, 9.5));
    painter.end();
    return QIcon(pixmap);
}

} // namespace velmora::windows
