// The main window's life cycle and its tab commands, over the fake controls.

#include "ProgramFixture.h"
#include "TabRowReading.h"

#include "FakeDialogs.h"
#include "FakeServices.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "Language.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmOptions.h"

#include "Bar.h"
#include "TabHelpers.h"
#include "TabstripP.h"

#include <QAction>
#include <QComboBox>
#include <QPointer>
#include <QSlider>
#include <QTimer>
#include <QTest>

#include <cstring>

using velmora::mainwindow::frmMain;
using velmora::platform::MsgIcon;
using velmora::platform::MsgResult;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;

class tst_MainWindowTabs : public QObject
{
    Q_OBJECT

private slots:
    void loadCreatesTabOneAndHidesTabZero();
    void commandLine_data();
    void commandLine();
    void windowSize_data();
    void windowSize();
    void newTabNumbersAreNeverReused();
    void closeSelectsNeighbour_data();
    void closeSelectsNeighbour();
    void lastTabGoesHome();
    void closedTabReleasesItsPage();
    void tabLimit();
    void tabLimitAfterNewestWereClosed();
    void closeAll();
    void closeAllAfterTabOneWasClosed();
    void getTitle_data();
    void getTitle();
    void navigationCommands();
    void progressOfTabAbove255NotShown();
    void exitConfirmation_data();
    void exitConfirmation();
    void unloadEndsProcessAfterOneSecond();
    void modesAreOffAtEveryStart();
};

void tst_MainWindowTabs::loadCreatesTabOneAndHidesTabZero()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QCOMPARE(openTabs(main), QList<int>{1});
    QCOMPARE(main.currentTabNumber(), 1);
    QVERIFY(fx.program().mainLoaded);
    QVERIFY(!fx.web(0)->Visible());
    QVERIFY(fx.web(1)->Visible());
    // The option flags were read from their files, which now exist.
    for (const char *name : {"web_nw.dat", "mode.dat", "exit.dat"})
        QCOMPARE(fx.env.readProgramFile(QString::fromLatin1(name)), QByteArray("#TRUE#\r\n"));
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("home.dat")),
             QByteArray("\"about:blank\"\r\n"));
    QCOMPARE(main.windowTitle(), QStringLiteral("about:blank - Velmora"));
}

void tst_MainWindowTabs::commandLine_data()
{
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("address");
    QTest::newRow("empty: home page") << QString() << QStringLiteral("about:blank");
    QTest::newRow("plain") << QStringLiteral("http://127.0.0.1/a.html")
                           << QStringLiteral("http://127.0.0.1/a.html");
    QTest::newRow("quoted path") << QStringLiteral("\"/tmp/some file.html\"")
                                 << QStringLiteral("/tmp/some file.html");
    QTest::newRow("opening quote only loses the last character")
        << QStringLiteral("\"/tmp/page.html") << QStringLiteral("/tmp/page.htm");
}

void tst_MainWindowTabs::commandLine()
{
    QFETCH(QString, commandLine);
    QFETCH(QString, address);
    ProgramFixture fx;
    // Asynchronous pages: the caption is seen before the page's title replaces it.
    fx.browsers().setAsync(true);
    // When the address is asked for: the window paints afterwards, and the
    // page's own events may rename the tab while it does.
    QString caption;
    QString windowCaption;
    fx.program().setStartStepHook([&](const char *step) {
        if (std::strcmp(step, "address") == 0) {
            caption = fx.main().Tabstrip1->tabCaption(1);
            windowCaption = fx.main().windowTitle();
        }
    });
    fx.start(commandLine);
    QCOMPARE(fx.web(1)->calls.navigations.last(), address);
    QCOMPARE(caption, address);
    // The window comes up named by that address, not by tab 1's empty page.
    QCOMPARE(windowCaption, address + QStringLiteral(" - Velmora"));
}

void tst_MainWindowTabs::windowSize_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QMargins>("frameAhead");
    QTest::addColumn<QRect>("window");
    // width = W / f, left = (W - W / f) / 2, in pixels.
    QTest::newRow("1024x768: 1/1.1") << QSize(1024, 768) << QMargins() << QRect(47, 35, 931, 698);
    QTest::newRow("1280x1024: 1/1.1")
        << QSize(1280, 1024) << QMargins() << QRect(58, 47, 1164, 931);
    QTest::newRow("1023 wide: 1/1.07") << QSize(1023, 768) << QMargins() << QRect(33, 25, 956, 718);
    QTest::newRow("767 high: 1/1.07") << QSize(1024, 767) << QMargins() << QRect(33, 25, 957, 717);
    // A window manager that tells its frame ahead: the window is made at the
    // inner size at once.
    QTest::newRow("frame told ahead")
        << QSize(1280, 1024) << QMargins(1, 20, 1, 5) << QRect(58, 47, 1164, 931);
}

