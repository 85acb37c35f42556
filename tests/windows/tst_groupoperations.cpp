// The group operations window over the main window's fake tabs.

#include "ProgramFixture.h"
#include "TabRowReading.h"

#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmGroupOperations.h"
#include "frmMain.h"

#include "TabstripP.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::windows::frmGroupOperations;
using Geometry = velmora::windows::frmGroupOperations::Geometry;

namespace {

QString pageOf(int tab)
{
    return QStringLiteral("http://host.test/%1").arg(tab);
}

// Tabs 1..count open, tab k showing pageOf(k) titled "Page k".
frmMain &startWithTabs(ProgramFixture &fx, int count)
{
    for (int k = 1; k <= count; ++k)
        fx.browsers().setPageTitle(pageOf(k), QStringLiteral("Page %1").arg(k));
    frmMain &main = fx.start();
    for (int k = 2; k <= count; ++k)
        main.cmdNew_Click();
    for (int k = 1; k <= count; ++k)
        fx.web(k)->Navigate2(pageOf(k));
    return main;
}

frmGroupOperations &openWindow(ProgramFixture &fx, frmMain &main)
{
    main.actionNamed(QStringLiteral("mnuBatch"))->trigger();
    return *fx.program().loadedWindow<frmGroupOperations>();
}

void choose(frmGroupOperations &w, const QList<int> &tabs)
{
    for (int i = 0; i < w.lv->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = w.lv->topLevelItem(i);
        row->setSelected(tabs.contains(row->data(0, Qt::UserRole).toInt()));
    }
}

QList<int> chosen(const frmGroupOperations &w)
{
    QList<int> tabs;
    for (int i = 0; i < w.lv->topLevelItemCount(); ++i) {
        if (w.lv->topLevelItem(i)->isSelected())
            tabs.append(w.lv->topLevelItem(i)->data(0, Qt::UserRole).toInt());
    }
    return tabs;
}

void runDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class tst_GroupOperations : public QObject
{
    Q_OBJECT

private slots:
    void listsOpenTabs();
    void listIsASnapshotUntilUpdated();
    void closeChosen_data();
    void closeChosen();
    void closeOnlyTabAtHomeChangesNothing();
    void tabClosedSinceListingIsPassedOver();
    void refreshAndStopReachChosenTabs_data();
    void refreshAndStopReachChosenTabs();
    void nothingChosenKeepsWindowOpen_data();
    void nothingChosenKeepsWindowOpen();
    void cancelUnloads();
    void ctrlASelectsAll_data();
    void ctrlASelectsAll();
    void pressOnEmptySpaceDeselects();
    void geometryRule_data();
    void geometryRule();
    void geometryRestoredAndStored_data();
    void geometryRestoredAndStored();
    void layoutFollowsSize_data();
    void layoutFollowsSize();
};

void tst_GroupOperations::listsOpenTabs()
{
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 4);
    main.Tabstrip1->setValue(3);
    main.cmdClose_Click();

    frmGroupOperations &w = openWindow(fx, main);
    QVERIFY(w.isVisible());
    QCOMPARE(w.windowTitle(), QStringLiteral("Групповые операции"));
    QCOMPARE(w.rowTags(), (QList<int>{1, 2, 4}));
    const QTreeWidgetItem *row = w.lv->topLevelItem(2);
    QCOMPARE(row->text(0), QStringLiteral("Page 4"));
    QCOMPARE(row->text(1), pageOf(4));
    QVERIFY(!row->icon(0).isNull());
    QCOMPARE(w.lv->headerItem()->text(0), QStringLiteral("Заголовок"));
    QCOMPARE(w.lv->headerItem()->text(1), QStringLiteral("Адрес"));
    QCOMPARE(w.lv->selectionMode(), QAbstractItemView::ExtendedSelection);
}

