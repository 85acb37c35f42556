#include "RuntimeError.h"
#include "TabHelpers.h"

#include <TabstripP.h>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QPointer>
#include <QSet>
#include <QTest>
#include <QToolBar>

#include <memory>

using namespace velmora::services;

namespace {

// A row of tabs 0..count-1 as the host builds it (one append at a time),
// with the given numbers closed.
std::unique_ptr<kelvane::TabstripP> makeRow(int count, const QList<int> &hidden)
{
    auto row = std::make_unique<kelvane::TabstripP>();
    while (row->tabs().toInt() < count)
        row->setTabs(row->tabs().toInt() + 1);
    for (int n : hidden)
        row->setTabVisible(n, false);
    return row;
}

// Reads like the tab row but fails where told to.
struct FakeRow
{
    int count = 0;
    QSet<int> hidden;
    QSet<int> failing;
    bool tabsFails = false;

    QVariant tabs() const
    {
        if (tabsFails)
            throw kelvane::CallError(kelvane::CallError::IndexOutOfBounds, "tabs");
        return count;
    }
    bool tabVisible(const QVariant &index) const
    {
        const int n = index.toInt();
        if (failing.contains(n))
            throw kelvane::CallError(kelvane::CallError::IndexOutOfBounds, "tabVisible");
        return !hidden.contains(n);
    }
};

constexpr int Untouched = -7;

TabMaps filledMaps()
{
    TabMaps maps;
    maps.posToTab.fill(Untouched);
    maps.tabToPos.fill(Untouched);
    return maps;
}

// A secondary window: closing only hides it unless MU is set.
class HidingWindow : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool MU MEMBER MU)
public:
    bool MU = false;
    bool sawMU = false;
    bool sawAppClosing = false;
    const bool *appClosing = nullptr;
    QPointer<QWidget> takesAlong;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        sawMU = MU;
        sawAppClosing = appClosing && *appClosing;
        delete takesAlong.data();
        if (MU) {
            event->accept();
        } else {
            event->ignore();
            hide();
        }
    }
};

// Refuses to close whatever it is told.
class StubbornWindow : public QWidget
{
    Q_OBJECT
public:
    int closeCalls = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeCalls;
        event->ignore();
    }
};

struct ToolbarFixture
{
    QWidget window;
    QToolBar *toolbar = new QToolBar(&window);
    QCheckBox *check1 = new QCheckBox(&window);
    QCheckBox *check2 = new QCheckBox(&window);
    QCheckBox *check3 = new QCheckBox(&window);
    QWidget *mb = new QWidget(&window);
    QWidget *ie = new QWidget(&window);

    ToolbarFixture()
    {
        for (int k = 1; k <= 10; ++k) {
            QAction *a = toolbar->addAction(QStringLiteral("default %1").arg(k));
            a->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(k));
        }
        for (QWidget *w : {static_cast<QWidget *>(check1), static_cast<QWidget *>(check2),
                           static_cast<QWidget *>(check3), mb, ie})
            w->move(0, 3);
        check2->move(200, 3);
    }
    ToolbarParts parts() const { return {toolbar, check1, check2, check3, mb, ie}; }
};

QString caption(int n)
{
    return QStringLiteral("message %1").arg(n);
}

} // namespace

class TestTabHelpers : public QObject
{
    Q_OBJECT

private slots:
    void visibleTabsAndMaps_data();
    void visibleTabsAndMaps();
    void findNextVisibleTab_data();
    void findNextVisibleTab();
    void otherVisibleTabWithNoneVisibleIsZero();
    void findingPassesFailuresOn();
    void countingAndMappingSkipFailingSteps();
    void scanPastLastVisibleFallsBackToHighest();

    void toolbarPositions_data();
    void toolbarPositions();
    void layoutToolbarSetsCaptionsAndPlaces_data();
    void layoutToolbarSetsCaptionsAndPlaces();
    void placeToolbarChecksMovesOnlyTheChecks();
    void toolbarFailuresPassOn();

    void unloadOtherFormsUnloadsAllButMain();
};