void tst_MainWindowTabs::windowSize()
{
    QFETCH(QSize, screen);
    QFETCH(QMargins, frameAhead);
    QFETCH(QRect, window);
    ProgramFixture fx;
    fx.system().screen = screen;
    fx.system().frame = frameAhead;
    // As the load leaves it, before any event: this platform's own screen,
    // smaller than the one faked here, would clamp the window afterwards.
    QRect frame;
    QSize inner;
    fx.program().setStartStepHook([&](const char *step) {
        if (std::strcmp(step, "address") == 0) {
            frame = fx.main().frameGeometry();
            inner = fx.main().size();
        }
    });
    fx.start();
    if (frameAhead.isNull()) {
        // The outer frame, not the inner area, gets the size.
        QCOMPARE(frame, window);
    } else {
        // This platform draws no frame of the size told: the inner area shows it.
        QCOMPARE(inner, window.size().shrunkBy(frameAhead));
    }
}

void tst_MainWindowTabs::newTabNumbersAreNeverReused()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click(); // 2
    main.cmdNew_Click(); // 3
    QCOMPARE(main.currentTabNumber(), 3);
    QCOMPARE(main.Tabstrip1->tabCaption(3), QStringLiteral("about:blank"));
    main.Tabstrip1->setValue(2);
    main.cmdClose_Click();
    main.cmdNew_Click();
    QCOMPARE(main.currentTabNumber(), 4);
    QCOMPARE(openTabs(main), (QList<int>{1, 3, 4}));
    QVERIFY(!main.Tabstrip1->tabVisible(2));
    QCOMPARE(main.webCount(), 5);
    // The slider stands on the new tab, the last open one.
    QCOMPARE(main.spinbutton1->maximum(), 2);
    QCOMPARE(main.spinbutton1->value(), 2);
    QCOMPARE(main.sliderPos, 2);
}

void tst_MainWindowTabs::closeSelectsNeighbour_data()
{
    QTest::addColumn<int>("closed");
    QTest::addColumn<int>("shown");
    QTest::newRow("middle: right neighbour") << 2 << 3;
    QTest::newRow("first: right neighbour") << 1 << 2;
    QTest::newRow("rightmost: left neighbour") << 4 << 3;
}

void tst_MainWindowTabs::closeSelectsNeighbour()
{
    QFETCH(int, closed);
    QFETCH(int, shown);
    ProgramFixture fx;
    frmMain &main = fx.start();
    for (int i = 0; i < 3; ++i)
        main.cmdNew_Click();
    fx.web(shown)->fakeNavigate(QStringLiteral("http://127.0.0.1/shown.html"),
                                QStringLiteral("Shown page"));
    main.Tabstrip1->setValue(closed);
    main.cmdClose_Click();
    QCOMPARE(main.currentTabNumber(), shown);
    QCOMPARE(main.currentTab, shown);
    QVERIFY(!main.Tabstrip1->tabVisible(closed));
    QVERIFY(!fx.web(closed)->Visible());
    QVERIFY(fx.web(closed)->Silent());
    QCOMPARE(main.Combo1->currentText(), QStringLiteral("http://127.0.0.1/shown.html"));
    QCOMPARE(main.windowTitle(), QStringLiteral("Shown page - Velmora"));
    QVERIFY(main.pageFocusPending);
}

void tst_MainWindowTabs::lastTabGoesHome()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.web(1)->fakeNavigate(QStringLiteral("http://127.0.0.1/a.html"));
    const int before = fx.web(1)->calls.navigations.size();
    main.cmdClose_Click();
    QCOMPARE(openTabs(main), QList<int>{1});
    QCOMPARE(fx.web(1)->calls.navigations.size(), before + 1);
    QCOMPARE(fx.web(1)->LocationURL(), QStringLiteral("about:blank"));
    // On the home page already: nothing more happens.
    main.cmdClose_Click();
    QCOMPARE(fx.web(1)->calls.navigations.size(), before + 1);
    QCOMPARE(openTabs(main), QList<int>{1});
}

void tst_MainWindowTabs::closedTabReleasesItsPage()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click();
    QVERIFY(fx.web(2)->hasPage());
    main.cmdClose_Click();
    QVERIFY(main.web(2) != nullptr); // the slot stays
    QVERIFY(!fx.web(2)->hasPage());
    QVERIFY(fx.web(2)->calls.releases > 0);
}