void tst_GroupOperations::listIsASnapshotUntilUpdated()
{
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 2);
    frmGroupOperations &w = openWindow(fx, main);
    main.cmdNew_Click(); // 3
    // The menu again while it is loaded: the same window, the old list.
    main.actionNamed(QStringLiteral("mnuBatch"))->trigger();
    QCOMPARE(fx.program().loadedWindow<frmGroupOperations>(), &w);
    QCOMPARE(w.rowTags(), (QList<int>{1, 2}));

    choose(w, {1});
    w.cmdUpdInfo->click();
    QCOMPARE(w.rowTags(), (QList<int>{1, 2, 3}));
    QVERIFY(chosen(w).isEmpty());
}

void tst_GroupOperations::closeChosen_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("chosen");
    QTest::addColumn<QList<int>>("open");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("wentHome"); // the last open tab was sent to the home page
    QTest::addColumn<int>("atHome");    // a tab showing the home page beforehand, or 0

    // Tabs 1..4 are open.
    QTest::newRow("one tab, not current: the next one is selected")
        << 1 << QList<int>{3} << QList<int>{1, 2, 4} << 4 << false << 0;
    QTest::newRow("two tabs, not current: the one after the last")
        << 1 << QList<int>{2, 3} << QList<int>{1, 4} << 4 << false << 0;
    QTest::newRow("rightmost: the nearest before it")
        << 1 << QList<int>{4} << QList<int>{1, 2, 3} << 3 << false << 0;
    QTest::newRow("current among them")
        << 2 << QList<int>{2, 3} << QList<int>{1, 4} << 4 << false << 0;
    QTest::newRow("current hidden first, the last one closes")
        << 3 << QList<int>{1, 3, 4} << QList<int>{2} << 2 << false << 0;
    QTest::newRow("every tab: the last one goes home and is shown")
        << 2 << QList<int>{1, 2, 3, 4} << QList<int>{4} << 4 << true << 0;
    QTest::newRow("every tab, the last one home already: only shown")
        << 2 << QList<int>{1, 2, 3, 4} << QList<int>{4} << 4 << false << 4;
}

void tst_GroupOperations::closeChosen()
{
    QFETCH(int, current);
    QFETCH(QList<int>, chosen);
    QFETCH(QList<int>, open);
    QFETCH(int, selected);
    QFETCH(bool, wentHome);
    QFETCH(int, atHome);

    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 4);
    if (atHome)
        fx.web(atHome)->Navigate2(QStringLiteral("about:blank"));
    main.Tabstrip1->setValue(current);
    frmGroupOperations &w = openWindow(fx, main);
    QPointer<frmGroupOperations> guard(&w);
    choose(w, chosen);
    const qsizetype navigations = fx.web(chosen.last())->calls.navigations.size();
    w.cmdClose->click();

    QCOMPARE(openTabs(main), open);
    QCOMPARE(main.currentTabNumber(), selected);
    // The main window shows what its row selects.
    QCOMPARE(main.currentTab, selected);
    QCOMPARE(main.Combo1->currentText(), fx.web(selected)->LocationURL());
    for (int k = 1; k <= 4; ++k) {
        const bool isOpen = open.contains(k);
        QCOMPARE(fx.web(k)->Visible(), isOpen);
        if (!isOpen) {
            QVERIFY(fx.web(k)->Silent());
            QVERIFY(!fx.web(k)->hasPage());
        }
    }
    const QStringList went = fx.web(chosen.last())->calls.navigations.mid(navigations);
    QCOMPARE(went, wentHome ? QStringList{QStringLiteral("about:blank")} : QStringList{});

    QVERIFY(!w.isVisible());
    runDeferredDeletes();
    QVERIFY(!guard);
    QVERIFY(!fx.program().loadedWindow<frmGroupOperations>());
}

void tst_GroupOperations::closeOnlyTabAtHomeChangesNothing()
{
    ProgramFixture fx;
    frmMain &main = fx.start(); // tab 1 on the home page
    frmGroupOperations &w = openWindow(fx, main);
    const qsizetype navigations = fx.web(1)->calls.navigations.size();
    choose(w, {1});
    w.cmdClose->click();
    QCOMPARE(openTabs(main), QList<int>{1});
    QCOMPARE(fx.web(1)->calls.navigations.size(), navigations);
    QVERIFY(fx.web(1)->Visible());
}

