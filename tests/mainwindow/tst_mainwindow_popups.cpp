// Windows a page opens by itself, and windows meant for the desktop's browser.
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Language.h"
#include "PopupGate.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "TabRowReading.h"
#include "frmMain.h"
#include "frmOptions.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTest>

using velmora::mainwindow::frmMain;
using velmora::platform::FakeWebBrowser;
using velmora::platform::PopupGate;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using Opener = FakeWebBrowser::Opener;

namespace {

QString refusedText(ProgramFixture &fx)
{
    return fx.program().language().own(
        u"Страница открывает окна одно за другим: остальные её окна не открыты.",
        u"The page keeps opening windows by itself: its further windows were not opened.");
}

QString fallbackText(ProgramFixture &fx)
{
    return fx.program().language().own(
        u"Браузер системы не запускается: окно открыто во вкладке.",
        u"The desktop's browser could not be started: the window opened in a tab.");
}

} // namespace

class tst_MainWindowPopups : public QObject
{
    Q_OBJECT

private slots:
    void pageOpenedWindowsAreBounded();
    void userWindowsAreNeverRefused();
    void newPageLoadStartsCountAgain();
    void refusalAppliesBeforeEveryMode_data();
    void refusalAppliesBeforeEveryMode();
    void eachPageHasItsOwnCount();
    void systemBrowserThatCannotStartGivesTab_data();
    void systemBrowserThatCannotStartGivesTab();
};

void tst_MainWindowPopups::pageOpenedWindowsAreBounded()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://flood.example/")));
    w.statusPanel1->clear();
    int handed = 0;
    for (int i = 0; i < 200; ++i) {
        if (fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/%1").arg(i), {},
                                      Opener::Page))
            ++handed;
        if (i == PopupGate::PerPageLoad) {
            // The first refusal is reported.
            QCOMPARE(w.statusPanel1->text(), refusedText(fx));
            w.statusPanel1->setText(QStringLiteral("page text"));
        }
    }
    QCOMPARE(handed, PopupGate::PerPageLoad);
    QCOMPARE(openTabs(w).size(), 1 + PopupGate::PerPageLoad);
    // Once: later refusals leave the status bar alone.
    QCOMPARE(w.statusPanel1->text(), QStringLiteral("page text"));
}

void tst_MainWindowPopups::userWindowsAreNeverRefused()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://flood.example/")));
    for (int i = 0; i < PopupGate::PerPageLoad + 5; ++i)
        fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/"), {}, Opener::Page);
    const int before = int(openTabs(w).size());
    for (int i = 0; i < 15; ++i)
        QVERIFY(fx.web(1)->fakeOpenWindow(QStringLiteral("http://wanted.example/%1").arg(i), {},
                                          Opener::User));
    QCOMPARE(int(openTabs(w).size()), before + 15);
}

void tst_MainWindowPopups::newPageLoadStartsCountAgain()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://flood.example/")));
    for (int i = 0; i <= PopupGate::PerPageLoad; ++i)
        fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/"), {}, Opener::Page);
    QCOMPARE(fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/"), {}, Opener::Page),
             nullptr);
    w.statusPanel1->clear();

    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://next.example/")));
    for (int i = 0; i < PopupGate::PerPageLoad; ++i)
        QVERIFY(fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/"), {},
                                          Opener::Page));
    QCOMPARE(w.statusPanel1->text(), QString());
    QCOMPARE(fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/"), {}, Opener::Page),
             nullptr);
    // The new page load is told once again.
    QCOMPARE(w.statusPanel1->text(), refusedText(fx));
    QCOMPARE(openTabs(w).size(), 1 + 2 * PopupGate::PerPageLoad);
}

void tst_MainWindowPopups::refusalAppliesBeforeEveryMode_data()
{
    QTest::addColumn<bool>("systemBrowser");
    QTest::addColumn<bool>("tabCatch");
    QTest::newRow("tabs") << false << false;
    QTest::newRow("desktop browser") << true << false;
    QTest::newRow("tab catch") << false << true;
}

void tst_MainWindowPopups::refusalAppliesBeforeEveryMode()
{
    QFETCH(bool, systemBrowser);
    QFETCH(bool, tabCatch);
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.mnuIE->setChecked(systemBrowser);
    w.Check2->setChecked(tabCatch);
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://flood.example/")));
    for (int i = 0; i < 3 * PopupGate::PerPageLoad; ++i)
        fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/%1").arg(i), {},
                                  Opener::Page);
    // The modes decide on the windows let through, as before.
    const int expectedTabs = systemBrowser || tabCatch ? 1 : 1 + PopupGate::PerPageLoad;
    QCOMPARE(int(openTabs(w).size()), expectedTabs);
    QCOMPARE(int(fx.system().openedInSystemBrowser.size()),
             systemBrowser ? PopupGate::PerPageLoad : 0);
    QCOMPARE(w.statusPanel1->text(), refusedText(fx));
}

void tst_MainWindowPopups::eachPageHasItsOwnCount()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://flood.example/")));
    for (int i = 0; i < 2 * PopupGate::PerPageLoad; ++i)
        fx.web(1)->fakeOpenWindow(QStringLiteral("http://ad.example/"), {}, Opener::Page);
    // A tab opened by the flood may open windows of its own.
    FakeWebBrowser *child = fx.web(2);
    QVERIFY(child);
    QVERIFY(child->fakeOpenWindow(QStringLiteral("http://other.example/"), {}, Opener::Page));
    QCOMPARE(openTabs(w).size(), 2 + PopupGate::PerPageLoad);
}

void tst_MainWindowPopups::systemBrowserThatCannotStartGivesTab_data()
{
    QTest::addColumn<bool>("starts");
    QTest::newRow("desktop browser starts") << true;
    QTest::newRow("no desktop browser") << false;
}

void tst_MainWindowPopups::systemBrowserThatCannotStartGivesTab()
{
    QFETCH(bool, starts);
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.mnuIE->setChecked(true);
    fx.system().openSucceeds = starts;
    fx.program().optionFlags.opNW = false;
    w.statusPanel1->setText(QStringLiteral("before"));
    const QString url = QStringLiteral("http://popup.example/page.html");

    QCOMPARE(fx.web(1)->fakeOpenWindow(url), nullptr);

    QCOMPARE(fx.system().openedInSystemBrowser, QStringList{url});
    if (starts) {
        QCOMPARE(openTabs(w), QList<int>{1});
        QCOMPARE(w.statusPanel1->text(), QStringLiteral("before"));
        return;
    }
    // The page is not lost: a tab of ours shows it, and the user is told.
    QCOMPARE(openTabs(w), (QList<int>{1, 2}));
    QTRY_COMPARE(fx.web(2)->LocationURL(), url);
    QCOMPARE(w.statusPanel1->text(), fallbackText(fx));
    QCOMPARE(w.currentTabNumber(), 1);
}

QTEST_MAIN(tst_MainWindowPopups)
#include "tst_mainwindow_popups.moc"
