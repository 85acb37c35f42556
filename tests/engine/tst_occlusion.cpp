// Which pages are wholly covered by another page stacked above them.

#include "EngineOcclusion.h"

#include <QTest>
#include <QWidget>

#include <memory>

using velmora::platform::coveredWidgets;

class tst_Occlusion : public QObject
{
    Q_OBJECT
private slots:
    void stacking_data();
    void stacking();
    void raisingUncovers();
    void otherParentsDoNotCover();
};

// Widgets are created bottom to top; each row gives their rectangles, which
// are shown, and which are expected covered.
void tst_Occlusion::stacking_data()
{
    QTest::addColumn<QList<QRect>>("rects");
    QTest::addColumn<QList<bool>>("shown");
    QTest::addColumn<QList<bool>>("covered");

    const QRect page(0, 80, 1000, 700);
    QTest::newRow("the page below the top one") << QList<QRect>{page, page}
                                                << QList<bool>{true, true}
                                                << QList<bool>{true, false};
    QTest::newRow("a smaller page above covers nothing")
        << QList<QRect>{page, page.adjusted(0, 0, -1, 0)} << QList<bool>{true, true}
        << QList<bool>{false, false};
    QTest::newRow("a hidden page above covers nothing") << QList<QRect>{page, page}
                                                        << QList<bool>{true, false}
                                                        << QList<bool>{false, false};
    QTest::newRow("a closed page below is not covered") << QList<QRect>{page, page}
                                                        << QList<bool>{false, true}
                                                        << QList<bool>{false, false};
    QTest::newRow("three pages: only the top shows")
        << QList<QRect>{page, page, page} << QList<bool>{true, true, true}
        << QList<bool>{true, true, false};
    QTest::newRow("two halves side by side do not cover the whole")
        << QList<QRect>{page, QRect(0, 80, 500, 700), QRect(500, 80, 500, 700)}
        << QList<bool>{true, true, true} << QList<bool>{false, false, false};
}

void tst_Occlusion::stacking()
{
    QFETCH(QList<QRect>, rects);
    QFETCH(QList<bool>, shown);
    QFETCH(QList<bool>, covered);

    QWidget form;
    QList<QWidget *> widgets;
    for (qsizetype i = 0; i < rects.size(); ++i) {
        auto *w = new QWidget(&form);
        w->setGeometry(rects.at(i));
        w->setVisible(shown.at(i));
        widgets.append(w);
    }
    QCOMPARE(coveredWidgets(widgets), covered);
}

void tst_Occlusion::raisingUncovers()
{
    QWidget form;
    auto *first = new QWidget(&form);
    auto *second = new QWidget(&form);
    for (QWidget *w : {first, second})
        w->setGeometry(0, 0, 300, 200);
    // The list order is not the stacking order.
    QCOMPARE(coveredWidgets({second, first}), (QList<bool>{false, true}));
    first->raise();
    QCOMPARE(coveredWidgets({second, first}), (QList<bool>{true, false}));
}

void tst_Occlusion::otherParentsDoNotCover()
{
    QWidget one;
    QWidget two;
    auto *below = new QWidget(&one);
    auto *above = new QWidget(&two);
    below->setGeometry(0, 0, 300, 200);
    above->setGeometry(0, 0, 300, 200);
    QCOMPARE(coveredWidgets({below, above, nullptr}), (QList<bool>{false, false, false}));
}

QTEST_MAIN(tst_Occlusion)
#include "tst_occlusion.moc"