void tst_GroupOperations::tabClosedSinceListingIsPassedOver()
{
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 4);
    main.Tabstrip1->setValue(1);
    frmGroupOperations &w = openWindow(fx, main);
    main.Tabstrip1->setValue(3);
    main.cmdClose_Click(); // selects 4
    main.Tabstrip1->setValue(1);
    const int refreshes = fx.web(3)->calls.refreshes;

    // 3 is gone: 2 is the last one still open and gets the closing rule.
    choose(w, {2, 3});
    w.cmdClose->click();
    QCOMPARE(openTabs(main), (QList<int>{1, 4}));
    QCOMPARE(main.currentTabNumber(), 4);
    QVERIFY(!fx.web(3)->hasPage());
    QCOMPARE(fx.web(3)->calls.refreshes, refreshes);
}

void tst_GroupOperations::refreshAndStopReachChosenTabs_data()
{
    QTest::addColumn<bool>("refresh");
    QTest::newRow("refresh") << true;
    QTest::newRow("stop") << false;
}

void tst_GroupOperations::refreshAndStopReachChosenTabs()
{
    QFETCH(bool, refresh);
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 4);
    main.Tabstrip1->setValue(1);
    frmGroupOperations &w = openWindow(fx, main);
    QPointer<frmGroupOperations> guard(&w);
    QList<int> before;
    for (int k = 1; k <= 4; ++k)
        before.append(refresh ? fx.web(k)->calls.refreshes : fx.web(k)->calls.stops);

    choose(w, {2, 4});
    (refresh ? w.cmdRefresh : w.cmdStop)->click();
    for (int k = 1; k <= 4; ++k) {
        const int now = refresh ? fx.web(k)->calls.refreshes : fx.web(k)->calls.stops;
        QCOMPARE(now - before.at(k - 1), (k == 2 || k == 4) ? 1 : 0);
    }
    QCOMPARE(openTabs(main), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(main.currentTabNumber(), 1);
    runDeferredDeletes();
    QVERIFY(!guard);
}

void tst_GroupOperations::nothingChosenKeepsWindowOpen_data()
{
    QTest::addColumn<int>("operation");
    QTest::newRow("close") << int(frmGroupOperations::CloseTabs);
    QTest::newRow("refresh") << int(frmGroupOperations::RefreshTabs);
    QTest::newRow("stop") << int(frmGroupOperations::StopTabs);
}

void tst_GroupOperations::nothingChosenKeepsWindowOpen()
{
    QFETCH(int, operation);
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 2);
    frmGroupOperations &w = openWindow(fx, main);
    QPointer<frmGroupOperations> guard(&w);
    const int refreshes = fx.web(2)->calls.refreshes;
    const int stops = fx.web(2)->calls.stops;
    w.runOnSelected(operation);
    runDeferredDeletes();
    QVERIFY(guard);
    QVERIFY(w.isVisible());
    QCOMPARE(openTabs(main), (QList<int>{1, 2}));
    QCOMPARE(fx.web(2)->calls.refreshes, refreshes);
    QCOMPARE(fx.web(2)->calls.stops, stops);
}

void tst_GroupOperations::cancelUnloads()
{
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 2);
    QPointer<frmGroupOperations> w = &openWindow(fx, main);
    choose(*w, {2});
    w->cmdCancel->click();
    runDeferredDeletes();
    QVERIFY(!w);
    QCOMPARE(openTabs(main), (QList<int>{1, 2}));
    // The next command loads a fresh window.
    main.actionNamed(QStringLiteral("mnuBatch"))->trigger();
    QVERIFY(fx.program().loadedWindow<frmGroupOperations>());
    QVERIFY(chosen(*fx.program().loadedWindow<frmGroupOperations>()).isEmpty());
}

