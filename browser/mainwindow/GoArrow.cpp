#include "GoArrow.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velmora::mainwindow {

namespace {

// Drawn at whatever size the button asks for, so it stays sharp on any screen.
class GoArrowEngine : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const double s = std::min(rect.width(), rect.height());
        const QPointF o(rect.x() + (rect.width() - s) / 2.0, rect.y() + (rect.height() - s) / 2.0);
        QPainterPath arrow;
        arrow.moveTo(o + QPointF(0.08 * s, 0.36 * s));
        arrow.lineTo(o + QPointF(0.50 * s, 0.36 * s));
        arrow.lineTo(o + QPointF(0.50 * s, 0.14 * s));
        arrow.lineTo(o + QPointF(0.92 * s, 0.50 * s));
        arrow.lineTo(o + QPointF(0.50 * s, 0.86 * s));
        arrow.lineTo(o + QPointF(0.50 * s, 0.64 * s));
        arrow.lineTo(o + QPointF(0.08 * s, 0.64 * s));
        arrow.closeSubpath();

        const bool enabled = mode != QIcon::Disabled;
        QColor fill = enabled ? QColor(0x2e, 0x9e, 0x3c) : QColor(0xa0, 0xa0, 0xa0);
        if (mode == QIcon::Active || mode == QIcon::Selected)
            fill = fill.lighter(115);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(enabled ? QColor(0x1d, 0x6b, 0x27) : QColor(0x80, 0x80, 0x80),
                             std::max(1.0, s / 16.0), Qt::SolidLine, Qt::RoundCap,
                             Qt::RoundJoin));
        painter->setBrush(fill);
        painter->drawPath(arrow);
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new GoArrowEngine; }
};

} // namespace

QIcon goArrowIcon()
{
    return QIcon(new GoArrowEngine);
}

} // namespace velmora::mainwindow
