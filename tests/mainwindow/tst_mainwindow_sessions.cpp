// Saving the open tabs, opening saved tabs again and the automatic save,
// over the fake controls.

#include "ProgramFixture.h"
#include "TabRowReading.h"

#include "FakeDialogs.h"
#include "FakeInternetState.h"
#include "FakeServices.h"
#include "FakeWebBrowser.h"
#include "Language.h"
#include "Program.h"
#include "SessionFiles.h"
#include "frmMain.h"
#include "frmOpenTabsDetailed.h"
#include "frmOptions.h"

#include "TabstripP.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTest>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::platform::FakeDialogs;
using velmora::platform::FakeWebBrowser;
using velmora::platform::MsgButtons;
using velmora::platform::MsgIcon;
using velmora::platform::MsgResult;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::windows::frmOpenTabsDetailed;

namespace {

// Windows-1251 bytes of "Первая" ("First") and "Почта" ("Mail").
const QByteArray firstAnsi = QByteArrayLiteral("\xCF\xE5\xF0\xE2\xE0\xFF");
const QByteArray mailAnsi = QByteArrayLiteral("\xCF\xEE\xF7\xF2\xE0");

QByteArray header()
{
    return velmora::services::sessions::sessionHeader().toLatin1() + "\r\n";
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The window with its timers held, so only the test drives them.
frmMain &startQuiet(ProgramFixture &fx)
{
    frmMain &w = fx.start();
    for (QTimer *timer : {w.Timer1, w.Timer2, w.chang, w.TimResol, w.tmrUpd, w.autosave})
        timer->stop();
    return w;
}

// A new tab showing url; its page has this title.
int openPage(ProgramFixture &fx, const QString &url, const QString &title)
{
    frmMain &w = fx.main();
    fx.browsers().setPageTitle(FakeWebBrowser::canonicalAddress(url), title);
    w.cmdNew_Click();
    const int n = w.currentTabNumber();
    fx.web(n)->Navigate2(url);
    return n;
}

// Tabs 1 and 2 with pages, tab 3 closed, tab 4 still loading.
void openSampleTabs(ProgramFixture &fx)
{
    frmMain &w = fx.main();
    fx.browsers().setPageTitle(u"http://one.example/"_s, u"Первая"_s);
    fx.web(1)->Navigate2(u"http://one.example/"_s);
    openPage(fx, u"http://two.example/"_s, u"Two, 2"_s);
    openPage(fx, u"http://three.example/"_s, u"Three"_s);
    w.cmdClose_Click();
    fx.browsers().setAsync(true);
    w.cmdNew_Click();
    fx.browsers().setAsync(false);
    w.newURL[4] = u"http://typed.example/"_s;
    QCOMPARE(openTabs(w), (QList<int>{1, 2, 4}));
    QCOMPARE(fx.web(4)->LocationURL(), QString());
}

QString programFile(ProgramFixture &fx, const QString &name)
{
    return QDir(fx.env.programDir()).filePath(name);
}

QString autosavePath(ProgramFixture &fx)
{
    return programFile(fx, u"autosave.btl"_s);
}

void tick(QTimer *timer)
{
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

} // namespace

class tst_MainWindowSessions : public QObject
{
    Q_OBJECT

private slots:
    void saveTabs();
    void saveCancelled();
    void saveAddsTheEndingToABareName_data();
    void saveAddsTheEndingToABareName();
    void loadTabsOfflineQuestion_data();
    void loadTabsOfflineQuestion();
    void loadSessionWrittenElsewhere();
    void loadTabListFile();
    void changedHeaderReadsEveryLine();
    void loadInBackgroundWithoutOpNW();
    void roundTripCyrillicTitles();
    void loadStopsAtTabLimit();
    void recordTitleStaysUntilThePageHasOne_data();
    void recordTitleStaysUntilThePageHasOne();
    void loadAutosave();
    void loadAutosaveMissing();
    void loadAutosaveCancelled();
    void autosaveOnlyWhileChecked();
    void autosaveGoesToCrashFileAfterFailure();
    void finalAutosaveAtExit_data();
    void finalAutosaveAtExit();
    void autosaveKeepsAddressOutsideCodePage();
    void homePageOutsideCodePageSurvives();
    void selectiveCommands();
};

void tst_MainWindowSessions::saveTabs()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    openSampleTabs(fx);
    const QString path = programFile(fx, u"tabs.btl"_s);
    fx.dialogs().answerFile(path);
    w.actionNamed(u"mnuSaveTabs"_s)->trigger();

    QCOMPARE(fx.dialogs().fileCalls.size(), 1);
    QCOMPARE(fx.dialogs().fileCalls[0].kind, FakeDialogs::FileKind::Save);
    QCOMPARE(fx.dialogs().fileCalls[0].filter, u"BrowserTabList|*.btl"_s);
    // Closed tab 3 and hidden tab 0 are left out; the loading tab keeps the
    // address it was sent to.
    QCOMPARE(readFile(path), header() + firstAnsi + "\r\nhttp://one.example/\r\n"
                                 "Two, 2\r\nhttp://two.example/\r\n"
                                 "\r\nhttp://typed.example/\r\n");
}

void tst_MainWindowSessions::saveCancelled()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.dialogs().answerFile(QString());
    w.mnuSaveTabs_Click();
    QCOMPARE(QDir(fx.env.programDir()).entryList({u"*.btl"_s}), QStringList());
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void tst_MainWindowSessions::saveAddsTheEndingToABareName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("bare name") << u"monday"_s << u"monday.btl"_s;
    QTest::newRow("ending already there") << u"monday.btl"_s << u"monday.btl"_s;
    QTest::newRow("a dot at the end") << u"monday."_s << u"monday.btl"_s;
    QTest::newRow("another ending is the user's choice") << u"monday.txt"_s << u"monday.txt"_s;
    QTest::newRow("a dot in the folder only") << u"old.sessions/monday"_s
                                              << u"old.sessions/monday.btl"_s;
}

