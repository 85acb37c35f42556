#include "ProgramFixture.h"

#include "Bar.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Language.h"
#include "OneValueFiles.h"
#include "Program.h"
#include "TabHelpers.h"
#include "frmMain.h"
#include "frmOptions.h"

#include <TabstripP.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::platform::FakeWebBrowser;
using velmora::test::ProgramFixture;

namespace {

QStringList historyRows(const frmMain &w)
{
    QStringList rows;
    for (int i = 0; i < w.Combo1->count(); ++i)
        rows.append(w.Combo1->itemText(i));
    return rows;
}

QString title(ProgramFixture &fx, const QString &page)
{
    return page + QStringLiteral(" - ") + fx.program().language().langText(5);
}

// The synchroniser and the first-focus timer move the focus on their own, and
// the window's first activation does too: all of that is over before a test
// looks at the focus.
void settle(frmMain &w)
{
    w.Timer1->stop();
    w.Timer2->stop();
    QCoreApplication::processEvents();
}

// Opens tabs until the highest one has this number; they are left open.
void openTabsUpTo(frmMain &w, int last)
{
    while (w.Tabstrip1->tabs().toInt() <= last)
        w.cmdNew_Click();
}

} // namespace

class tst_MainWindowPageEvents : public QObject
{
    Q_OBJECT

private slots:
    void navigationUpdatesTabAndWindow();
    void navigationOfBackgroundTabLeavesAddressBar();
    void errorPageLeavesNoHistoryRow_data();
    void errorPageLeavesNoHistoryRow();
    void reloadLoopIsStoppedOnTenthRequest();
    void otherAddressRestartsRepeatCount();
    void javascriptRequestChangesNothing_data();
    void javascriptRequestChangesNothing();
    void emptyHostRequestIsCancelled();
    void requestCaptionOfNewestTab_data();
    void requestCaptionOfNewestTab();
    void titleCaption_data();
    void titleCaption();
    void popup_data();
    void popup();
    void popupOpenedInSystemBrowserOnlyOnce();
    void popupAtTabLimit_data();
    void popupAtTabLimit();
    void closingPage_data();
    void closingPage();
    void closingLastPageGoesHome();
    void historyOrder_data();
    void historyOrder();
    void historyFileAfterNavigation();
    void documentCompleteArmsUpdate_data();
    void documentCompleteArmsUpdate();
    void progress_data();
    void progress();
    void statusText_data();
    void statusText();
    void pageFocusEvents();
    void mouseOverPage_data();
    void mouseOverPage();
};

void tst_MainWindowPageEvents::navigationUpdatesTabAndWindow()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.browsers().setPageTitle(QStringLiteral("http://example.com/a.html"),
                               QStringLiteral("Example"));
    FakeWebBrowser *page = fx.web(1);
    w.pageFocusPending = false;

    QVERIFY(page->fakeNavigate(QStringLiteral("http://example.com/a.html")));

    QCOMPARE(w.newURL[1], QStringLiteral("http://example.com/a.html"));
    QCOMPARE(w.prevURL[1], QStringLiteral("about:blank"));
    QCOMPARE(w.windowTitle(), title(fx, QStringLiteral("Example")));
    QCOMPARE(w.Tabstrip1->tabCaption(1), QStringLiteral("Example"));
    QCOMPARE(historyRows(w), QStringList{QStringLiteral("example.com")});
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("http://example.com/a.html"));
    QVERIFY(!w.Combo1->lineEdit()->hasSelectedText());
    // Silent from the completed navigation until the document is complete.
    QCOMPARE(page->calls.silent.mid(page->calls.silent.size() - 2), (QList<bool>{true, false}));
    QVERIFY(w.pageFocusPending);
}

