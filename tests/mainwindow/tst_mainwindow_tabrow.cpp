// The main window's handlers of the tab row, its popup and the tab slider.

#include "ProgramFixture.h"

#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "frmMain.h"

#include "Bar.h"
#include "TabstripP.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;

namespace {

// Tabs 1..count, each showing its own page.
void openPages(ProgramFixture &fx, int count)
{
    frmMain &main = fx.main();
    for (int n = 2; n <= count; ++n)
        main.cmdNew_Click();
    for (int n = 1; n <= count; ++n)
        fx.web(n)->fakeNavigate(QStringLiteral("http://127.0.0.1/%1.html").arg(n),
                                QStringLiteral("Page %1").arg(n));
}

QPoint centreOfTab(const frmMain &main, int position)
{
    return main.Tabstrip1->Tabstrip1()->tabRect(position).center();
}

} // namespace

class tst_MainWindowTabRow : public QObject
{
    Q_OBJECT

private slots:
    void selectionFromCodeShowsNewTab();
    void changeShowsTabState();
    void backgroundSwitchMovesNoFocus();
    void captionChangeLeavesFocus_data();
    void captionChangeLeavesFocus();
    void sliderSelectsTabAndKeepsFocus();
    void rightClickClosesThatTab();
    void clickPlacesPage();
};

void tst_MainWindowTabRow::selectionFromCodeShowsNewTab()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    openPages(fx, 3);
    // One selection from code runs the change handler twice: the window must
    // end up showing the new tab, not the one the first run saw.
    int changes = 0;
    QList<int> seen;
    connect(main.Tabstrip1, &kelvane::TabstripP::change, this, [&] {
        ++changes;
        seen.append(main.currentTab);
    });
    main.Tabstrip1->setValue(1);
    QCOMPARE(changes, 2);
    QCOMPARE(main.currentTab, 1);
    QCOMPARE(main.windowTitle(), QStringLiteral("Page 1 - Velmora"));
    QCOMPARE(main.Combo1->currentText(), main.newURL[1]);
}

void tst_MainWindowTabRow::changeShowsTabState()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    openPages(fx, 3);
    main.newURL[2] = QStringLiteral("typed text");
    main.tabProgress[2] = 30;
    main.tabProgressMax[2] = 60;
    main.podskazka->addItem(QStringLiteral("x"));
    main.podskazka->show();
    main.Tabstrip1->setValue(2);
    QVERIFY(main.podskazka->isHidden());
    QCOMPARE(main.Combo1->currentText(), QStringLiteral("typed text"));
    QCOMPARE(main.windowTitle(), QStringLiteral("Page 2 - Velmora"));
    QCOMPARE(main.Bar1->value(), 30);
    QCOMPARE(main.Bar1->max(), 60);
    QCOMPARE(main.spinbutton1->value(), 1);
    QCOMPARE(main.sliderPos, 1);
    // The shown page lies above the others.
    const QWidgetList stack = main.form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QVERIFY(stack.indexOf(main.web(2)->widget()) > stack.indexOf(main.web(1)->widget()));
    QVERIFY(stack.indexOf(main.web(2)->widget()) > stack.indexOf(main.web(3)->widget()));
}

void tst_MainWindowTabRow::backgroundSwitchMovesNoFocus()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    openPages(fx, 2);
    fx.system().foreground = false;
    const int focusCalls = fx.web(1)->calls.setFocus;
    QTest::mouseClick(main.Tabstrip1->Tabstrip1(), Qt::LeftButton, {}, centreOfTab(main, 0));
    QCOMPARE(main.currentTabNumber(), 1);
    QCOMPARE(main.windowTitle(), QStringLiteral("Page 1 - Velmora"));
    QCOMPARE(main.spinbutton1->value(), 0);
    QCOMPARE(fx.web(1)->calls.setFocus, focusCalls);

    fx.system().foreground = true;
    main.Tabstrip1->setValue(2);
    QVERIFY(fx.web(2)->calls.setFocus > 0);
    QCOMPARE(main.FocusOwner, 2);
}

