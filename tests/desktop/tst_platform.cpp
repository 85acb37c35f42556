#include "FakeDialogs.h"
#include "FakeServices.h"
#include "FakeSystemFacts.h"
#include "FakeInternetState.h"
#include "FakeWebBrowser.h"
#include "FileInternetState.h"
#include "LinuxSystemFacts.h"
#include "PageEventLog.h"
#include "QtDialogs.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace velmora::platform;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(velmora::platform::MsgButtons)
Q_DECLARE_METATYPE(velmora::platform::MsgResult)

namespace {

using EventLog = velmora::test::PageEventLog;

QStringList fullNavigation(const QString &url, const QStringList &titles)
{
    QStringList events{u"Before "_s + url, u"Progress 0/100"_s, u"NavigateComplete "_s + url};
    for (const QString &title : titles)
        events << u"Title "_s + title;
    events << u"Progress 100/100"_s << u"DocumentComplete "_s + url << u"DownloadComplete"_s
           << u"Progress 0/0"_s;
    return events;
}

} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void webBrowserOfTheDesktop_data();
    void webBrowserOfTheDesktop();
    void fakeNavigate_raisesEventsInEngineOrder_data();
    void fakeNavigate_raisesEventsInEngineOrder();
    void fakeNavigate_cancelledByHost_changesNothing();
    void navigate2_synchronousByDefault_asynchronousOnRequest();
    void stop_dropsPendingNavigation();
    void history_backAndForward();
    void releasePage_endsNavigationStartedInHandler();
    void fakeOpenWindow_data();
    void fakeOpenWindow();
    void fakeCloseWindow_data();
    void fakeCloseWindow();
    void scriptDialog_suppressedWhileSilent();
    void pageCommands_goToHost();

    void fakeDialogs_scriptedAnswersInOrderThenDefaults();
    void fakeDialogs_defaultAnswer_data();
    void fakeDialogs_defaultAnswer();
    void toDialogFilter_data();
    void toDialogFilter();

    void parseMeminfo_data();
    void parseMeminfo();
    void memoryStatus_readsGivenFile();
    void isForegroundWindow_followsActiveWindow();

    void internetState_missingOrUnknownFileIsOnline_data();
    void internetState_missingOrUnknownFileIsOnline();
    void internetState_changeSeenByOtherInstance();
    void internetState_readingIsCached();
    void internetState_writeIsAtomic();
    void internetState_replacedFileStillWatched();

    void fakeServices_pointersAreTheServices();
};

void tst_Platform::fakeNavigate_raisesEventsInEngineOrder_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("titled page") << u"http://example.com/a"_s << u"Page A"_s
                                 << u"http://example.com/a"_s
                                 << QStringList{u"example.com/a"_s, u"Page A"_s};
    QTest::newRow("untitled bare host") << u"example.com"_s << QString()
                                        << u"http://example.com/"_s
                                        << QStringList{u"example.com"_s};
    QTest::newRow("about:blank") << u"about:blank"_s << QString() << u"about:blank"_s
                                 << QStringList{u"about:blank"_s};
}

void tst_Platform::fakeNavigate_raisesEventsInEngineOrder()
{
    QFETCH(QString, url);
    QFETCH(QString, title);
    QFETCH(QString, location);
    QFETCH(QStringList, titles);

    FakeWebBrowserFactory factory;
    auto *browser = static_cast<FakeWebBrowser *>(factory.create(nullptr));
    std::unique_ptr<WebBrowser> owner(browser);
    EventLog log(browser);
    bool busyAtNavigateComplete = false;
    connect(browser, &WebBrowser::NavigateComplete2, this,
            [&] { busyAtNavigateComplete = browser->Busy(); });

    QVERIFY(!browser->hasPage());
    QVERIFY(browser->fakeNavigate(url, title));
    QCOMPARE(log.events, fullNavigation(location, titles));
    QCOMPARE(browser->LocationURL(), location);
    QCOMPARE(browser->Document()->title(), title);
    QCOMPARE(browser->LocationName(), title.isEmpty() ? location : title);
    QVERIFY(busyAtNavigateComplete);
    QVERIFY(!browser->Busy());
    QVERIFY(browser->hasPage());
}