void tst_MainWindowPageEvents::navigationOfBackgroundTabLeavesAddressBar()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().optionFlags.save_mode = true;
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://first.org/")));
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://second.org/")));
    w.cmdNew_Click();
    w.Tabstrip1->setValue(1);
    w.Combo1->setCurrentIndex(0);
    w.Combo1->setEditText(QStringLiteral("typed text"));
    w.pageFocusPending = false;

    // The row under the address text moves and a new one comes in front of it.
    QVERIFY(fx.web(2)->fakeNavigate(QStringLiteral("http://first.org/x")));
    QVERIFY(fx.web(2)->fakeNavigate(QStringLiteral("http://other.org/x")));

    QCOMPARE(w.Combo1->currentText(), QStringLiteral("typed text"));
    QCOMPARE(historyRows(w), (QStringList{QStringLiteral("other.org"),
                                          QStringLiteral("first.org"),
                                          QStringLiteral("second.org")}));
    QCOMPARE(w.newURL[2], QStringLiteral("http://other.org/x"));
    QVERIFY(!w.pageFocusPending);
}

void tst_MainWindowPageEvents::errorPageLeavesNoHistoryRow_data()
{
    QTest::addColumn<bool>("standardMode");
    QTest::addColumn<QStringList>("before");
    QTest::newRow("new host, standard") << true << QStringList{u"a.org"_s, u"b.org"_s};
    QTest::newRow("known host goes back to its row")
        << true << QStringList{u"a.org"_s, u"typo.test"_s, u"b.org"_s};
    QTest::newRow("new host, favourite block") << false << QStringList{u"a.org"_s};
    QTest::newRow("known host behind the block")
        << false
        << QStringList{u"1.org"_s, u"2.org"_s, u"3.org"_s, u"4.org"_s, u"5.org"_s,
                       u"6.org"_s, u"7.org"_s, u"8.org"_s, u"x.org"_s, u"typo.test"_s};
}

// The engine commits its error page under the failed address and only then
// reports the page's own location.
void tst_MainWindowPageEvents::errorPageLeavesNoHistoryRow()
{
    QFETCH(bool, standardMode);
    QFETCH(QStringList, before);
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().optionFlags.save_mode = standardMode;
    w.Combo1->clear();
    w.Combo1->addItems(before);
    const QString failed = u"http://typo.test/page"_s;
    const QString errorPage = u"res://"_s + w.systemDir + u"\\shdoclc.dll/dnserror.htm#"_s + failed;

    QVERIFY(fx.web(1)->fakeNavigate(failed));
    QVERIFY(historyRows(w).contains(u"typo.test"_s));
    fx.web(1)->fakeSameDocument(errorPage);

    QCOMPARE(historyRows(w), before);
    QByteArray file;
    for (const QString &row : before)
        file += '"' + row.toLatin1() + "\"\r\n";
    QCOMPARE(fx.env.readProgramFile(u"WebHis.dat"_s), file);
    QCOMPARE(w.Combo1->currentText(), failed);

    // A later visit of the host is recorded as usual.
    QVERIFY(fx.web(1)->fakeNavigate(u"http://typo.test/other"_s));
    QVERIFY(historyRows(w).contains(u"typo.test"_s));
    QVERIFY(fx.env.readProgramFile(u"WebHis.dat"_s).contains("typo.test"));
}

void tst_MainWindowPageEvents::reloadLoopIsStoppedOnTenthRequest()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    FakeWebBrowser *page = fx.web(1);
    const QString address = QStringLiteral("http://loop.example/");
    QVERIFY(page->fakeNavigate(address));
    const int stops = page->calls.stops;

    for (int i = 1; i <= 9; ++i)
        QVERIFY2(page->fakeNavigate(address), qPrintable(QString::number(i)));
    QCOMPARE(page->calls.stops, stops);
    QVERIFY(!page->fakeNavigate(address));
    QCOMPARE(page->calls.stops, stops + 1);
    // The count starts again after the stop.
    QVERIFY(page->fakeNavigate(address));
    QCOMPARE(w.repeatCount, 1);
}