void tst_MainWindowTabRow::captionChangeLeavesFocus_data()
{
    QTest::addColumn<int>("titled"); // the tab whose page changes its title
    QTest::newRow("background tab") << 1;
    QTest::newRow("current tab") << 2;
}

void tst_MainWindowTabRow::captionChangeLeavesFocus()
{
    QFETCH(int, titled);
    ProgramFixture fx;
    frmMain &main = fx.start();
    openPages(fx, 2);
    main.Tabstrip1->setValue(2);
    fx.system().foreground = true;
    main.FocusOwner = 1; // the user types in the address bar
    main.Combo1->setEditText(QStringLiteral("typed"));
    main.podskazka->addItem(QStringLiteral("typed.example"));
    main.podskazka->show();
    const int focusCalls = fx.web(2)->calls.setFocus;

    fx.web(titled)->fakeTitle(QStringLiteral("(3) Inbox"));
    QCOMPARE(main.Tabstrip1->tabCaption(titled), QStringLiteral("(3) Inbox"));
    QCOMPARE(main.FocusOwner, 1);
    QCOMPARE(fx.web(2)->calls.setFocus, focusCalls);
    QCOMPARE(main.currentTabNumber(), 2);
    QCOMPARE(main.Combo1->currentText(), QStringLiteral("typed"));
    QVERIFY(!main.podskazka->isHidden());

    // A real switch still puts the focus into the page.
    main.Tabstrip1->setValue(1);
    QCOMPARE(main.FocusOwner, 2);
    QVERIFY(main.podskazka->isHidden());
    QVERIFY(fx.web(1)->calls.setFocus > 0);
}

void tst_MainWindowTabRow::sliderSelectsTabAndKeepsFocus()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    openPages(fx, 4);
    main.Tabstrip1->setValue(3);
    main.cmdClose_Click(); // positions now 1, 2, 4
    main.Tabstrip1->setValue(1);
    main.FocusOwner = 4;
    const int focusCalls = fx.web(4)->calls.setFocus;
    main.spinbutton1->setValue(2); // the user drags to the last position
    QCOMPARE(main.currentTabNumber(), 4);
    QCOMPARE(main.windowTitle(), QStringLiteral("Page 4 - Velmora"));
    QCOMPARE(main.FocusOwner, 5);
    QVERIFY(main.Timer5->isActive());
    // The slider kept the focus claim: the page was not given it.
    QCOMPARE(fx.web(4)->calls.setFocus, focusCalls);
    QCOMPARE(main.web(4)->widget()->geometry(), main.web(1)->widget()->geometry());
}

void tst_MainWindowTabRow::rightClickClosesThatTab()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    openPages(fx, 3);
    main.Tabstrip1->setValue(3);
    bool offered = false;
    // The popup is modal-free; answer it once it shows.
    QTimer::singleShot(0, this, [&] {
        offered = main.popClose->isVisible();
        QCOMPARE(main.currentTabNumber(), 1);
        main.popCloseIt->trigger();
        main.popClose->hide();
    });
    QTest::mouseClick(main.Tabstrip1->Tabstrip1(), Qt::RightButton, {}, centreOfTab(main, 0));
    QTRY_VERIFY(offered);
    QTRY_VERIFY(!main.Tabstrip1->tabVisible(1));
    QCOMPARE(main.currentTabNumber(), 2);
}

void tst_MainWindowTabRow::clickPlacesPage()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    openPages(fx, 2);
    main.web(2)->widget()->setGeometry(1, 2, 3, 4);
    main.Tabstrip1_click();
    const int t = main.twipsPerPixel();
    const QRect page = main.web(2)->widget()->geometry();
    QCOMPARE(page.left(), main.web(0)->widget()->x());
    QCOMPARE(page.top(), main.Toolbar1->height() + qRound(375.0 / 12.0 * t / t));
    QCOMPARE(page.width(), main.StatusBar1->width());
    QCOMPARE(page.height(), main.Tabstrip1->y() - main.web(0)->widget()->y());
}

QTEST_MAIN(tst_MainWindowTabRow)
#include "tst_mainwindow_tabrow.moc"