void tst_Platform::fakeNavigate_cancelledByHost_changesNothing()
{
    FakeWebBrowserFactory factory;
    auto *browser = static_cast<FakeWebBrowser *>(factory.create(nullptr));
    std::unique_ptr<WebBrowser> owner(browser);
    QVERIFY(browser->fakeNavigate(u"http://a.example/"_s, u"A"_s));
    EventLog log(browser);
    log.cancelBefore = true;

    QVERIFY(!browser->fakeNavigate(u"http://b.example/"_s, u"B"_s));
    QCOMPARE(log.events, QStringList{u"Before http://b.example/"_s});
    QCOMPARE(browser->LocationURL(), u"http://a.example/"_s);
    QCOMPARE(browser->Document()->title(), u"A"_s);
    QVERIFY(!browser->Busy());
}

void tst_Platform::navigate2_synchronousByDefault_asynchronousOnRequest()
{
    FakeWebBrowserFactory factory;
    factory.setPageTitle(u"http://t.example/"_s, u"T"_s);
    std::unique_ptr<WebBrowser> sync(factory.create(nullptr));
    factory.setAsync(true);
    std::unique_ptr<WebBrowser> async(factory.create(nullptr));
    EventLog syncLog(sync.get());
    EventLog asyncLog(async.get());

    sync->Navigate2(u"t.example"_s);
    async->Navigate2(u"t.example"_s);
    const QStringList expected = fullNavigation(u"http://t.example/"_s, {u"t.example"_s, u"T"_s});
    QCOMPARE(syncLog.events, expected);
    QVERIFY(asyncLog.events.isEmpty());
    QCOMPARE(async->LocationURL(), QString());
    QTRY_COMPARE(asyncLog.events, expected);
    QCOMPARE(async->Document()->title(), u"T"_s);
    QCOMPARE(static_cast<FakeWebBrowser *>(async.get())->calls.navigations,
             QStringList{u"t.example"_s});
}

void tst_Platform::stop_dropsPendingNavigation()
{
    FakeWebBrowserFactory factory;
    factory.setAsync(true);
    std::unique_ptr<WebBrowser> browser(factory.create(nullptr));
    EventLog log(browser.get());
    browser->Navigate2(u"http://a.example/"_s);
    browser->Stop();
    browser->Navigate2(u"http://b.example/"_s);
    QTRY_VERIFY(!log.events.isEmpty());
    QTest::qWait(20);
    QCOMPARE(log.events, fullNavigation(u"http://b.example/"_s, {u"b.example"_s}));
}

void tst_Platform::history_backAndForward()
{
    FakeWebBrowserFactory factory;
    auto *browser = static_cast<FakeWebBrowser *>(factory.create(nullptr));
    std::unique_ptr<WebBrowser> owner(browser);
    browser->Navigate2(u"http://a.example/"_s);
    browser->Navigate2(u"http://b.example/"_s);
    browser->Navigate2(u"http://c.example/"_s);

    browser->GoBack();
    browser->GoBack();
    QCOMPARE(browser->LocationURL(), u"http://a.example/"_s);
    browser->GoBack(); // nothing before the first page
    QCOMPARE(browser->LocationURL(), u"http://a.example/"_s);
    browser->GoForward();
    QCOMPARE(browser->LocationURL(), u"http://b.example/"_s);
    // A new page drops the pages ahead.
    browser->Navigate2(u"http://d.example/"_s);
    browser->GoForward();
    QCOMPARE(browser->LocationURL(), u"http://d.example/"_s);
    browser->GoBack();
    QCOMPARE(browser->LocationURL(), u"http://b.example/"_s);
    QCOMPARE(browser->calls.goBacks, 4);
    QCOMPARE(browser->calls.goForwards, 2);
}