void tst_MainWindowSessions::saveAddsTheEndingToABareName()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    QDir(fx.env.programDir()).mkpath(u"old.sessions"_s);
    fx.dialogs().answerFile(programFile(fx, typed));
    w.mnuSaveTabs_Click();
    QVERIFY(readFile(programFile(fx, written)).startsWith(header()));
    if (typed != written)
        QVERIFY(!QFileInfo::exists(programFile(fx, typed)));
}

void tst_MainWindowSessions::loadTabsOfflineQuestion_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<int>("opened");
    QTest::newRow("Yes: offline") << MsgResult::Yes << true << 2;
    QTest::newRow("No: online") << MsgResult::No << false << 2;
    QTest::newRow("Cancel: online, nothing read") << MsgResult::Cancel << false << 0;
}

void tst_MainWindowSessions::loadTabsOfflineQuestion()
{
    QFETCH(MsgResult, answer);
    QFETCH(bool, offline);
    QFETCH(int, opened);
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.internet().offline = !offline;
    const QString path = programFile(fx, u"list.btl"_s);
    writeFile(path, "\"http://a.example/\"\r\n\"http://b.example/\"\r\n");
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(answer);
    w.actionNamed(u"mnuLoadTabs"_s)->trigger();

    QCOMPARE(fx.dialogs().fileCalls[0].kind, FakeDialogs::FileKind::Open);
    QCOMPARE(fx.dialogs().fileCalls[0].filter, u"BroserTabList|*.btl"_s);
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    const FakeDialogs::MsgCall &question = fx.dialogs().msgCalls[0];
    auto &lang = fx.program().language();
    QVERIFY(!lang.langText(7).isEmpty());
    QCOMPARE(question.text, lang.langText(7));
    QCOMPARE(question.title, lang.langText(5));
    QCOMPARE(question.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(question.icon, MsgIcon::Question);
    QCOMPARE(fx.internet().offline, offline);
    QCOMPARE(fx.internet().setOfflineCalls.last(), offline);
    QCOMPARE(openTabs(w).size(), 1 + opened);
    // The tabs follow the program's offline state; no flag of their own
    // would outlive it.
    for (int n = 2; n < 2 + opened; ++n)
        QVERIFY(fx.web(n)->calls.offline.isEmpty());
}

void tst_MainWindowSessions::loadSessionWrittenElsewhere()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    // As another copy of the program wrote it: code page 1251, CR LF.
    const QString path = programFile(fx, u"old.btl"_s);
    writeFile(path, header() + "\xCD\xEE\xE2\xEE\xF1\xF2\xE8\r\n"
                               "http://news.example/section/page.html\r\n"
                        + mailAnsi + "\r\nhttp://mail.example/\r\n");
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    // Pages load later, so the captions are seen before any title replaces them.
    fx.browsers().setAsync(true);
    w.mnuLoadTabs_Click();

    QCOMPARE(openTabs(w), (QList<int>{1, 2, 3}));
    QCOMPARE(w.Tabstrip1->tabCaption(2), u"http://news.example/"_s);
    QCOMPARE(w.Tabstrip1->tabCaption(3), u"http://mail.example/"_s);
    QCOMPARE(fx.web(2)->calls.navigations,
             QStringList{u"http://news.example/section/page.html"_s});
    QCOMPARE(fx.web(3)->calls.navigations, QStringList{u"http://mail.example/"_s});
    QCOMPARE(fx.web(2)->fakeDocument()->titlesSet, QStringList{u"Новости"_s});
    QCOMPARE(fx.web(3)->fakeDocument()->titlesSet, QStringList{u"Почта"_s});
    // Session records leave Silent alone.
    QVERIFY(!fx.web(2)->calls.silent.contains(true));
    QVERIFY(fx.web(3)->Visible());
    // opNW: each new tab is selected in turn.
    QCOMPARE(w.currentTabNumber(), 3);
    QCOMPARE(w.currentTab, 3);
}

