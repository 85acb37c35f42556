#pragma once

#include <QVariantMap>
#include <QWidget>

#include <optional>

namespace velmora::mainwindow {

// How many of the bar's segments show for value / max, or nothing when value
// runs past max, in which case the bar keeps what it showed last.
std::optional<int> litSegments(qint32 value, qint32 max);

// The program's own progress bar: a row of segments of which the first k
// show, k in proportion to value / max.
class Bar : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(qint32 value READ value WRITE setValue)
    Q_PROPERTY(qint32 max READ max WRITE setMax)
public:
    static constexpr int Segments = 24;
    static constexpr int DispIdMax = 0x68030000;
    static constexpr int DispIdValue = 0x68030001;

    explicit Bar(QWidget *parent = nullptr);

    qint32 value() const { return m_value; }
    void setValue(qint32 New_value);
    // Redraws from the current values before it answers.
    qint32 max();
    void setMax(qint32 New_max);

    // Number of segments showing now.
    int shownSegments() const { return m_shown; }

    // Stored properties: loading them does not redraw.
    void readProperties(const QVariantMap &bag);
    QVariantMap writeProperties() const;

    // Where segment i lies in a bar of the given size.
    static QRect segmentRect(int i, const QSize &size);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A property the container stores changed: "value" or "max".
    void propertyChanged(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawBar();

    qint32 m_value = 0;
    qint32 m_max = 0;
    int m_shown = 0;
};

} // namespace velmora::mainwindow
