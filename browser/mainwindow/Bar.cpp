#include "Bar.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velmora::mainwindow {

namespace {

const QString ValueKey = QStringLiteral("value");
const QString MaxKey = QStringLiteral("max");
constexpr qint32 DefaultValue = 0;
constexpr qint32 DefaultMax = 100;

void paintSegment(QPainter &p, const QRectF &r)
{
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0.0, QColor(0xa8, 0xf0, 0xa0));
    fill.setColorAt(0.45, QColor(0x2f, 0xb0, 0x4a));
    fill.setColorAt(1.0, QColor(0x17, 0x6a, 0x2c));
    p.setPen(QColor(0x10, 0x4d, 0x20));
    p.setBrush(fill);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace

std::optional<int> litSegments(qint32 value, qint32 max)
{
    if (max < value)
        return std::nullopt;
    // The working value is single precision, as the bar has always drawn.
    float fraction = 0.0f;
    if (max != 0)
        fraction = static_cast<float>(static_cast<double>(value) / static_cast<double>(max));
    fraction = std::trunc(fraction * static_cast<float>(Bar::Segments));
    // Segment i shows exactly when fraction > i.
    int shown = 0;
    while (shown < Bar::Segments && fraction > static_cast<float>(shown))
        ++shown;
    return shown;
}

Bar::Bar(QWidget *parent) : QWidget(parent)
{
    // A new bar shows nothing and starts from 0 of 100.
    drawBar();
    setMax(DefaultMax);
    setValue(DefaultValue);
}

void Bar::setValue(qint32 New_value)
{
    m_value = New_value;
    emit propertyChanged(ValueKey);
    drawBar();
}

qint32 Bar::max()
{
    drawBar();
    return m_max;
}

void Bar::setMax(qint32 New_max)
{
    m_max = New_max;
    emit propertyChanged(MaxKey);
    drawBar();
}

void Bar::readProperties(const QVariantMap &bag)
{
    m_value = bag.value(ValueKey, DefaultValue).toInt();
    m_max = bag.value(MaxKey, DefaultMax).toInt();
}

QVariantMap Bar::writeProperties() const
{
    QVariantMap bag;
    bag.insert(ValueKey, m_value);
    bag.insert(MaxKey, m_max);
    return bag;
}

QRect Bar::segmentRect(int i, const QSize &size)
{
    const int slot = std::max(1, size.width() / Segments);
    const int gap = slot >= 3 ? 1 : 0;
    const int inset = size.height() >= 6 ? 2 : 0;
    return QRect(i * slot, inset, slot - gap, std::max(1, size.height() - 2 * inset));
}

QSize Bar::sizeHint() const
{
    return QSize(171, 21);
}

QSize Bar::minimumSizeHint() const
{
    return QSize(Segments * 3, 8);
}

void Bar::drawBar()
{
    const std::optional<int> shown = litSegments(m_value, m_max);
    if (!shown)
        return;
    if (*shown != m_shown) {
        m_shown = *shown;
        update();
    }
}

void Bar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (int i = 0; i < m_shown; ++i)
        paintSegment(p, segmentRect(i, size()));
}

} // namespace velmora::mainwindow