void TestTabHelpers::visibleTabsAndMaps_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("hidden");
    QTest::addColumn<QList<int>>("visible");

    QTest::newRow("0 and 2 of 0..4 closed") << 5 << QList<int>{0, 2} << QList<int>{1, 3, 4};
    QTest::newRow("fresh row") << 1 << QList<int>{} << QList<int>{0};
    QTest::newRow("none closed") << 4 << QList<int>{} << QList<int>{0, 1, 2, 3};
    QTest::newRow("highest closed") << 5 << QList<int>{4} << QList<int>{0, 1, 2, 3};
    QTest::newRow("a run in the middle") << 6 << QList<int>{1, 2, 3} << QList<int>{0, 4, 5};
    QTest::newRow("all closed") << 3 << QList<int>{0, 1, 2} << QList<int>{};
}

void TestTabHelpers::visibleTabsAndMaps()
{
    QFETCH(int, count);
    QFETCH(QList<int>, hidden);
    QFETCH(QList<int>, visible);
    const auto row = makeRow(count, hidden);

    QCOMPARE(countVisibleTabs(*row), int(visible.size()));

    TabMaps maps = filledMaps();
    mapPositionsToTabs(*row, maps);
    mapTabsToPositions(*row, maps);
    for (int p = 0; p < visible.size(); ++p) {
        QCOMPARE(maps.posToTab[p], visible[p]);
        QCOMPARE(maps.tabToPos[visible[p]], p);
    }
    // Stale entries are left alone.
    QCOMPARE(maps.posToTab[std::size_t(visible.size())], Untouched);
    for (int n : hidden)
        QCOMPARE(maps.tabToPos[n], Untouched);
}

void TestTabHelpers::findNextVisibleTab_data()
{
    QTest::addColumn<QList<int>>("hidden");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("expected");

    const QList<int> zeroAndTwo{0, 2};
    QTest::newRow("closed 2 -> next visible") << zeroAndTwo << 2 << 3;
    QTest::newRow("closed 0 -> 1") << zeroAndTwo << 0 << 1;
    QTest::newRow("visible n itself") << zeroAndTwo << 4 << 4;
    QTest::newRow("past the row -> highest") << zeroAndTwo << 7 << 4;
    QTest::newRow("far past the row") << zeroAndTwo << 1000 << 4;
    const QList<int> zeroTwoFour{0, 2, 4};
    QTest::newRow("highest closed too") << zeroTwoFour << 4 << 3;
    QTest::newRow("past the row, highest closed") << zeroTwoFour << 7 << 3;
    QTest::newRow("closed run -> after it") << QList<int>{1, 2, 3} << 1 << 4;
    QTest::newRow("top two closed -> back down") << QList<int>{3, 4} << 3 << 2;
}

void TestTabHelpers::findNextVisibleTab()
{
    QFETCH(QList<int>, hidden);
    QFETCH(int, n);
    QFETCH(int, expected);
    const auto row = makeRow(5, hidden);
    QCOMPARE(velmora::services::findNextVisibleTab(*row, n), expected);
}

void TestTabHelpers::otherVisibleTabWithNoneVisibleIsZero()
{
    const auto row = makeRow(3, {0, 1, 2});
    QCOMPARE(findOtherVisibleTab(*row), 0);
    QCOMPARE(velmora::services::findNextVisibleTab(*row, 1), 0);
    const auto some = makeRow(5, {4, 1});
    QCOMPARE(findOtherVisibleTab(*some), 3);
}

void TestTabHelpers::findingPassesFailuresOn()
{
    // The real row rejects numbers outside 0..1000.
    const auto row = makeRow(3, {});
    try {
        velmora::services::findNextVisibleTab(*row, -1);
        QFAIL("a failing tabVisible must reach the caller");
    } catch (const kelvane::CallError &e) {
        QCOMPARE(e.number(), kelvane::CallError::SubscriptOutOfRange);
    }

    FakeRow fake{5, {}, {3}, false};
    QVERIFY_THROWS_EXCEPTION(kelvane::CallError, tabrow::findNextVisibleTab(fake, 3));
    fake.tabsFails = true;
    QVERIFY_THROWS_EXCEPTION(kelvane::CallError, tabrow::findOtherVisibleTab(fake));
    QVERIFY_THROWS_EXCEPTION(kelvane::CallError, tabrow::findNextVisibleTab(fake, 0));
}

