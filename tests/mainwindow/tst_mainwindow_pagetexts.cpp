// What the window shows of its pages: titles and captions as written, the
// status text of the current page only, an answer to a text that names no
// page, and hosts in the letters the data files hold.

#include "ProgramFixture.h"

#include "FakeWebBrowser.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmOptions.h"

#include <TabstripP.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>

using velmora::mainwindow::frmMain;
using velmora::platform::FakeWebBrowser;
using velmora::test::ProgramFixture;

namespace {

QString program(ProgramFixture &fx)
{
    return QStringLiteral(" - ") + fx.program().language().langText(5);
}

// The timers move the focus and captions on their own; a test drives them.
void holdTimers(frmMain &w)
{
    for (QTimer *timer : {w.Timer1, w.Timer2, w.chang, w.autosave, w.TimResol, w.tmrUpd})
        timer->stop();
    QCoreApplication::processEvents();
}

QStringList historyRows(const frmMain &w)
{
    QStringList rows;
    for (int i = 0; i < w.Combo1->count(); ++i)
        rows.append(w.Combo1->itemText(i));
    return rows;
}

bool hasCyrillic(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF)
            return true;
    }
    return false;
}

} // namespace

class tst_MainWindowPageTexts : public QObject
{
    Q_OBJECT

private slots:
    void titleShownAsWritten_data();
    void titleShownAsWritten();
    void errorPageCaptionedByWhatWasAsked_data();
    void errorPageCaptionedByWhatWasAsked();
    void windowOpenedEmptyIsCaptioned_data();
    void windowOpenedEmptyIsCaptioned();
    void statusTextGoesWithItsPage_data();
    void statusTextGoesWithItsPage();
    void textNamingNoPageIsAnswered_data();
    void textNamingNoPageIsAnswered();
    void hostInCodePageLetters_data();
    void hostInCodePageLetters();
    void typedCyrillicFindsVisitedHost();
    void typedTextOutlivesCompletingPage_data();
    void typedTextOutlivesCompletingPage();
};

void tst_MainWindowPageTexts::titleShownAsWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("ampersand") << QStringLiteral("Tom & Jerry");
    QTest::newRow("doubled ampersand") << QStringLiteral("Q&&A");
    QTest::newRow("modification mark") << QStringLiteral("Draft [*] notes");
}

// The window's caption and the tab row show a page title character for
// character, through the page's report and the synchroniser's refresh.
void tst_MainWindowPageTexts::titleShownAsWritten()
{
    QFETCH(QString, text);
    ProgramFixture fx;
    frmMain &w = fx.start();
    holdTimers(w);
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://example.com/"), text));
    QVERIFY(w.windowHandle());
    QCOMPARE(w.windowHandle()->title(), text + program(fx));
    QCOMPARE(w.Tabstrip1->tabCaption(1), text);
    w.Timer1_Timer();
    QCOMPARE(w.windowHandle()->title(), text + program(fx));
}

void tst_MainWindowPageTexts::errorPageCaptionedByWhatWasAsked_data()
{
    QTest::addColumn<QString>("pageTitle");
    QTest::addColumn<QString>("caption");
    QTest::newRow("no title of its own") << QString() << QStringLiteral("http://k2x/");
    QTest::newRow("its own title") << QStringLiteral("No such site") << QStringLiteral("No such site");
}

// The control keeps the error page's wrapper as its location; the window's
// caption shows the address asked for, or the error page's own title.
void tst_MainWindowPageTexts::errorPageCaptionedByWhatWasAsked()
{
    QFETCH(QString, pageTitle);
    QFETCH(QString, caption);
    ProgramFixture fx;
    frmMain &w = fx.start();
    holdTimers(w);
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://k2x/"), pageTitle));
    const QString wrapper = QStringLiteral("res://") + w.systemDir
                            + QStringLiteral("\\shdoclc.dll/dnserror.htm#http://k2x/");
    // The engine names the failed load's page after the wrapper.
    fx.web(1)->fakeSameDocument(wrapper);
    QCOMPARE(fx.web(1)->LocationURL(), wrapper);

    w.Timer1_Timer();
    QCOMPARE(w.windowTitle(), caption + program(fx));
    QCOMPARE(w.getTitle(1), caption);
    QVERIFY(!w.Tabstrip1->tabCaption(1).contains(QStringLiteral("res://")));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("http://k2x/"));
}

void tst_MainWindowPageTexts::windowOpenedEmptyIsCaptioned_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("caption");
    QTest::newRow("empty") << QString() << QStringLiteral("about:blank");
    QTest::newRow("with an address") << QStringLiteral("http://popup.example/a.html")
                                     << QStringLiteral("Popup");
}