void tst_MainWindowSessions::loadTabListFile()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    const QString path = programFile(fx, u"plain.btl"_s);
    writeFile(path, "http://a.example/\r\n\"\"\r\n");
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    // Seen before the pages complete (a completed page drops Silent itself).
    fx.browsers().setAsync(true);
    w.mnuLoadTabs_Click();

    QCOMPARE(openTabs(w), (QList<int>{1, 2, 3}));
    QCOMPARE(fx.web(2)->calls.navigations, QStringList{u"http://a.example/"_s});
    QCOMPARE(fx.web(3)->calls.navigations, QStringList{QString()});
    QCOMPARE(w.Tabstrip1->tabCaption(3), QString());
    // Tab list records read by load tabs stay silent and get no title.
    for (int n : {2, 3}) {
        QVERIFY(fx.web(n)->Silent());
        QVERIFY(fx.web(n)->fakeDocument()->titlesSet.isEmpty());
    }
}

void tst_MainWindowSessions::changedHeaderReadsEveryLine()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    QByteArray bytes = header() + "Title, second\r\nhttp://a.example/\r\n";
    bytes[1] = 'E';
    const QString path = programFile(fx, u"odd.btl"_s);
    writeFile(path, bytes);
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    w.mnuLoadTabs_Click();

    QCOMPARE(openTabs(w).size(), 5);
    QString first = velmora::services::sessions::sessionHeader();
    first[1] = u'E';
    QCOMPARE(fx.web(2)->calls.navigations, QStringList{first});
    QCOMPARE(fx.web(3)->calls.navigations, QStringList{u"Title"_s});
    QCOMPARE(fx.web(4)->calls.navigations, QStringList{u"second"_s});
    QCOMPARE(fx.web(5)->calls.navigations, QStringList{u"http://a.example/"_s});
}

void tst_MainWindowSessions::loadInBackgroundWithoutOpNW()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.program().optionFlags.opNW = false;
    const QString path = programFile(fx, u"bg.btl"_s);
    writeFile(path, "\"http://a.example/\"\r\n\"http://b.example/\"\r\n");
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    w.mnuLoadTabs_Click();
    QCOMPARE(openTabs(w), (QList<int>{1, 2, 3}));
    QCOMPARE(w.currentTabNumber(), 1);
    QVERIFY(fx.web(3)->Visible());
    QCOMPARE(fx.web(3)->calls.navigations, QStringList{u"http://b.example/"_s});
}