void tst_Platform::releasePage_endsNavigationStartedInHandler()
{
    FakeWebBrowserFactory factory;
    auto *browser = static_cast<FakeWebBrowser *>(factory.create(nullptr));
    std::unique_ptr<WebBrowser> owner(browser);
    EventLog log(browser);
    connect(browser, &WebBrowser::NavigateComplete2, this, [browser] { browser->releasePage(); });

    QVERIFY(!browser->fakeNavigate(u"http://a.example/"_s, u"A"_s));
    QCOMPARE(log.events.last(), u"NavigateComplete http://a.example/"_s);
    QVERIFY(!browser->hasPage());
    QCOMPARE(browser->LocationURL(), QString());
    QCOMPARE(browser->Document()->title(), QString());
}

void tst_Platform::fakeOpenWindow_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("hand");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("toPlatform");

    QTest::newRow("handed control") << false << true << true << false;
    QTest::newRow("cancelled") << true << true << false << false;
    QTest::newRow("nothing handed") << false << false << false << true;
}

void tst_Platform::fakeOpenWindow()
{
    QFETCH(bool, cancel);
    QFETCH(bool, hand);
    QFETCH(bool, opened);
    QFETCH(bool, toPlatform);

    FakeWebBrowserFactory factory;
    factory.setPageTitle(u"http://pop.example/"_s, u"Pop"_s);
    std::unique_ptr<WebBrowser> opener(factory.create(nullptr));
    std::unique_ptr<WebBrowser> target(factory.create(nullptr));
    QSignalSpy platformSpy(opener.get(), &WebBrowser::NewWindowToPlatform);
    connect(opener.get(), &WebBrowser::NewWindow2, this, [&](WebBrowser **pp, bool *c) {
        QCOMPARE(*pp, nullptr);
        if (hand)
            *pp = target.get();
        *c = cancel;
    });

    auto *fakeOpener = static_cast<FakeWebBrowser *>(opener.get());
    WebBrowser *result = fakeOpener->fakeOpenWindow(u"pop.example"_s);
    QCOMPARE(result, opened ? target.get() : nullptr);
    QCOMPARE(target->LocationURL(), opened ? u"http://pop.example/"_s : QString());
    QCOMPARE(target->Document()->title(), opened ? u"Pop"_s : QString());
    QCOMPARE(platformSpy.size(), toPlatform ? 1 : 0);
    if (toPlatform)
        QCOMPARE(platformSpy.at(0).at(0).toString(), u"http://pop.example/"_s);
    QCOMPARE(opener->LocationURL(), QString());
}

void tst_Platform::fakeCloseWindow_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("host closes the tab itself") << true;
    QTest::newRow("left to the control") << false;
}

void tst_Platform::fakeCloseWindow()
{
    QFETCH(bool, cancel);
    FakeWebBrowserFactory factory;
    auto *browser = static_cast<FakeWebBrowser *>(factory.create(nullptr));
    std::unique_ptr<WebBrowser> owner(browser);
    browser->fakeNavigate(u"http://a.example/"_s);
    QList<bool> childFlags;
    connect(browser, &WebBrowser::WindowClosing, this, [&](bool isChild, bool *c) {
        childFlags << isChild;
        *c = cancel;
    });

    QCOMPARE(browser->fakeCloseWindow(), !cancel);
    QCOMPARE(childFlags, QList<bool>{false});
    QCOMPARE(browser->hasPage(), cancel);
    QCOMPARE(browser->calls.releases, 0);
}

void tst_Platform::scriptDialog_suppressedWhileSilent()
{
    FakeWebBrowserFactory factory;
    auto *browser = static_cast<FakeWebBrowser *>(factory.create(nullptr));
    std::unique_ptr<WebBrowser> owner(browser);
    QStringList asked;
    connect(browser, &WebBrowser::ScriptDialog, this,
            [&](WebBrowser::ScriptDialogKind, const QString &message, bool *accepted,
                QString *text) {
                asked << message;
                *accepted = true;
                *text += u"!"_s;
            });

    browser->setSilent(true);
    FakeWebBrowser::ScriptAnswer answer =
        browser->fakeScriptDialog(WebBrowser::ScriptDialogKind::Prompt, u"quiet"_s, u"x"_s);
    QVERIFY(!answer.raised);
    QVERIFY(!answer.accepted);
    browser->setSilent(false);
    answer = browser->fakeScriptDialog(WebBrowser::ScriptDialogKind::Prompt, u"loud"_s, u"x"_s);
    QVERIFY(answer.raised);
    QVERIFY(answer.accepted);
    QCOMPARE(answer.text, u"x!"_s);
    QCOMPARE(asked, QStringList{u"loud"_s});
    QCOMPARE(browser->calls.silent, (QList<bool>{true, false}));
}