void tst_MainWindowTabs::tabLimit()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    // Numbers 0..998 in use: two more tabs may open, the second with the notice.
    while (main.Tabstrip1->tabs().toInt() < 999)
        main.cmdNew_Click();
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    main.cmdNew_Click();
    QCOMPARE(main.currentTabNumber(), 999);
    QVERIFY(fx.dialogs().msgCalls.isEmpty());

    main.cmdNew_Click();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    const auto &notice = fx.dialogs().msgCalls.first();
    QCOMPARE(notice.title, QStringLiteral("Only 1000 tabs/Только 1000 вкладок"));
    QVERIFY(notice.text.startsWith(
        QStringLiteral("Sorry, but this version of Velmora can open (and close) only 1000 tabs\r\n"
                       "\r\nЭта версия Velmora")));
    QCOMPARE(notice.icon, MsgIcon::Information);
    QCOMPARE(main.currentTabNumber(), 1000);

    main.cmdNew_Click();
    QCOMPARE(fx.dialogs().msgCalls.size(), 2);
    QCOMPARE(main.currentTabNumber(), 1000);
    QCOMPARE(main.webCount(), 1001);
    QCOMPARE(main.Tabstrip1->tabCaption(1000), QStringLiteral("about:blank"));
}

void tst_MainWindowTabs::tabLimitAfterNewestWereClosed()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    // Each new tab is closed again, so the row never reads more than two.
    int last = 1;
    while (last < 1000) {
        main.cmdNew_Click();
        QCOMPARE(main.currentTabNumber(), last + 1);
        last = main.currentTabNumber();
        main.cmdClose_Click();
    }
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    QCOMPARE(main.Tabstrip1->tabs().toInt(), 2);
    const int webs = main.webCount();
    main.cmdNew_Click();
    // Every number is used: the user is told and no tab opens.
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(fx.dialogs().msgCalls.first().title, QStringLiteral("Only 1000 tabs/Только 1000 вкладок"));
    QCOMPARE(openTabs(main), QList<int>{1});
    QCOMPARE(main.webCount(), webs);
}

void tst_MainWindowTabs::closeAll()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    for (int i = 0; i < 4; ++i)
        main.cmdNew_Click();
    main.Tabstrip1->setValue(2);
    main.cmdClose_Click();
    main.Tabstrip1->setValue(4);
    main.cmdClose_Click();
    QCOMPARE(openTabs(main), (QList<int>{1, 3, 5}));
    QPointer<velmora::platform::FakeWebBrowser> oldThree = fx.web(3);

    fx.dialogs().answerMsgBox(MsgResult::No);
    main.mnuCloseAllTabs_Click();
    QCOMPARE(openTabs(main), (QList<int>{1, 3, 5}));

    fx.dialogs().answerMsgBox(MsgResult::Yes);
    main.mnuCloseAllTabs_Click();
    QCOMPARE(openTabs(main), QList<int>{1});
    QCOMPARE(main.currentTabNumber(), 1);
    QCOMPARE(fx.web(1)->LocationURL(), QStringLiteral("about:blank"));
    // Closed tabs got fresh controls that hold no page.
    QTRY_VERIFY(oldThree.isNull());
    QVERIFY(fx.web(3) && !fx.web(3)->hasPage() && !fx.web(3)->Visible());
    QCOMPARE(fx.program().tabMaps().posToTab[0], 1);
    QVERIFY(main.isEnabled());
    QVERIFY(main.Timer1->isActive());
    QCOMPARE(fx.dialogs().msgCalls.last().title, fx.program().language().langText(3));
}

void tst_MainWindowTabs::closeAllAfterTabOneWasClosed()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click();
    main.cmdNew_Click();
    main.Tabstrip1->setValue(1);
    main.cmdClose_Click();
    fx.dialogs().answerMsgBox(MsgResult::Yes);
    main.mnuCloseAllTabs_Click();
    // Exactly one tab stays open, sent home.
    QCOMPARE(openTabs(main).size(), 1);
    const int survivor = openTabs(main).first();
    QCOMPARE(main.currentTabNumber(), survivor);
    QCOMPARE(fx.web(survivor)->LocationURL(), QStringLiteral("about:blank"));
    QVERIFY(fx.web(survivor)->Visible());
}

void tst_MainWindowTabs::getTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("page title") << QStringLiteral("Hello") << QStringLiteral("Hello");
    QTest::newRow("blank wrapper") << QStringLiteral("http://about:blank")
                                   << QStringLiteral("about:blank");
    QTest::newRow("no title: location name") << QString()
                                             << QStringLiteral("http://127.0.0.1/x.html");
}