void tst_MainWindowSessions::roundTripCyrillicTitles()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.browsers().setPageTitle(u"http://ru.example/"_s, u"Главная — Ёлки, ёж"_s);
    fx.web(1)->Navigate2(u"http://ru.example/"_s);
    openPage(fx, u"http://mail.example/inbox"_s, u"Почта"_s);
    const QString path = programFile(fx, u"round.btl"_s);
    fx.dialogs().answerFile(path);
    w.mnuSaveTabs_Click();

    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    w.mnuLoadTabs_Click();
    QCOMPARE(openTabs(w), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(fx.web(3)->calls.navigations, QStringList{u"http://ru.example/"_s});
    QCOMPARE(fx.web(3)->fakeDocument()->titlesSet, QStringList{u"Главная — Ёлки, ёж"_s});
    QCOMPARE(fx.web(4)->calls.navigations, QStringList{u"http://mail.example/inbox"_s});
    QCOMPARE(fx.web(4)->fakeDocument()->titlesSet, QStringList{u"Почта"_s});
}

void tst_MainWindowSessions::loadStopsAtTabLimit()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    while (w.Tabstrip1->tabs().toInt() < 999)
        w.cmdNew_Click();
    const QString path = programFile(fx, u"many.btl"_s);
    writeFile(path, "a1\r\na2\r\na3\r\na4\r\n");
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    w.mnuLoadTabs_Click();
    // Numbers 999 and 1000 are the last; nothing lands on an open tab.
    QCOMPARE(w.Tabstrip1->tabs().toInt(), 1001);
    QCOMPARE(w.webCount(), 1001);
    QCOMPARE(fx.web(999)->calls.navigations.last(), u"a1"_s);
    QCOMPARE(fx.web(1000)->calls.navigations.last(), u"a2"_s);
    QCOMPARE(w.Tabstrip1->tabCaption(998), u"about:blank"_s);
    // The user hears of the records left, once.
    QCOMPARE(fx.dialogs().msgCalls.size(), 2);
    QCOMPARE(fx.dialogs().msgCalls.last().text,
             u"Открыто записей: 2 из 4. Остальные 2 не открыты: вкладок может быть не больше "
             u"1000."_s);
    QCOMPARE(fx.dialogs().msgCalls.last().icon, MsgIcon::Information);
}

void tst_MainWindowSessions::recordTitleStaysUntilThePageHasOne_data()
{
    QTest::addColumn<QString>("pageTitle");
    QTest::addColumn<bool>("async");
    QTest::addColumn<QString>("shown");
    QTest::newRow("page without a title") << QString() << false << u"Saved news"_s;
    QTest::newRow("page loaded after the title was set") << QString() << true << u"Saved news"_s;
    QTest::newRow("page with its own title") << u"Today's news"_s << true << u"Today's news"_s;
    QTest::newRow("offline stand-in")
        << u"Страница недоступна автономно"_s << true << u"Saved news"_s;
}

void tst_MainWindowSessions::recordTitleStaysUntilThePageHasOne()
{
    QFETCH(QString, pageTitle);
    QFETCH(bool, async);
    QFETCH(QString, shown);
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.browsers().setPageTitle(u"http://news.example/"_s, pageTitle);
    const QString path = programFile(fx, u"titles.btl"_s);
    writeFile(path, header() + "Saved news\r\nhttp://news.example/\r\n");
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    fx.browsers().setAsync(async);
    w.mnuLoadTabs_Click();
    QCOMPARE(openTabs(w), (QList<int>{1, 2}));
    QTRY_COMPARE(fx.web(2)->LocationURL(), u"http://news.example/"_s);
    QTRY_COMPARE(w.Tabstrip1->tabCaption(2), shown);
    QCOMPARE(w.getTitle(2), shown);
    QCOMPARE(w.windowTitle(), shown + u" - "_s + fx.program().language().langText(5));

    // What the next save writes.
    const QString saved = programFile(fx, u"again.btl"_s);
    fx.dialogs().answerFile(saved);
    w.mnuSaveTabs_Click();
    QVERIFY2(readFile(saved).contains(QByteArray("\r\n" + shown.toLatin1() + "\r\nhttp://news.example/\r\n")),
             readFile(saved).constData());
    fx.browsers().setAsync(false);

    // Another page in the tab is no longer the record's.
    fx.web(2)->Navigate2(u"http://other.example/"_s);
    QTRY_COMPARE(w.getTitle(2), u"http://other.example/"_s);
}