void tst_Platform::pageCommands_goToHost()
{
    FakeWebBrowserFactory factory;
    std::unique_ptr<WebBrowser> browser(factory.create(nullptr));
    QSignalSpy spy(browser.get(), &WebBrowser::PageCommandRequested);
    for (int command : {4, 6, 8, 10, 11, 12, 13, 17})
        browser->ExecWB(command, command == 10 ? 2 : 0);
    QCOMPARE(spy.size(), 4);
    QList<int> commands;
    for (const QList<QVariant> &args : spy)
        commands << args.at(0).toInt();
    QCOMPARE(commands, (QList<int>{4, 6, 8, 10}));
    QCOMPARE(static_cast<FakeWebBrowser *>(browser.get())->calls.execWB.at(3),
             (QPair<int, int>{10, 2}));
}

void tst_Platform::fakeDialogs_scriptedAnswersInOrderThenDefaults()
{
    FakeDialogs dialogs;
    dialogs.answerMsgBox(MsgResult::No);
    dialogs.answerMsgBox(MsgResult::Cancel);
    dialogs.answerFile(u"/tmp/a.btl"_s);

    QCOMPARE(dialogs.msgBox(nullptr, u"one"_s, MsgButtons::YesNo, MsgIcon::Question, u"T1"_s),
             MsgResult::No);
    QCOMPARE(dialogs.msgBox(nullptr, u"two"_s, MsgButtons::YesNoCancel, MsgIcon::None, u"T2"_s),
             MsgResult::Cancel);
    QCOMPARE(dialogs.msgBox(nullptr, u"three"_s, MsgButtons::YesNo, MsgIcon::Critical, u"T3"_s),
             MsgResult::Yes);
    QCOMPARE(dialogs.saveFile(nullptr, u"Save"_s, u"List|*.btl"_s, u"/home"_s), u"/tmp/a.btl"_s);
    QCOMPARE(dialogs.openFile(nullptr, u"Open"_s, u"List|*.btl"_s, QString()), QString());

    QCOMPARE(dialogs.msgCalls.size(), 3);
    QCOMPARE(dialogs.msgCalls.at(0).text, u"one"_s);
    QCOMPARE(dialogs.msgCalls.at(0).title, u"T1"_s);
    QCOMPARE(dialogs.msgCalls.at(0).icon, MsgIcon::Question);
    QCOMPARE(dialogs.msgCalls.at(1).buttons, MsgButtons::YesNoCancel);
    QVERIFY(dialogs.msgCalls.at(1).scripted);
    QVERIFY(!dialogs.msgCalls.at(2).scripted);
    QCOMPARE(dialogs.msgCalls.at(2).icon, MsgIcon::Critical);
    QCOMPARE(dialogs.fileCalls.size(), 2);
    QCOMPARE(dialogs.fileCalls.at(0).kind, FakeDialogs::FileKind::Save);
    QCOMPARE(dialogs.fileCalls.at(0).dir, u"/home"_s);
    QCOMPARE(dialogs.fileCalls.at(1).kind, FakeDialogs::FileKind::Open);
    QVERIFY(!dialogs.fileCalls.at(1).scripted);
    QCOMPARE(dialogs.pendingMsgAnswers(), 0);
}

void tst_Platform::fakeDialogs_defaultAnswer_data()
{
    QTest::addColumn<MsgButtons>("buttons");
    QTest::addColumn<MsgResult>("answer");
    QTest::newRow("OK") << MsgButtons::OK << MsgResult::OK;
    QTest::newRow("OKCancel") << MsgButtons::OKCancel << MsgResult::OK;
    QTest::newRow("YesNo") << MsgButtons::YesNo << MsgResult::Yes;
    QTest::newRow("YesNoCancel") << MsgButtons::YesNoCancel << MsgResult::Yes;
    QTest::newRow("RetryCancel") << MsgButtons::RetryCancel << MsgResult::Retry;
}