void tst_MainWindowTabs::getTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.web(1)->fakeNavigate(QStringLiteral("http://127.0.0.1/x.html"), title);
    QCOMPARE(main.getTitle(1), expected);
    QCOMPARE(main.getTitle(777), QString());
}

void tst_MainWindowTabs::navigationCommands()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    auto *web = fx.web(1);
    web->fakeNavigate(QStringLiteral("http://127.0.0.1/a.html"));
    web->fakeNavigate(QStringLiteral("http://127.0.0.1/b.html"));
    main.mnuBack->trigger();
    QCOMPARE(web->LocationURL(), QStringLiteral("http://127.0.0.1/a.html"));
    QCOMPARE(web->calls.goBacks, 1);
    main.mnuForward->trigger();
    QCOMPARE(web->LocationURL(), QStringLiteral("http://127.0.0.1/b.html"));
    QVERIFY(web->calls.stops >= 2); // each goes after a stop
    const int stops = web->calls.stops;
    main.mnuStop->trigger();
    QCOMPARE(web->calls.stops, stops + 1);
    main.mnuHome->trigger();
    QCOMPARE(web->LocationURL(), QStringLiteral("about:blank"));
}

void tst_MainWindowTabs::progressOfTabAbove255NotShown()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.tabProgress[1] = 40;
    main.tabProgressMax[1] = 100;
    main.Tabstrip1->setValue(1);
    QCOMPARE(main.Bar1->value(), 40);
    while (main.Tabstrip1->tabs().toInt() <= 256)
        main.cmdNew_Click();
    main.Tabstrip1->setValue(1);
    QCOMPARE(main.Bar1->value(), 40);
    main.Tabstrip1->setValue(256);
    // Nothing is remembered above 255: the bar keeps what it showed.
    QCOMPARE(main.Bar1->value(), 40);
}

void tst_MainWindowTabs::exitConfirmation_data()
{
    QTest::addColumn<bool>("conExit");
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("stored");
    QTest::newRow("asked, yes") << true << MsgResult::Yes << true << true;
    QTest::newRow("asked, no") << true << MsgResult::No << false << false;
    QTest::newRow("not asked") << false << MsgResult::Yes << true << false;
}

void tst_MainWindowTabs::exitConfirmation()
{
    QFETCH(bool, conExit);
    QFETCH(MsgResult, answer);
    QFETCH(bool, closes);
    QFETCH(bool, stored);
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.program().optionFlags.conExit = conExit;
    fx.dialogs().answerMsgBox(answer);
    main.close();
    QCOMPARE(main.unloading, closes);
    QCOMPARE(main.exiting, closes);
    QCOMPARE(main.isVisible(), !closes);
    QCOMPARE(fx.dialogs().msgCalls.size(), conExit ? 1 : 0);
    if (conExit) {
        QCOMPARE(fx.dialogs().msgCalls.first().text, fx.program().language().langText(0));
        QCOMPARE(fx.dialogs().msgCalls.first().icon, MsgIcon::Question);
    }
    const QString state = fx.program().settings().GetSetting(QStringLiteral("general"),
                                                             QStringLiteral("WindowState"));
    QCOMPARE(state, stored ? QStringLiteral("0") : QString());
    if (!closes)
        QVERIFY(main.Timer1->isActive());
}

void tst_MainWindowTabs::unloadEndsProcessAfterOneSecond()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click();
    fx.program().optionFlags.conExit = false;
    QElapsedTimer timer;
    timer.start();
    main.close();
    QVERIFY(fx.system().exitCodes.isEmpty());
    QVERIFY(fx.program().appClosing);
    QVERIFY(main.web(0) != nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(fx.system().exitCodes, QList<int>{0}, 3000);
    QVERIFY(timer.elapsed() >= 900);
    QCOMPARE(fx.program().settings().GetSetting(QStringLiteral("general"),
                                                QStringLiteral("Favorites")),
             QStringLiteral("False"));
}

void tst_MainWindowTabs::modesAreOffAtEveryStart()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    for (const char *name : {"CAutosave", "mnuIE", "mnuOffline", "mnuTabCatch", "mnuWinCatch",
                             "mnuNoLabels", "mnuTop"})
        QVERIFY2(!main.actionNamed(QString::fromLatin1(name))->isChecked(), name);
    // Low-memory warnings: the setting's default is on.
    QVERIFY(main.mnuMemMesOff->isChecked());
}

QTEST_MAIN(tst_MainWindowTabs)
#include "tst_mainwindow_tabs.moc"