void tst_GroupOperations::ctrlASelectsAll_data()
{
    QTest::addColumn<bool>("onList"); // else on the close button
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("selectsAll");
    QTest::newRow("list, ctrl") << true << int(Qt::ControlModifier) << true;
    QTest::newRow("button, ctrl") << false << int(Qt::ControlModifier) << true;
    QTest::newRow("list, ctrl+shift")
        << true << int(Qt::ControlModifier | Qt::ShiftModifier) << false;
    QTest::newRow("button, ctrl+alt") << false << int(Qt::ControlModifier | Qt::AltModifier)
                                      << false;
    QTest::newRow("button, no modifier") << false << int(Qt::NoModifier) << false;
}

void tst_GroupOperations::ctrlASelectsAll()
{
    QFETCH(bool, onList);
    QFETCH(int, modifiers);
    QFETCH(bool, selectsAll);
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 3);
    frmGroupOperations &w = openWindow(fx, main);
    choose(w, {2});
    QWidget *target = onList ? static_cast<QWidget *>(w.lv) : w.cmdClose;
    QTest::keyClick(target, Qt::Key_A, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(chosen(w), selectsAll ? (QList<int>{1, 2, 3}) : QList<int>{2});
    // A key on the button never runs its operation.
    QCOMPARE(openTabs(main), (QList<int>{1, 2, 3}));
}

void tst_GroupOperations::pressOnEmptySpaceDeselects()
{
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 2);
    frmGroupOperations &w = openWindow(fx, main);
    w.cmdSelectAll->click();
    QCOMPARE(chosen(w), (QList<int>{1, 2}));

    // On a row: the list's own selection rules.
    const QRect firstRow = w.lv->visualItemRect(w.lv->topLevelItem(0));
    QTest::mouseClick(w.lv->viewport(), Qt::LeftButton, Qt::ControlModifier, firstRow.center());
    QCOMPARE(chosen(w), QList<int>{2});

    w.cmdSelectAll->click();
    const QRect lastRow = w.lv->visualItemRect(w.lv->topLevelItem(1));
    const QPoint empty(lastRow.center().x(), lastRow.bottom() + 20);
    QVERIFY(!w.lv->itemAt(empty));
    QTest::mousePress(w.lv->viewport(), Qt::RightButton, Qt::NoModifier, empty);
    QVERIFY(chosen(w).isEmpty());
    QVERIFY(!w.lv->currentItem());

    w.cmdSelectAll->click();
    w.cmdHideSelection->click();
    QVERIFY(chosen(w).isEmpty());
}

void tst_GroupOperations::geometryRule_data()
{
    QTest::addColumn<Geometry>("stored");
    QTest::addColumn<bool>("fits");
    // The screen is 19200 x 15360 twips (1280 x 1024 at 15).
    QTest::newRow("inside") << Geometry{1500, 1200, 6000, 9000} << true;
    QTest::newRow("smallest size") << Geometry{1, 1, 4512, 8052} << true;
    QTest::newRow("filling the screen to its edges") << Geometry{360, 200, 15000, 19000} << true;
    QTest::newRow("top 0") << Geometry{0, 1200, 6000, 9000} << false;
    QTest::newRow("left 0") << Geometry{1500, 0, 6000, 9000} << false;
    QTest::newRow("left below 0") << Geometry{1500, -15, 6000, 9000} << false;
    QTest::newRow("too low") << Geometry{1500, 1200, 4511, 9000} << false;
    QTest::newRow("too narrow") << Geometry{1500, 1200, 6000, 8051} << false;
    QTest::newRow("past the bottom") << Geometry{9361, 1200, 6000, 9000} << false;
    QTest::newRow("past the right edge") << Geometry{1500, 10201, 6000, 9000} << false;
}

void tst_GroupOperations::geometryRule()
{
    QFETCH(Geometry, stored);
    QFETCH(bool, fits);
    QCOMPARE(frmGroupOperations::geometryFits(stored, 19200, 15360), fits);
}

