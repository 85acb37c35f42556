#include "Bar.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <limits>

using velmora::mainwindow::Bar;
using velmora::mainwindow::litSegments;

namespace {

constexpr int Keep = -1; // the bar keeps what it showed

// Which segments the painted bar shows, read from its pixels.
QList<bool> paintedSegments(Bar &bar)
{
    QImage image(bar.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    bar.render(&image);
    QList<bool> lit;
    for (int i = 0; i < Bar::Segments; ++i) {
        const QColor c = image.pixelColor(Bar::segmentRect(i, bar.size()).center());
        lit.append(c.green() > 120 && c.red() < 100 && c.blue() < 120);
    }
    return lit;
}

QList<bool> firstLit(int k)
{
    QList<bool> lit;
    for (int i = 0; i < Bar::Segments; ++i)
        lit.append(i < k);
    return lit;
}

} // namespace

class TestBar : public QObject
{
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
    void paintShowsTheFirstSegments_data();
    void paintShowsTheFirstSegments();
    void valuePastMaxKeepsLastDisplay();
    void newBarStartsEmptyAtZeroOfHundred();
    void storedPropertiesLoadWithoutDrawing();
    void settingNotifiesTheContainer();
};

void TestBar::rule_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<qint32>("max");
    QTest::addColumn<int>("lit");

    const qint32 big = std::numeric_limits<qint32>::max();
    const qint32 low = std::numeric_limits<qint32>::min();
    QTest::newRow("0 of 0") << 0 << 0 << 0;
    QTest::newRow("negative of 0") << -5 << 0 << 0;
    QTest::newRow("positive of 0") << 5 << 0 << Keep;
    QTest::newRow("0 of 100") << 0 << 100 << 0;
    QTest::newRow("1 of 100 is below one segment") << 1 << 100 << 0;
    QTest::newRow("5 of 100") << 5 << 100 << 1;
    QTest::newRow("half") << 50 << 100 << 12;
    QTest::newRow("99 of 100 truncates") << 99 << 100 << 23;
    QTest::newRow("full") << 100 << 100 << 24;
    QTest::newRow("past max") << 150 << 100 << Keep;
    QTest::newRow("negative value") << -30 << 100 << 0;
    QTest::newRow("most negative value") << low << 1 << 0;
    QTest::newRow("both at the top") << big << big << 24;
    QTest::newRow("one third") << 1 << 3 << 8;
    QTest::newRow("negative max above value caps at all") << -20 << -10 << 24;
}

void TestBar::rule()
{
    QFETCH(qint32, value);
    QFETCH(qint32, max);
    QFETCH(int, lit);
    const std::optional<int> shown = litSegments(value, max);
    if (lit == Keep) {
        QVERIFY(!shown.has_value());
    } else {
        QVERIFY(shown.has_value());
        QCOMPARE(*shown, lit);
    }
}

void TestBar::paintShowsTheFirstSegments_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<qint32>("max");
    QTest::addColumn<int>("lit");

    QTest::newRow("none") << 0 << 100 << 0;
    QTest::newRow("one") << 5 << 100 << 1;
    QTest::newRow("half") << 50 << 100 << 12;
    QTest::newRow("almost") << 99 << 100 << 23;
    QTest::newRow("all") << 7 << 7 << 24;
}

void TestBar::paintShowsTheFirstSegments()
{
    QFETCH(qint32, value);
    QFETCH(qint32, max);
    QFETCH(int, lit);

    Bar bar;
    bar.resize(bar.sizeHint());
    bar.setMax(max);
    bar.setValue(value);
    QCOMPARE(bar.shownSegments(), lit);
    QCOMPARE(paintedSegments(bar), firstLit(lit));
}

void TestBar::valuePastMaxKeepsLastDisplay()
{
    Bar bar;
    bar.resize(bar.sizeHint());
    bar.setValue(50);
    QCOMPARE(paintedSegments(bar), firstLit(12));

    bar.setValue(150);
    QCOMPARE(bar.value(), 150);
    QCOMPARE(bar.shownSegments(), 12);
    QCOMPARE(paintedSegments(bar), firstLit(12));

    // Once max catches up the bar follows again.
    bar.setMax(200);
    QCOMPARE(paintedSegments(bar), firstLit(18));
}

void TestBar::newBarStartsEmptyAtZeroOfHundred()
{
    Bar bar;
    bar.resize(bar.sizeHint());
    QCOMPARE(bar.value(), 0);
    QCOMPARE(bar.max(), 100);
    QCOMPARE(paintedSegments(bar), firstLit(0));

    const QVariantMap bag = bar.writeProperties();
    QCOMPARE(bag.value(QStringLiteral("value")), QVariant(0));
    QCOMPARE(bag.value(QStringLiteral("max")), QVariant(100));
}

void TestBar::storedPropertiesLoadWithoutDrawing()
{
    Bar bar;
    bar.resize(bar.sizeHint());
    bar.setValue(50);

    bar.readProperties({{QStringLiteral("value"), 100}, {QStringLiteral("max"), 100}});
    QCOMPARE(bar.value(), 100);
    QCOMPARE(paintedSegments(bar), firstLit(12));
    // Reading max redraws from the loaded values.
    QCOMPARE(bar.max(), 100);
    QCOMPARE(paintedSegments(bar), firstLit(24));

    Bar other;
    other.setMax(40);
    other.setValue(7);
    other.readProperties({});
    QCOMPARE(other.value(), 0);
    QCOMPARE(other.max(), 100);

    Bar copy;
    copy.readProperties(bar.writeProperties());
    QCOMPARE(copy.value(), 100);
    QCOMPARE(copy.max(), 100);
    QCOMPARE(copy.shownSegments(), 24);
}

void TestBar::settingNotifiesTheContainer()
{
    Bar bar;
    QSignalSpy spy(&bar, &Bar::propertyChanged);
    bar.setValue(3);
    bar.setMax(9);
    bar.setValue(150); // past max: still stored and reported
    QCOMPARE(spy.count(), 3);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("value"));
    QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("max"));
    QCOMPARE(spy.at(2).at(0).toString(), QStringLiteral("value"));
    QCOMPARE(bar.property("value").toInt(), 150);
}

QTEST_MAIN(TestBar)
#include "tst_bar.moc"