void tst_MainWindowPageEvents::otherAddressRestartsRepeatCount()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    FakeWebBrowser *page = fx.web(1);
    const QString address = QStringLiteral("http://loop.example/");
    QVERIFY(page->fakeNavigate(address));
    for (int i = 0; i < 5; ++i)
        QVERIFY(page->fakeNavigate(address));

    QVERIFY(fx.web(2)->fakeNavigate(QStringLiteral("http://elsewhere.example/")));

    for (int i = 1; i <= 9; ++i)
        QVERIFY2(page->fakeNavigate(address), qPrintable(QString::number(i)));
    QVERIFY(!page->fakeNavigate(address));
}

void tst_MainWindowPageEvents::javascriptRequestChangesNothing_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("guarded");
    QTest::newRow("script") << QStringLiteral("javascript:void(0)") << true;
    QTest::newRow("word only") << QStringLiteral("javascript") << true;
    QTest::newRow("word later") << QStringLiteral("http://x/javascript") << false;
}

void tst_MainWindowPageEvents::javascriptRequestChangesNothing()
{
    QFETCH(QString, url);
    QFETCH(bool, guarded);
    ProgramFixture fx;
    frmMain &w = fx.start();
    const QString shown = QStringLiteral("http://shown.example/");
    QVERIFY(fx.web(1)->fakeNavigate(shown));
    QVERIFY(fx.web(1)->fakeNavigate(shown));
    QCOMPARE(w.repeatCount, 1);
    w.Tabstrip1->setTabCaption(1, QString());
    w.newURL[1] = QStringLiteral("typed");

    bool cancel = false;
    w.Web_BeforeNavigate2(1, url, &cancel);

    QVERIFY(!cancel);
    if (guarded) {
        QCOMPARE(w.repeatCount, 1);
        QCOMPARE(w.newURL[1], QStringLiteral("typed"));
        QCOMPARE(w.Tabstrip1->tabCaption(1), QString());
    } else {
        QCOMPARE(w.repeatCount, 0);
        QCOMPARE(w.newURL[1], url);
        QCOMPARE(w.prevURL[1], shown);
        QCOMPARE(w.Tabstrip1->tabCaption(1), url);
    }
}

void tst_MainWindowPageEvents::emptyHostRequestIsCancelled()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.newURL[1] = QStringLiteral("kept");
    bool cancel = false;
    w.Web_BeforeNavigate2(1, QStringLiteral("http:///"), &cancel);
    QVERIFY(cancel);
    QCOMPARE(w.newURL[1], QStringLiteral("kept"));
}

void tst_MainWindowPageEvents::requestCaptionOfNewestTab_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("caption");
    QTest::newRow("19 characters") << QStringLiteral("http://abcdefghijkl") // 19
                                   << QStringLiteral("http://abcdefghijkl");
    QTest::newRow("20 characters") << QStringLiteral("http://abcdefghijklm") // 20
                                   << QStringLiteral("http://abcdefghijklm...");
    QTest::newRow("longer") << QStringLiteral("http://abcdefghijklmnopqrstuvwxyz/")
                            << QStringLiteral("http://abcdefghijklm...");
}

void tst_MainWindowPageEvents::requestCaptionOfNewestTab()
{
    QFETCH(QString, url);
    QFETCH(QString, caption);
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    w.Tabstrip1->setTabCaption(2, QString());

    bool cancel = false;
    w.Web_BeforeNavigate2(2, url, &cancel);
    QCOMPARE(w.Tabstrip1->tabCaption(2), caption);

    // A caption already there is left alone.
    w.Web_BeforeNavigate2(2, QStringLiteral("http://next/"), &cancel);
    QCOMPARE(w.Tabstrip1->tabCaption(2), caption);
}

void tst_MainWindowPageEvents::titleCaption_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("fromCurrent");
    QTest::newRow("20 characters") << QStringLiteral("abcdefghijklmnopqrst")
                                   << QStringLiteral("abcdefghijklmnopqrst") << true;
    QTest::newRow("21 characters") << QStringLiteral("abcdefghijklmnopqrstu")
                                   << QStringLiteral("abcdefghijklmnopqrst...") << true;
    QTest::newRow("short") << QStringLiteral("Home") << QStringLiteral("Home") << true;
    QTest::newRow("background tab") << QStringLiteral("abcdefghijklmnopqrstu")
                                    << QStringLiteral("abcdefghijklmnopqrst...") << false;
}