void tst_GroupOperations::geometryRestoredAndStored_data()
{
    QTest::addColumn<QStringList>("stored"); // GroTop, GroLeft, GroHeight, GroWidth
    QTest::addColumn<QRect>("geometry");     // pixels; empty: the design place
    // Design size, centred over the main window.
    const QRect design;
    QTest::newRow("nothing stored: design place")
        << QStringList{} << design;
    QTest::newRow("restored")
        << QStringList{QStringLiteral("1500"), QStringLiteral("1200"), QStringLiteral("6000"),
                       QStringLiteral("9000")}
        << QRect(80, 100, 600, 400);
    QTest::newRow("decimal comma of another locale")
        << QStringList{QStringLiteral("1500,0"), QStringLiteral("1200"), QStringLiteral("6000"),
                       QStringLiteral("9000")}
        << QRect(80, 100, 600, 400);
    QTest::newRow("left 0: design place")
        << QStringList{QStringLiteral("1500"), QStringLiteral("0"), QStringLiteral("6000"),
                       QStringLiteral("9000")}
        << design;
    QTest::newRow("too large for the screen: design place")
        << QStringList{QStringLiteral("1500"), QStringLiteral("1200"), QStringLiteral("15000"),
                       QStringLiteral("9000")}
        << design;
}

void tst_GroupOperations::geometryRestoredAndStored()
{
    QFETCH(QStringList, stored);
    QFETCH(QRect, geometry);
    ProgramFixture fx;
    fx.system().screen = QSize(1280, 1024);
    auto &settings = fx.program().settings();
    const QStringList keys{QStringLiteral("GroTop"), QStringLiteral("GroLeft"),
                           QStringLiteral("GroHeight"), QStringLiteral("GroWidth")};
    for (qsizetype i = 0; i < stored.size(); ++i)
        settings.SaveSetting(QStringLiteral("general"), keys.at(i), stored.at(i));
    frmMain &main = startWithTabs(fx, 1);
    // Away from the screen's centre, so the design place tells the two apart.
    main.move(20, 30);
    frmGroupOperations &w = openWindow(fx, main);
    if (geometry.isNull()) {
        QCOMPARE(w.size(), QSize(640, 440));
        const QPoint offset = w.frameGeometry().center() - main.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    } else {
        QCOMPARE(QRect(w.pos(), w.size()), geometry);
    }

    w.move(101, 67);
    w.resize(611, 457);
    w.cmdCancel->click();
    const QStringList expected{QStringLiteral("1005"), QStringLiteral("1515"),
                               QStringLiteral("6855"), QStringLiteral("9165")};
    for (qsizetype i = 0; i < keys.size(); ++i)
        QCOMPARE(settings.GetSetting(QStringLiteral("general"), keys.at(i)), expected.at(i));
}

void tst_GroupOperations::layoutFollowsSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("list");
    QTest::addColumn<int>("buttonTop");
    // List at 1560 twips from the top; 384 and 2220 twips of margins.
    QTest::newRow("design size") << QSize(640, 440) << QSize(614, 292) << 403;
    QTest::newRow("larger") << QSize(900, 700) << QSize(874, 552) << 663;
    QTest::newRow("smaller than the margins: an empty list")
        << QSize(20, 100) << QSize(0, 0) << 111;
}

void tst_GroupOperations::layoutFollowsSize()
{
    QFETCH(QSize, size);
    QFETCH(QSize, list);
    QFETCH(int, buttonTop);
    ProgramFixture fx;
    frmMain &main = startWithTabs(fx, 1);
    frmGroupOperations &w = openWindow(fx, main);
    w.setMinimumSize(0, 0);
    w.resize(size);
    QCOMPARE(w.size(), size);
    QCOMPARE(w.lv->size(), list);
    for (QPushButton *b : {w.cmdClose, w.cmdRefresh, w.cmdStop, w.cmdSelectAll,
                           w.cmdHideSelection, w.cmdCancel})
        QCOMPARE(b->y(), buttonTop);
    QCOMPARE(w.cmdUpdInfo->pos(), QPoint(13, 72));
    QCOMPARE(w.lv->pos(), QPoint(13, 104));
}

QTEST_MAIN(tst_GroupOperations)
#include "tst_groupoperations.moc"