void tst_MainWindowSessions::loadAutosave()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    // The autosave reader takes even a Session file as a plain tab list.
    fx.env.writeProgramFile(u"autosave.btl"_s, header() + "\"http://a.example/\"\r\n");
    fx.dialogs().answerMsgBox(MsgResult::Yes);
    w.actionNamed(u"mnuLoadAutosave"_s)->trigger();

    QCOMPARE(fx.dialogs().fileCalls.size(), 0);
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(fx.dialogs().msgCalls[0].text, fx.program().language().langText(4));
    QCOMPARE(fx.dialogs().msgCalls[0].buttons, MsgButtons::YesNoCancel);
    QVERIFY(fx.internet().offline);
    QCOMPARE(openTabs(w), (QList<int>{1, 2, 3}));
    QCOMPARE(fx.web(2)->calls.navigations,
             QStringList{velmora::services::sessions::sessionHeader()});
    QCOMPARE(fx.web(3)->calls.navigations, QStringList{u"http://a.example/"_s});
    QVERIFY(fx.web(2)->calls.offline.isEmpty());
    QVERIFY(!fx.web(2)->calls.silent.contains(true));
    QVERIFY(fx.web(2)->fakeDocument()->titlesSet.isEmpty());
}

void tst_MainWindowSessions::loadAutosaveMissing()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.dialogs().answerMsgBox(MsgResult::No);
    w.mnuLoadAutosave_Click();
    QCOMPARE(fx.dialogs().msgCalls.size(), 2);
    const FakeDialogs::MsgCall &notice = fx.dialogs().msgCalls[1];
    QVERIFY(!fx.program().language().langText(6).isEmpty());
    QCOMPARE(notice.text, fx.program().language().langText(6));
    QCOMPARE(notice.icon, MsgIcon::Information);
    QCOMPARE(notice.buttons, MsgButtons::OK);
    QCOMPARE(notice.title, QCoreApplication::applicationName());
    QCOMPARE(openTabs(w), QList<int>{1});
}

void tst_MainWindowSessions::loadAutosaveCancelled()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.internet().offline = true;
    fx.env.writeProgramFile(u"autosave.btl"_s, "\"http://a.example/\"\r\n");
    fx.dialogs().answerMsgBox(MsgResult::Cancel);
    w.mnuLoadAutosave_Click();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QVERIFY(!fx.internet().offline);
    QCOMPARE(openTabs(w), QList<int>{1});
}

void tst_MainWindowSessions::autosaveOnlyWhileChecked()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QCOMPARE(w.autosave->interval(), 60000);
    QVERIFY(w.autosave->isActive());
    for (QTimer *timer : {w.Timer1, w.Timer2, w.chang, w.TimResol, w.tmrUpd, w.autosave})
        timer->stop();
    openSampleTabs(fx);

    QVERIFY(!w.CAutosave->isChecked());
    tick(w.autosave);
    QVERIFY(!QFile::exists(autosavePath(fx)));

    w.CAutosave->trigger();
    QVERIFY(w.CAutosave->isChecked());
    tick(w.autosave);
    // No fallback to the typed address: a loading tab gives an empty value.
    const QByteArray saved = "\"http://one.example/\"\r\n\"http://two.example/\"\r\n\"\"\r\n";
    QCOMPARE(readFile(autosavePath(fx)), saved);

    // Rewritten at every tick.
    fx.web(2)->Navigate2(u"http://changed.example/"_s);
    tick(w.autosave);
    QCOMPARE(readFile(autosavePath(fx)),
             QByteArray("\"http://one.example/\"\r\n\"http://changed.example/\"\r\n\"\"\r\n"));

    // Unticked: the last file stays.
    w.CAutosave->trigger();
    QVERIFY(!w.CAutosave->isChecked());
    fx.web(1)->Navigate2(u"http://other.example/"_s);
    tick(w.autosave);
    QCOMPARE(readFile(autosavePath(fx)),
             QByteArray("\"http://one.example/\"\r\n\"http://changed.example/\"\r\n\"\"\r\n"));
}

void tst_MainWindowSessions::autosaveGoesToCrashFileAfterFailure()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    w.CAutosave->setChecked(true);
    w.autosave_Timer();
    const QByteArray before = readFile(autosavePath(fx));
    QCOMPARE(before, QByteArray("\"about:blank\"\r\n"));

    w.crashSave = true;
    openPage(fx, u"http://two.example/"_s, QString());
    w.autosave_Timer();
    QCOMPARE(readFile(programFile(fx, u"crash!$#"_s)),
             QByteArray("\"about:blank\"\r\n\"http://two.example/\"\r\n"));
    QCOMPARE(readFile(autosavePath(fx)), before);
}