void tst_MainWindowPageEvents::titleCaption()
{
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(bool, fromCurrent);
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://one.example/"),
                                    QStringLiteral("Page one")));
    w.Tabstrip1->setValue(fromCurrent ? 2 : 1);

    fx.web(2)->fakeTitle(text);

    QCOMPARE(w.Tabstrip1->tabCaption(2), caption);
    // The new caption makes the row report a change: the window shows the
    // current tab's title, whichever tab reported.
    QCOMPARE(w.windowTitle(), title(fx, fromCurrent ? text : QStringLiteral("Page one")));
}

void tst_MainWindowPageEvents::popup_data()
{
    QTest::addColumn<bool>("systemBrowser");
    QTest::addColumn<bool>("tabCatch");
    QTest::addColumn<bool>("windowFilter");
    QTest::addColumn<bool>("opNW");
    QTest::addColumn<bool>("newTab");

    QTest::newRow("new tab, selected") << false << false << false << true << true;
    QTest::newRow("new tab, in background") << false << false << false << false << true;
    QTest::newRow("tab catch refuses") << false << true << false << true << false;
    QTest::newRow("window filter refuses") << false << false << true << true << false;
    QTest::newRow("system browser") << true << false << false << true << false;
    QTest::newRow("system browser before filters") << true << true << true << true << false;
}

void tst_MainWindowPageEvents::popup()
{
    QFETCH(bool, systemBrowser);
    QFETCH(bool, tabCatch);
    QFETCH(bool, windowFilter);
    QFETCH(bool, opNW);
    QFETCH(bool, newTab);
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.mnuIE->setChecked(systemBrowser);
    w.Check2->setChecked(tabCatch);
    w.Check3->setChecked(windowFilter);
    fx.program().optionFlags.opNW = opNW;
    settle(w);
    w.FocusOwner = 1;
    w.pageFocusPending = false;
    const QString url = QStringLiteral("http://popup.example/ad.html");
    const int webs = w.webCount();
    // The new tab's page loads later, as the engine's does.
    fx.browsers().setAsync(true);

    velmora::platform::WebBrowser *handed = fx.web(1)->fakeOpenWindow(url);

    if (!newTab) {
        QCOMPARE(handed, nullptr);
        QCOMPARE(w.Tabstrip1->tabs().toInt(), 2);
        QCOMPARE(w.webCount(), webs);
        QCOMPARE(w.FocusOwner, 1);
        QCOMPARE(fx.system().openedInSystemBrowser,
                 systemBrowser ? QStringList{url} : QStringList{});
        return;
    }
    QCOMPARE(fx.system().openedInSystemBrowser, QStringList{});
    QCOMPARE(w.Tabstrip1->tabs().toInt(), 3);
    QVERIFY(handed);
    QCOMPARE(handed, w.web(2));
    QCOMPARE(w.newWindowObject.data(), w.web(2));
    QVERIFY(fx.web(2)->Visible());
    QCOMPARE(fx.web(2)->calls.silent, QList<bool>{false});
    QCOMPARE(w.Tabstrip1->tabCaption(2), QString());
    QCOMPARE(w.currentTabNumber(), opNW ? 2 : 1);
    QCOMPARE(w.FocusOwner, 2);
    QVERIFY(w.pageFocusPending);
    QCOMPARE(w.spinbutton1->maximum(), 1);
    QCOMPARE(w.spinbutton1->value(), opNW ? 1 : 0);
    QCOMPARE(w.sliderPos, w.spinbutton1->value());
    // The page the user is reading stays in front of the new one.
    const int current = w.currentTabNumber();
    const int other = 3 - current;
    const QWidgetList order = w.form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QVERIFY(order.indexOf(w.web(current)->widget()) > order.indexOf(w.web(other)->widget()));

    QTRY_COMPARE(fx.web(2)->LocationURL(), url);
    QCOMPARE(w.newURL[2], url);
    QCOMPARE(w.Tabstrip1->tabCaption(2), QStringLiteral("popup.example/ad.htm..."));
}

