#include "FlushPacer.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QTest>
#include <QWidget>

#include <memory>

using velmora::mainwindow::FlushPacer;

namespace {

// Counts its paintings and remembers the last value it painted.
class Canvas : public QWidget
{
public:
    int paints = 0;
    int value = 0;
    int painted = -1;

protected:
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        painted = value;
    }
};

// A shown window whose flushes are paced.
std::unique_ptr<Canvas> pacedCanvas()
{
    auto canvas = std::make_unique<Canvas>();
    new FlushPacer(canvas.get());
    canvas->resize(200, 100);
    canvas->show();
    return canvas;
}

} // namespace

// Many changes one event apart reach the screen together, and the last
// change always does.
class tst_FlushPacer : public QObject
{
    Q_OBJECT

private slots:
    void changesWithinAFrameShareOnePainting();
    void lastChangeIsPaintedWhenChangesStop();
    void quietWindowPaintsAtOnce();
};

void tst_FlushPacer::changesWithinAFrameShareOnePainting()
{
    const auto paced = pacedCanvas();
    Canvas &canvas = *paced;
    QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    QTest::qWait(50);
    const int before = canvas.paints;
    // 200 changes, each in an event loop pass of its own, in about 100 ms.
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= 200; ++i) {
        canvas.value = i;
        canvas.update();
        QCoreApplication::processEvents();
        if (i % 10 == 0)
            QTest::qWait(5);
    }
    const qint64 spent = clock.elapsed();
    QTest::qWait(60);
    const int paints = canvas.paints - before;
    // Without pacing every pass paints: 200 paintings.
    QVERIFY2(paints <= spent / FlushPacer::FrameMs + 3,
             qPrintable(QStringLiteral("%1 paintings in %2 ms").arg(paints).arg(spent)));
    QCOMPARE(canvas.painted, 200);
}

void tst_FlushPacer::lastChangeIsPaintedWhenChangesStop()
{
    const auto paced = pacedCanvas();
    Canvas &canvas = *paced;
    QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    // Two changes right after each other: the second is held, not lost.
    canvas.value = 1;
    canvas.update();
    QCoreApplication::processEvents();
    canvas.value = 2;
    canvas.update();
    QCoreApplication::processEvents();
    QTRY_COMPARE_WITH_TIMEOUT(canvas.painted, 2, 1000);
}

void tst_FlushPacer::quietWindowPaintsAtOnce()
{
    const auto paced = pacedCanvas();
    Canvas &canvas = *paced;
    QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    QTest::qWait(100);
    // A change after a quiet while goes out in the same pass, not a frame later.
    canvas.value = 7;
    canvas.update();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(canvas.painted, 7);
}

QTEST_MAIN(tst_FlushPacer)
#include "tst_flushpacer.moc"