void tst_MainWindowSessions::finalAutosaveAtExit_data()
{
    QTest::addColumn<bool>("checked");
    QTest::newRow("ticked: written") << true;
    QTest::newRow("unticked: nothing") << false;
}

void tst_MainWindowSessions::finalAutosaveAtExit()
{
    QFETCH(bool, checked);
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.web(1)->Navigate2(u"http://last.example/"_s);
    w.CAutosave->setChecked(checked);
    fx.program().optionFlags.conExit = false;
    w.close();
    QCOMPARE(QFile::exists(autosavePath(fx)), checked);
    if (checked)
        QCOMPARE(readFile(autosavePath(fx)), QByteArray("\"http://last.example/\"\r\n"));
}

void tst_MainWindowSessions::autosaveKeepsAddressOutsideCodePage()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.web(1)->Navigate2(u"http://last.example/中文.html"_s);
    w.CAutosave->setChecked(true);
    w.autosave_Timer();
    QCOMPARE(readFile(autosavePath(fx)),
             QByteArray("\"http://last.example/%E4%B8%AD%E6%96%87.html\"\r\n"));
}

void tst_MainWindowSessions::homePageOutsideCodePageSurvives()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    const QUrl page(u"http://127.0.0.1:8080/中文.html"_s);
    w.actionNamed(u"mnuOptions"_s)->trigger();
    velmora::windows::frmOptions &options = fx.program().options();
    options.txtHUrl->setText(page.toString());
    options.cmdApply->click();
    // Nothing is cached: Home reads the file as a new start would.
    w.goHome();
    QCOMPARE(QUrl(fx.web(1)->calls.navigations.last()), page);

    // A session holding that page opens it again.
    const QString path = programFile(fx, u"tabs.btl"_s);
    fx.dialogs().answerFile(path);
    w.mnuSaveTabs_Click();
    fx.dialogs().answerFile(path);
    fx.dialogs().answerMsgBox(MsgResult::No);
    w.mnuLoadTabs_Click();
    QCOMPARE(openTabs(w), (QList<int>{1, 2}));
    QCOMPARE(QUrl(fx.web(2)->calls.navigations.value(0)), page);
}

void tst_MainWindowSessions::selectiveCommands()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    fx.env.writeProgramFile(u"autosave.btl"_s, "\"http://a.example/\"\r\n");
    w.actionNamed(u"mnuLoadAutosaveSelective"_s)->trigger();
    QVERIFY(fx.program().loadAutosave);
    frmOpenTabsDetailed *loader = fx.program().loadedWindow<frmOpenTabsDetailed>();
    QVERIFY(loader);
    QVERIFY(loader->isVisible());
    QCOMPARE(loader->lv->topLevelItemCount(), 1);

    // Still loaded: the command changes nothing, the rows stay.
    fx.env.writeProgramFile(u"autosave.btl"_s, "\"http://a/\"\r\n\"http://b/\"\r\n");
    w.mnuLoadTabsSelective_Click();
    QVERIFY(!fx.program().loadAutosave);
    QCOMPARE(fx.program().loadedWindow<frmOpenTabsDetailed>(), loader);
    QCOMPARE(loader->lv->topLevelItemCount(), 1);
    QVERIFY(fx.dialogs().fileCalls.isEmpty());

    // Once it is going, the next command loads a fresh one, which asks for a file.
    loader->cmdCancel_Click();
    fx.dialogs().answerFile(QString());
    w.actionNamed(u"mnuLoadTabsSelective"_s)->trigger();
    QCOMPARE(fx.dialogs().fileCalls.size(), 1);
    QCOMPARE(fx.dialogs().fileCalls[0].filter, u"BrowserTabList|*.btl"_s);
    frmOpenTabsDetailed *fresh = fx.program().loadedWindow<frmOpenTabsDetailed>();
    QVERIFY(fresh && fresh->isUnloading());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!fx.program().loadedWindow<frmOpenTabsDetailed>());
    QCOMPARE(openTabs(w), QList<int>{1});
}

QTEST_MAIN(tst_MainWindowSessions)
#include "tst_mainwindow_sessions.moc"