void TestTabHelpers::countingAndMappingSkipFailingSteps()
{
    FakeRow fake{5, {0}, {2}, false};
    QCOMPARE(tabrow::countVisibleTabs(fake), 3);

    TabMaps maps = filledMaps();
    tabrow::mapPositionsToTabs(fake, maps);
    tabrow::mapTabsToPositions(fake, maps);
    QCOMPARE(maps.posToTab[0], 1);
    QCOMPARE(maps.posToTab[1], 3);
    QCOMPARE(maps.posToTab[2], 4);
    QCOMPARE(maps.posToTab[3], Untouched);
    QCOMPARE(maps.tabToPos[2], Untouched);
    QCOMPARE(maps.tabToPos[3], 1);

    fake.tabsFails = true;
    QCOMPARE(tabrow::countVisibleTabs(fake), 0);
    TabMaps untouched = filledMaps();
    tabrow::mapPositionsToTabs(fake, untouched);
    tabrow::mapTabsToPositions(fake, untouched);
    QCOMPARE(untouched.posToTab[0], Untouched);
    QCOMPARE(untouched.tabToPos[1], Untouched);
}

void TestTabHelpers::scanPastLastVisibleFallsBackToHighest()
{
    // A row whose last numbers read closed (the real row never reports that).
    const FakeRow fake{6, {3, 4, 5}, {}, false};
    QCOMPARE(tabrow::findNextVisibleTab(fake, 3), 2);
    QCOMPARE(tabrow::findNextVisibleTab(fake, 1), 1);
}

void TestTabHelpers::toolbarPositions_data()
{
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("t");
    QTest::addColumn<bool>("checksOnly");
    QTest::addColumn<int>("check1");
    QTest::addColumn<int>("check3");

    QTest::newRow("large fonts, full layout") << 345 << 15 << false << 2415 << 3825;
    QTest::newRow("large fonts, checks only") << 345 << 15 << true << 2415 << 3810;
    QTest::newRow("t 12, full layout") << 345 << 12 << false << 2415 << 3858;
    QTest::newRow("t 12, checks only") << 345 << 12 << true << 2415 << 3858;
    QTest::newRow("t 13 counts as large") << 345 << 13 << false << 2415 << 3775;
    QTest::newRow("t 13 checks only") << 345 << 13 << true << 2415 << 3762;
    QTest::newRow("t 11") << 300 << 11 << true << 2100 << 3374;
}

void TestTabHelpers::toolbarPositions()
{
    QFETCH(int, w);
    QFETCH(int, t);
    QFETCH(bool, checksOnly);
    QFETCH(int, check1);
    QFETCH(int, check3);

    const ToolbarPositions pos = computeToolbarPositions(w, t, 3000, checksOnly);
    QCOMPARE(pos.check1Left, check1);
    QCOMPARE(pos.check3Left, check3);
    if (!checksOnly) {
        QCOMPARE(pos.mbLeft, 2950);
        QCOMPARE(pos.ieLeft, check3);
    }
}

void TestTabHelpers::layoutToolbarSetsCaptionsAndPlaces_data()
{
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("check1X");
    QTest::addColumn<int>("check3X");
    QTest::addColumn<int>("mbX");

    // Check2 sits at 200 px: MB goes 50 twips to its left.
    QTest::newRow("t 15") << 15 << 161 << 255 << 197; // 2415, 3825, 2950 twips
    QTest::newRow("t 12") << 12 << 201 << 322 << 196; // 2415, 3858, 2350 twips
}