void tst_Platform::fakeDialogs_defaultAnswer()
{
    QFETCH(MsgButtons, buttons);
    QFETCH(MsgResult, answer);
    FakeDialogs dialogs;
    QCOMPARE(dialogs.msgBox(nullptr, u"?"_s, buttons, MsgIcon::None, QString()), answer);
}

void tst_Platform::toDialogFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two entries") << u"HTM,HTML documents|*.htm;*.html|All files|*.*"_s
                                 << u"HTM,HTML documents (*.htm *.html);;All files (*.*)"_s;
    QTest::newRow("one entry") << u"BrowserTabList|*.btl"_s << u"BrowserTabList (*.btl)"_s;
    QTest::newRow("dialog form kept") << u"Lists (*.btl)"_s << u"Lists (*.btl)"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("dangling description") << u"A|*.a|B"_s << u"A (*.a)"_s;
}

void tst_Platform::toDialogFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(velmora::platform::toDialogFilter(filter), expected);
}

void tst_Platform::parseMeminfo_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<quint64>("total");
    QTest::addColumn<quint64>("available");
    QTest::addColumn<int>("load");

    QTest::newRow("usual") << QByteArray("MemTotal:       16000000 kB\n"
                                         "MemFree:         1000000 kB\n"
                                         "MemAvailable:    4000000 kB\n"
                                         "Buffers:          100000 kB\n")
                           << quint64(16000000) * 1024 << quint64(4000000) * 1024 << 75;
    QTest::newRow("low memory") << QByteArray("MemTotal: 1000 kB\nMemAvailable: 40 kB\n")
                                << quint64(1000) * 1024 << quint64(40) * 1024 << 96;
    QTest::newRow("old kernel without MemAvailable")
        << QByteArray("MemTotal: 2000 kB\nMemFree: 500 kB\n") << quint64(2000) * 1024
        << quint64(500) * 1024 << 75;
    QTest::newRow("garbage") << QByteArray("nothing here\n") << quint64(0) << quint64(0) << 0;
}

void tst_Platform::parseMeminfo()
{
    QFETCH(QByteArray, text);
    QFETCH(quint64, total);
    QFETCH(quint64, available);
    QFETCH(int, load);
    const MemoryStatus status = LinuxSystemFacts::parseMeminfo(text);
    QCOMPARE(status.totalPhysical, total);
    QCOMPARE(status.availablePhysical, available);
    QCOMPARE(status.memoryLoad, load);
}

void tst_Platform::webBrowserOfTheDesktop_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("found");
    QTest::newRow("nothing") << QString() << QString() << QString() << false;
    QTest::newRow("only other programs") << QString() << u"\n"_s << u"xdg-open"_s << false;
    QTest::newRow("BROWSER variable") << u"lynx"_s << QString() << QString() << true;
    QTest::newRow("default handler") << QString() << u"firefox-esr.desktop\n"_s << QString()
                                     << true;
    QTest::newRow("browser in path") << QString() << QString() << u"x-www-browser"_s << true;
}

void tst_Platform::webBrowserOfTheDesktop()
{
    QFETCH(QString, variable);
    QFETCH(QString, handler);
    QFETCH(QString, program);
    QFETCH(bool, found);
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    if (!program.isEmpty()) {
        QFile file(bin.filePath(program));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    QCOMPARE(LinuxSystemFacts::hasWebBrowser(variable, handler, {bin.path()}), found);
}

void tst_Platform::memoryStatus_readsGivenFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"meminfo"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("MemTotal: 4096 kB\nMemAvailable: 1024 kB\n");
    file.close();
    QCOMPARE(LinuxSystemFacts(path).memoryStatus().availablePhysical, quint64(1024) * 1024);
    QCOMPARE(LinuxSystemFacts(dir.filePath(u"missing"_s)).memoryStatus().totalPhysical,
             quint64(0));
    QVERIFY(!LinuxSystemFacts().isWinNT());
    QVERIFY(LinuxSystemFacts().memoryStatus().totalPhysical > 0);
}