void tst_MainWindowPageEvents::popupOpenedInSystemBrowserOnlyOnce()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.mnuIE->setChecked(true);
    QCOMPARE(fx.web(1)->fakeOpenWindow(QStringLiteral("http://one.example/")), nullptr);
    QCOMPARE(fx.web(1)->fakeOpenWindow(QStringLiteral("http://two.example/")), nullptr);
    QCOMPARE(fx.system().openedInSystemBrowser,
             (QStringList{QStringLiteral("http://one.example/"),
                          QStringLiteral("http://two.example/")}));
    // With the mode off again, nothing left over opens a third one.
    w.mnuIE->setChecked(false);
    QVERIFY(fx.web(1)->fakeOpenWindow(QStringLiteral("http://three.example/")));
    QCOMPARE(fx.system().openedInSystemBrowser.size(), 2);
}

void tst_MainWindowPageEvents::popupAtTabLimit_data()
{
    QTest::addColumn<int>("lastTab");
    QTest::addColumn<bool>("opens");
    QTest::newRow("tab 999 last: tab 1000 opens") << 999 << true;
    QTest::newRow("tab 1000 in use: refused") << 1000 << false;
}

void tst_MainWindowPageEvents::popupAtTabLimit()
{
    QFETCH(int, lastTab);
    QFETCH(bool, opens);
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().optionFlags.opNW = false;
    openTabsUpTo(w, lastTab);
    w.Tabstrip1->setValue(1);

    velmora::platform::WebBrowser *handed =
        fx.web(1)->fakeOpenWindow(QStringLiteral("http://popup.example/"));

    QCOMPARE(w.Tabstrip1->tabs().toInt(), opens ? 1001 : lastTab + 1);
    if (opens) {
        QVERIFY(handed);
        QCOMPARE(handed, w.web(1000));
        QCOMPARE(w.webCount(), 1001);
    } else {
        QCOMPARE(handed, nullptr);
        QCOMPARE(w.web(1001), nullptr);
        QVERIFY(fx.system().openedInSystemBrowser.isEmpty());
    }
    QCOMPARE(w.currentTabNumber(), 1);
}

void tst_MainWindowPageEvents::closingPage_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("closing");
    QTest::addColumn<int>("shownAfter");
    QTest::newRow("current middle tab: right neighbour") << 2 << 2 << 3;
    QTest::newRow("rightmost tab: left neighbour") << 3 << 3 << 2;
    QTest::newRow("background tab closes itself") << 1 << 2 << 3;
}

void tst_MainWindowPageEvents::closingPage()
{
    QFETCH(int, current);
    QFETCH(int, closing);
    QFETCH(int, shownAfter);
    ProgramFixture fx;
    frmMain &w = fx.start();
    openTabsUpTo(w, 3);
    w.Tabstrip1->setValue(current);

    QVERIFY(!fx.web(closing)->fakeCloseWindow());

    QVERIFY(!w.Tabstrip1->tabVisible(closing));
    QVERIFY(!fx.web(closing)->Visible());
    QCOMPARE(w.currentTabNumber(), shownAfter);
    QCOMPARE(velmora::services::countVisibleTabs(*w.Tabstrip1), 2);
}

void tst_MainWindowPageEvents::closingLastPageGoesHome()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    FakeWebBrowser *page = fx.web(1);
    QVERIFY(page->fakeNavigate(QStringLiteral("http://away.example/")));

    QVERIFY(!page->fakeCloseWindow());

    QVERIFY(w.Tabstrip1->tabVisible(1));
    QCOMPARE(page->calls.navigations.last(), fx.program().files().getHomePage());
    QCOMPARE(page->LocationURL(), fx.program().files().getHomePage());
}