// A window a page opens gets a caption from its address, the blank page's
// when it asks for none; the address it asks for is not overwritten.
void tst_MainWindowPageTexts::windowOpenedEmptyIsCaptioned()
{
    QFETCH(QString, url);
    QFETCH(QString, caption);
    ProgramFixture fx;
    frmMain &w = fx.start();
    holdTimers(w);
    fx.program().optionFlags.opNW = true;
    if (!url.isEmpty())
        fx.browsers().setPageTitle(FakeWebBrowser::canonicalAddress(url), caption);
    QVERIFY(fx.web(1)->fakeOpenWindow(url));
    QCOMPARE(w.currentTabNumber(), 2);
    QTRY_COMPARE(w.Tabstrip1->tabCaption(2), caption);
    QCoreApplication::processEvents();
    QCOMPARE(w.Tabstrip1->tabCaption(2), caption);
    w.Timer1_Timer();
    QCOMPARE(w.windowTitle(), caption + program(fx));
}

void tst_MainWindowPageTexts::statusTextGoesWithItsPage_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<bool>("windowNotice"); // the window's own text was shown last
    QTest::addColumn<bool>("kept");
    QTest::newRow("pointer leaves the link") << QStringLiteral("leave") << false << false;
    QTest::newRow("link opens a selected tab") << QStringLiteral("new tab") << false << false;
    QTest::newRow("tab switch") << QStringLiteral("switch") << false << false;
    QTest::newRow("navigation") << QStringLiteral("navigate") << false << false;
    QTest::newRow("background tab navigates") << QStringLiteral("background") << false << true;
    QTest::newRow("window notice stays on navigation")
        << QStringLiteral("navigate") << true << true;
}

void tst_MainWindowPageTexts::statusTextGoesWithItsPage()
{
    QFETCH(QString, then);
    QFETCH(bool, windowNotice);
    QFETCH(bool, kept);
    ProgramFixture fx;
    frmMain &w = fx.start();
    holdTimers(w);
    fx.program().optionFlags.opNW = true;
    w.cmdNew_Click();
    w.Tabstrip1->setValue(1);
    const QString link = QStringLiteral("http://example.com/next.html");
    fx.web(1)->fakeStatus(link);
    QCOMPARE(w.statusPanel1->text(), link);
    const QString shown = windowNotice ? QStringLiteral("notice") : link;
    if (windowNotice)
        w.statusPanel1->setText(shown);

    if (then == QLatin1String("leave"))
        fx.web(1)->fakeStatus(QString());
    else if (then == QLatin1String("new tab"))
        QVERIFY(fx.web(1)->fakeOpenWindow(link));
    else if (then == QLatin1String("switch"))
        w.Tabstrip1->setValue(2);
    else if (then == QLatin1String("navigate"))
        QVERIFY(fx.web(1)->fakeNavigate(link));
    else if (then == QLatin1String("background"))
        QVERIFY(fx.web(2)->fakeNavigate(link));

    QCOMPARE(w.statusPanel1->text(), kept ? shown : QString());
    // Coming back is no hover: the page's old text does not return.
    if (then == QLatin1String("switch")) {
        w.Tabstrip1->setValue(1);
        QCOMPARE(w.statusPanel1->text(), QString());
    }
}

void tst_MainWindowPageTexts::textNamingNoPageIsAnswered_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("Russian, two words") << QStringLiteral("Russian") << QStringLiteral("hello world");
    QTest::newRow("English, two words") << QStringLiteral("English") << QStringLiteral("hello world");
    QTest::newRow("Russian, Cyrillic words")
        << QStringLiteral("Russian") << QStringLiteral("привет мир");
}

// Enter on a text that names no page opens nothing and says so in the
// interface language; the text stays, selected, to be mended.
void tst_MainWindowPageTexts::textNamingNoPageIsAnswered()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    ProgramFixture fx;
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        language);
    frmMain &w = fx.start();
    holdTimers(w);
    FakeWebBrowser *page = fx.web(1);
    const QStringList before = page->calls.navigations;
    w.statusPanel1->clear();
    w.Combo1->setEditText(text);
    w.Combo1_KeyDown(13, 0);

    QCOMPARE(page->calls.navigations, before);
    const QString answer = w.statusPanel1->text();
    QVERIFY2(answer.contains(text), qPrintable(answer));
    QCOMPARE(hasCyrillic(answer), language == QLatin1String("Russian"));
    QCOMPARE(w.Combo1->currentText(), text);
    QCOMPARE(w.Combo1->lineEdit()->selectedText(), text);

    // The next page the tab shows takes the answer away.
    w.Combo1->setEditText(QStringLiteral("example.com"));
    w.Combo1_KeyDown(13, 0);
    QCOMPARE(page->calls.navigations.last(), QStringLiteral("example.com"));
    QCOMPARE(page->LocationURL(), QStringLiteral("http://example.com/"));
    QCOMPARE(w.statusPanel1->text(), QString());
}