void TestTabHelpers::layoutToolbarSetsCaptionsAndPlaces()
{
    QFETCH(int, t);
    QFETCH(int, check1X);
    QFETCH(int, check3X);
    QFETCH(int, mbX);

    ToolbarFixture f;
    layoutToolbar(f.parts(), t, 345, caption);

    QCOMPARE(f.check1->pos(), QPoint(check1X, 3));
    QCOMPARE(f.check3->pos(), QPoint(check3X, 3));
    QCOMPARE(f.ie->pos(), QPoint(check3X, 3));
    QCOMPARE(f.mb->pos(), QPoint(mbX, 3));
    QCOMPARE(f.check2->pos(), QPoint(200, 3));

    const QList<int> captioned{5, 7, 8, 9, 10};
    for (int k = 1; k <= 10; ++k) {
        const int at = int(captioned.indexOf(k));
        const QString expected = at >= 0 ? caption(24 + at) : QStringLiteral("default %1").arg(k);
        QCOMPARE(toolbarButton(*f.toolbar, k)->text(), expected);
    }
}

void TestTabHelpers::placeToolbarChecksMovesOnlyTheChecks()
{
    ToolbarFixture f;
    ToolbarParts parts = f.parts();
    parts.Check2 = nullptr; // not needed here
    placeToolbarChecks(parts, 15, 345);
    QCOMPARE(f.check1->x(), 161);
    QCOMPARE(f.check3->x(), 254); // 3810 twips
    QCOMPARE(f.mb->x(), 0);
    QCOMPARE(f.ie->x(), 0);
    QCOMPARE(toolbarButton(*f.toolbar, 5)->text(), QStringLiteral("default 5"));
}

void TestTabHelpers::toolbarFailuresPassOn()
{
    ToolbarFixture f;
    toolbarButton(*f.toolbar, 9)->setObjectName(QStringLiteral("renamed"));
    try {
        layoutToolbar(f.parts(), 15, 345, caption);
        QFAIL("a missing button must reach the caller");
    } catch (const RuntimeError &) {
    }
    // Steps before the failure are done, the ones after are not.
    QCOMPARE(toolbarButton(*f.toolbar, 8)->text(), caption(26));
    QCOMPARE(f.check1->x(), 0);

    ToolbarFixture g;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, placeToolbarChecks(g.parts(), 0, 345));
    ToolbarParts noCheck3 = g.parts();
    noCheck3.Check3 = nullptr;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, placeToolbarChecks(noCheck3, 15, 345));
}

void TestTabHelpers::unloadOtherFormsUnloadsAllButMain()
{
    bool appClosing = false;
    QWidget mainWindow;
    mainWindow.show();

    auto *withMU = new HidingWindow;
    withMU->appClosing = &appClosing;
    withMU->show();
    auto *withoutMU = new QWidget; // loaded, never shown
    auto *stubborn = new StubbornWindow;
    stubborn->show();
    auto *carrier = new HidingWindow; // takes the next window with it
    carrier->MU = true;
    auto *takenAlong = new QWidget;
    carrier->takesAlong = takenAlong;
    auto *last = new QWidget;
    last->show();

    QPointer<QWidget> pWithMU(withMU), pWithoutMU(withoutMU), pCarrier(carrier), pLast(last);
    const QList<QWidget *> windows{withMU, &mainWindow, withoutMU, stubborn, carrier, takenAlong,
                                   last};
    unloadOtherForms(windows, &mainWindow, appClosing);

    QVERIFY(appClosing);
    QVERIFY(withMU->sawMU);
    QVERIFY(withMU->sawAppClosing);
    QCOMPARE(stubborn->closeCalls, 1);
    QVERIFY(mainWindow.isVisible());
    QVERIFY(!mainWindow.property("MU").isValid());

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(pWithMU.isNull());
    QVERIFY(pWithoutMU.isNull());
    QVERIFY(pCarrier.isNull());
    QVERIFY(pLast.isNull());
    // A window that will not close stays loaded; the walk went past it.
    QVERIFY(stubborn->property("MU").toBool());
    delete stubborn;
}

QTEST_MAIN(TestTabHelpers)
#include "tst_tabhelpers.moc"