void tst_MainWindowPageEvents::historyOrder_data()
{
    QTest::addColumn<bool>("standardMode");
    QTest::addColumn<QStringList>("visits");
    QTest::addColumn<QStringList>("rows");

    const auto split = [](const char *s) {
        return QString::fromLatin1(s).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    };
    const char *block = "a b c d e f g h ";
    const auto withBlock = [&](const char *more) {
        return split(block) + split(more);
    };

    QTest::newRow("favourite: first visits in order")
        << false << split("a b c") << split("a b c");
    QTest::newRow("favourite: revisit moves to row 0")
        << false << split("a b c c") << split("c a b");
    QTest::newRow("favourite: ninth site at row 8")
        << false << withBlock("x") << withBlock("x");
    QTest::newRow("favourite: tenth site above the ninth")
        << false << withBlock("x y") << withBlock("y x");
    QTest::newRow("favourite: later site revisited back to row 8")
        << false << withBlock("x y x") << withBlock("x y");
    QTest::newRow("favourite: block site revisited to row 0")
        << false << withBlock("x y d") << split("d a b c e f g h y x");
    QTest::newRow("favourite: last block row revisited stays in the block")
        << false << withBlock("x h") << split("h a b c d e f g x");
    QTest::newRow("standard: newest first") << true << split("a b c") << split("c b a");
    QTest::newRow("standard: revisit moves to row 0")
        << true << split("a b c a") << split("a c b");
    QTest::newRow("standard: no block") << true << withBlock("x a")
                                        << split("a x h g f e d c b");
}

void tst_MainWindowPageEvents::historyOrder()
{
    QFETCH(bool, standardMode);
    QFETCH(QStringList, visits);
    QFETCH(QStringList, rows);
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().optionFlags.save_mode = standardMode;
    for (const QString &host : visits)
        QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://") + host + QStringLiteral("/p")));
    QCOMPARE(historyRows(w), rows);
}

void tst_MainWindowPageEvents::historyFileAfterNavigation()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().optionFlags.save_mode = true;
    const QStringList addresses{
        QStringLiteral("http://plain.example/a/b.html"),
        QStringLiteral("https://secure.example:8443/"),
        QStringLiteral("ftp://files.example/pub/"),
        // Not web addresses: no history row.
        QStringLiteral("file:///tmp/page.html"),
        QStringLiteral("about:blank"),
    };
    for (const QString &address : addresses)
        QVERIFY(fx.web(1)->fakeNavigate(address));

    QCOMPARE(historyRows(w), (QStringList{QStringLiteral("files.example"),
                                          QStringLiteral("secure.example:8443"),
                                          QStringLiteral("plain.example")}));
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")),
             QByteArray("\"files.example\"\r\n\"secure.example:8443\"\r\n\"plain.example\"\r\n"));
}

void tst_MainWindowPageEvents::documentCompleteArmsUpdate_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("timerOn");
    QTest::addColumn<bool>("armed");
    QTest::newRow("real page") << QStringLiteral("http://news.example/") << true << true;
    QTest::newRow("timer off") << QStringLiteral("http://news.example/") << false << false;
    QTest::newRow("home page") << QStringLiteral("<home>") << true << false;
    QTest::newRow("about page") << QStringLiteral("about:blank") << true << false;
    QTest::newRow("local file") << QStringLiteral("file:///tmp/x.html") << true << false;
    QTest::newRow("empty") << QString() << true << false;
}

void tst_MainWindowPageEvents::documentCompleteArmsUpdate()
{
    QFETCH(QString, url);
    QFETCH(bool, timerOn);
    QFETCH(bool, armed);
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().files().setHomePage(QStringLiteral("http://home.example/"));
    if (url == QLatin1String("<home>"))
        url = fx.program().files().getHomePage();
    if (timerOn)
        w.tmrUpd->start();
    else
        w.tmrUpd->stop();
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://located.example/")));
    w.updateArmed = false;
    fx.web(1)->setSilent(true);

    w.Web_DocumentComplete(1, url);

    QCOMPARE(w.updateArmed, armed);
    QVERIFY(!fx.web(1)->Silent());
    QCOMPARE(w.newURL[1], QStringLiteral("http://located.example/"));
}