void tst_MainWindowPageTexts::hostInCodePageLetters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");   // the address bar after the visit
    QTest::addColumn<QString>("row");     // the history row
    QTest::addColumn<QByteArray>("file"); // WebHis.dat
    QTest::newRow("Cyrillic under a Latin domain")
        << QStringLiteral("http://пример.ru/a") << QStringLiteral("http://пример.ru/a")
        << QStringLiteral("пример.ru")
        << QByteArray("\"\xEF\xF0\xE8\xEC\xE5\xF0.ru\"\r\n");
    QTest::newRow("Cyrillic domain with a port")
        << QStringLiteral("http://сайт.рф:8080/") << QStringLiteral("http://сайт.рф:8080/")
        << QStringLiteral("сайт.рф:8080")
        << QByteArray("\"\xF1\xE0\xE9\xF2.\xF0\xF4:8080\"\r\n");
    QTest::newRow("letters the code page lacks")
        << QStringLiteral("http://例子.ru/") << QStringLiteral("http://xn--fsqu00a.ru/")
        << QStringLiteral("xn--fsqu00a.ru") << QByteArray("\"xn--fsqu00a.ru\"\r\n");
    QTest::newRow("Latin host") << QStringLiteral("http://example.com/")
                                << QStringLiteral("http://example.com/")
                                << QStringLiteral("example.com")
                                << QByteArray("\"example.com\"\r\n");
}

// The control reports hosts in punycode; the window shows and keeps those
// Windows-1251 can hold in their own letters, the others encoded.
void tst_MainWindowPageTexts::hostInCodePageLetters()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, row);
    QFETCH(QByteArray, file);
    ProgramFixture fx;
    frmMain &w = fx.start();
    holdTimers(w);
    w.Combo1->clear();
    w.Combo1->setEditText(typed);
    w.Combo1_KeyDown(13, 0);

    QVERIFY(fx.web(1)->LocationURL().startsWith(QStringLiteral("http://")));
    QCOMPARE(w.Combo1->currentText(), shown);
    QCOMPARE(w.newURL[1], shown);
    QCOMPARE(historyRows(w), QStringList{row});
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")), file);
    // Visited again, the host keeps its one row.
    QVERIFY(fx.web(1)->fakeNavigate(typed));
    QCOMPARE(historyRows(w), QStringList{row});
}

void tst_MainWindowPageTexts::typedCyrillicFindsVisitedHost()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    holdTimers(w);
    w.Combo1->clear();
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://пример.ru/")));
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://example.com/")));
    fx.web(1)->setAsync(true);
    QApplication::setActiveWindow(&w);
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        QSKIP("the platform cannot activate a window");
    holdTimers(w);
    w.Combo1->setFocus(Qt::MouseFocusReason);
    w.Combo1->setEditText(QString());
    w.hintRebuild = true;
    // Typed key by key, as a Cyrillic keyboard sends them.
    for (const QChar c : QStringLiteral("при")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w.Combo1->lineEdit(), &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w.Combo1->lineEdit(), &release);
    }
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("при"));
    w.chang_Timer();
    QVERIFY(w.podskazka->isVisible());
    QCOMPARE(w.podskazka->count(), 1);
    QCOMPARE(w.podskazka->item(0)->text(), QStringLiteral("пример.ru"));
}

void tst_MainWindowPageTexts::typedTextOutlivesCompletingPage_data()
{
    QTest::addColumn<bool>("typed");     // keys typed into the address bar
    QTest::addColumn<bool>("escape");    // and Escape pressed before the page completes
    QTest::addColumn<QString>("shown");  // the address bar once the page completed
    QTest::newRow("typing") << true << false << QStringLiteral("example.org");
    QTest::newRow("only focused") << false << false << QStringLiteral("http://example.com/");
    QTest::newRow("typed, then Escape") << true << true << QStringLiteral("http://example.com/");
}

// A page that completes while the user types in the address bar leaves the
// text and the tab's address text as typed; the next go opens it.
void tst_MainWindowPageTexts::typedTextOutlivesCompletingPage()
{
    QFETCH(bool, typed);
    QFETCH(bool, escape);
    QFETCH(QString, shown);
    ProgramFixture fx;
    frmMain &w = fx.start();
    holdTimers(w);
    QApplication::setActiveWindow(&w);
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        QSKIP("the platform cannot activate a window");
    holdTimers(w);
    FakeWebBrowser *page = fx.web(1);
    page->setAsync(true);
    page->Navigate2(QStringLiteral("http://example.com/"));
    w.Combo1->setFocus(Qt::MouseFocusReason);
    QCOMPARE(w.FocusOwner, 1);
    w.Combo1->lineEdit()->selectAll();
    // Keys go where the keyboard focus is, as the user's do.
    if (typed)
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("example.org"));
    if (escape)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_COMPARE(page->LocationURL(), QStringLiteral("http://example.com/"));
    QVERIFY(!page->Busy());

    QCOMPARE(w.Combo1->currentText(), shown);
    QCOMPARE(w.newURL[1], shown);
    QCOMPARE(w.FocusOwner, 1);
    QVERIFY(!w.pageFocusPending);
    if (typed && !escape) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(page->calls.navigations.last(), QStringLiteral("example.org"));
        QTRY_COMPARE(w.Combo1->currentText(), QStringLiteral("http://example.org/"));
    }
}

QTEST_MAIN(tst_MainWindowPageTexts)
#include "tst_mainwindow_pagetexts.moc"