void tst_Platform::isForegroundWindow_followsActiveWindow()
{
    LinuxSystemFacts facts;
    QWidget window;
    auto *child = new QWidget(&window);
    QWidget other;
    window.show();
    other.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(facts.isForegroundWindow(&window));
    QVERIFY(facts.isForegroundWindow(child));
    QVERIFY(!facts.isForegroundWindow(&other));
    QVERIFY(!facts.isForegroundWindow(nullptr));
}

void tst_Platform::internetState_missingOrUnknownFileIsOnline_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("write");
    QTest::addColumn<bool>("offline");
    QTest::newRow("no file") << QByteArray() << false << false;
    QTest::newRow("empty") << QByteArray() << true << false;
    QTest::newRow("zero") << QByteArray("0\n") << true << false;
    QTest::newRow("one") << QByteArray("1\n") << true << true;
    QTest::newRow("one without newline") << QByteArray("1") << true << true;
    QTest::newRow("garbage") << QByteArray("yes") << true << false;
}

void tst_Platform::internetState_missingOrUnknownFileIsOnline()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, write);
    QFETCH(bool, offline);
    QTemporaryDir dir;
    if (write) {
        QFile file(dir.filePath(u"offline"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    FileInternetState state(dir.path());
    QCOMPARE(state.isOffline(), offline);
}

void tst_Platform::internetState_changeSeenByOtherInstance()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"olk_Browser"_s);
    FileInternetState first(folder);
    FileInternetState second(folder);
    QVERIFY(!second.isOffline());

    first.setOffline(true);
    QVERIFY(first.isOffline());
    QTRY_VERIFY_WITH_TIMEOUT(second.isOffline(), 5000);
    first.setOffline(false);
    QTRY_VERIFY_WITH_TIMEOUT(!second.isOffline(), 5000);
    second.setOffline(true);
    QTRY_VERIFY_WITH_TIMEOUT(first.isOffline(), 5000);
}

void tst_Platform::internetState_readingIsCached()
{
    QTemporaryDir dir;
    FileInternetState state(dir.path());
    state.setOffline(true);
    QTest::qWait(100); // let the own write's notification pass
    const int reads = state.fileReads();
    for (int i = 0; i < 1000; ++i)
        QVERIFY(state.isOffline());
    QCOMPARE(state.fileReads(), reads);
}

void tst_Platform::internetState_writeIsAtomic()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"nested/olk_Browser"_s);
    FileInternetState state(folder);
    state.setOffline(true);
    state.setOffline(false);
    state.setOffline(true);
    QFile file(state.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("1\n"));
    // Nothing is left beside the state file: no temporary copies.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"offline"_s});
}

void tst_Platform::internetState_replacedFileStillWatched()
{
    QTemporaryDir dir;
    FileInternetState state(dir.path());
    QSignalSpy changes(&state, &FileInternetState::offlineChanged);
    // Another program replaces the file by renaming a new one over it, twice.
    for (const QByteArray &content : {QByteArray("1"), QByteArray("0"), QByteArray("1")}) {
        const QString temporary = dir.filePath(u"offline.new"_s);
        QFile file(temporary);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        QFile::remove(state.filePath());
        QVERIFY(QFile::rename(temporary, state.filePath()));
        QTRY_COMPARE_WITH_TIMEOUT(state.isOffline(), content == "1", 5000);
    }
    QCOMPARE(changes.size(), 3);
}

void tst_Platform::fakeServices_pointersAreTheServices()
{
    FakeServices fakes = makeFakeServices();
    Services services = std::move(fakes.services);
    QCOMPARE(static_cast<WebBrowserFactory *>(fakes.browsers), services.browsers.get());
    QCOMPARE(static_cast<Dialogs *>(fakes.dialogs), services.dialogs.get());
    QCOMPARE(static_cast<SystemFacts *>(fakes.system), services.system.get());
    QCOMPARE(static_cast<InternetState *>(fakes.internet), services.internet.get());
    services.internet->setOffline(true);
    QCOMPARE(fakes.internet->setOfflineCalls, QList<bool>{true});
}

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