void tst_MainWindowPageEvents::progress_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("current");
    QTest::addColumn<bool>("remembered");
    QTest::newRow("current tab") << 1 << true << true;
    QTest::newRow("background tab") << 2 << false << true;
    QTest::newRow("tab 255") << 255 << true << true;
    QTest::newRow("tab 256, current") << 256 << true << false;
    QTest::newRow("tab 300, background") << 300 << false << false;
}

void tst_MainWindowPageEvents::progress()
{
    QFETCH(int, tab);
    QFETCH(bool, current);
    QFETCH(bool, remembered);
    ProgramFixture fx;
    frmMain &w = fx.start();
    openTabsUpTo(w, qMax(tab, 2));
    w.Tabstrip1->setValue(current ? tab : 1);
    w.Bar1->setMax(10);
    w.Bar1->setValue(3);
    const auto before = w.tabProgress;

    w.Web_ProgressChange(tab, 40, 100);

    QCOMPARE(w.Bar1->value(), current ? 40 : 3);
    QCOMPARE(w.Bar1->max(), current ? 100 : 10);
    if (remembered) {
        QCOMPARE(w.tabProgress[static_cast<size_t>(tab)], 40L);
        QCOMPARE(w.tabProgressMax[static_cast<size_t>(tab)], 100L);
    } else {
        QVERIFY(w.tabProgress == before);
    }
}

void tst_MainWindowPageEvents::statusText_data()
{
    QTest::addColumn<bool>("fromCurrent");
    QTest::addColumn<bool>("unloading");
    QTest::addColumn<bool>("shown");
    QTest::newRow("current tab") << true << false << true;
    QTest::newRow("background tab") << false << false << false;
    QTest::newRow("while unloading") << true << true << false;
}

void tst_MainWindowPageEvents::statusText()
{
    QFETCH(bool, fromCurrent);
    QFETCH(bool, unloading);
    QFETCH(bool, shown);
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    w.Tabstrip1->setValue(1);
    w.statusPanel1->setText(QStringLiteral("before"));
    w.unloading = unloading;

    fx.web(fromCurrent ? 1 : 2)->fakeStatus(QStringLiteral("Loading http://x/"));

    QCOMPARE(w.statusPanel1->text(),
             shown ? QStringLiteral("Loading http://x/") : QStringLiteral("before"));
    w.unloading = false;
}

void tst_MainWindowPageEvents::pageFocusEvents()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.FocusOwner = 1;
    fx.web(1)->fakeFocusIn();
    QCOMPARE(w.FocusOwner, 2);
    fx.web(1)->fakeFocusOut();
    QCOMPARE(w.FocusOwner, 3);
}

void tst_MainWindowPageEvents::mouseOverPage_data()
{
    QTest::addColumn<int>("focusOwner");
    QTest::addColumn<bool>("foreground");
    QTest::addColumn<bool>("focused");
    QTest::newRow("page") << 2 << true << true;
    QTest::newRow("nothing") << 3 << true << true;
    QTest::newRow("tab row") << 5 << true << true;
    QTest::newRow("address bar") << 1 << true << false;
    QTest::newRow("slider") << 4 << true << false;
    QTest::newRow("suggestions") << 6 << true << false;
    QTest::newRow("close button") << 8 << true << false;
    QTest::newRow("page, other application in front") << 2 << false << false;
}

void tst_MainWindowPageEvents::mouseOverPage()
{
    QFETCH(int, focusOwner);
    QFETCH(bool, foreground);
    QFETCH(bool, focused);
    ProgramFixture fx;
    frmMain &w = fx.start();
    auto *document = fx.web(1)->fakeDocument();
    w.HTML = document;
    fx.system().foreground = foreground;
    w.FocusOwner = focusOwner;
    const int before = document->focusCount;

    w.HTML_onmousemove();

    QCOMPARE(document->focusCount - before, focused ? 1 : 0);
}

QTEST_MAIN(tst_MainWindowPageEvents)
#include "tst_mainwindow_pageevents.moc"
