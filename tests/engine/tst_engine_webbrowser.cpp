#include "EngineOfflineCache.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "LinuxSystemFacts.h"
#include "LocalHostLookups.h"
#include "PageScript.h"
#include "PageEventLog.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

using namespace velmora::platform;
using namespace Qt::StringLiterals;

namespace {

constexpr int timeout = 10000;

// Every event of one control, in order, with answers the test sets.
struct EventLog : velmora::test::PageEventLog
{
    bool cancelNewWindow = false;
    WebBrowser *handOut = nullptr;
    bool cancelClosing = false;
    bool acceptDialog = false;
    QString promptAnswer;
    QStringList dialogs;

    explicit EventLog(WebBrowser *browser) : PageEventLog(browser)
    {
        QObject::connect(browser, &WebBrowser::NewWindow2, browser,
                         [this](WebBrowser **pp, bool *cancel) {
                             events << u"NewWindow"_s;
                             *pp = handOut;
                             *cancel = cancelNewWindow;
                         });
        QObject::connect(browser, &WebBrowser::NewWindowToPlatform, browser,
                         [this](const QString &url) { events << u"ToPlatform "_s + url; });
        QObject::connect(browser, &WebBrowser::WindowClosing, browser,
                         [this](bool child, bool *cancel) {
                             events << (child ? u"Closing child"_s : u"Closing"_s);
                             *cancel = cancelClosing;
                         });
        QObject::connect(browser, &WebBrowser::ScriptDialog, browser,
                         [this](WebBrowser::ScriptDialogKind, const QString &message,
                                bool *accepted, QString *text) {
                             dialogs << message;
                             *accepted = acceptDialog;
                             if (!promptAnswer.isEmpty())
                                 *text = promptAnswer;
                         });
        QObject::connect(browser, &WebBrowser::GotFocus, browser,
                         [this] { events << u"GotFocus"_s; });
    }

    bool has(const QString &event) const { return events.contains(event); }
    QStringList withoutProgress() const
    {
        QStringList out;
        for (const QString &e : events)
            if (!e.startsWith("Progress"_L1))
                out << e;
        return out;
    }
};

// QTest's own waiting sleeps between turns, which starves the engine's
// message pump: loads then take seconds instead of milliseconds.
bool spinUntil(const std::function<bool()> &condition, int ms = timeout)
{
    return velmora::test::spinUntil(condition, ms);
}

using velmora::test::settle;

QVariant runScript(WebBrowser *browser, const QString &script)
{
    return velmora::test::runScript(static_cast<EngineWebBrowser *>(browser)->page(), script,
                                    timeout);
}

} // namespace

class tst_EngineWebBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void freshControl_hasNoEnginePage();
    void profile_isPersistentUnderDataHome();
    void navigate_raisesEventsInOrder();
    void navigate_untitledPageHasNoDocumentTitle();
    void navigate_sameAddressCompletesAgain();
    void refresh_isNoNewNavigation();
    void backAndForward();
    void beforeNavigate_cancelStopsRequest();
    void windowOpen_loadsInHandedControl();
    void windowOpen_refused_data();
    void windowOpen_refused();
    void windowClose_reachesHost_data();
    void windowClose_reachesHost();
    void silent_suppressesScriptDialogs();
    void scriptDialogs_answeredByHost();
    void offline_keepsRequestsOffTheNetwork();
    void clear_emptiesDocumentWithoutNavigation();
    void setTitle_changesDocumentTitle();
    void setFocus_raisesGotFocus();
    void mouseOverPage_raisesOnmousemove();
    void execWB_editsInPageOrAsksHost();
    void releasePage_thenNavigateAgain();
    void releasedSlot_keepsNoPageHelpersAndAnswers();
    void failedNavigation_showsErrorPageLocation_data();
    void failedNavigation_showsErrorPageLocation();
    void factoryDestruction_releasesPagesFirst();

private:
    WebBrowser *makeBrowser();
    bool load(WebBrowser *browser, EventLog &log, const QString &path);

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
    velmora::test::HttpServer *m_server = nullptr;
    std::unique_ptr<EngineWebBrowserFactory> m_factory;
    std::unique_ptr<QWidget> m_host;
    QList<WebBrowser *> m_browsers;
};

void tst_EngineWebBrowser::initTestCase()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
    velmora::test::keepHostLookupsLocal();
    m_server = new velmora::test::HttpServer(this);
    QVERIFY(m_server->isListening());
    m_server->setStorable(u"/a"_s);
    m_server->setPage(u"/a"_s, u"Page A"_s, u"<p>a</p>"_s);
    m_server->setPage(u"/b"_s, u"Page B"_s, u"<p>b</p>"_s);
    m_server->setPage(u"/untitled"_s, QString(), u"<p>no title</p>"_s);
    m_server->setPage(u"/blocked"_s, u"Blocked"_s);
    m_server->setPage(u"/after"_s, u"After"_s);
    m_server->setPage(u"/popup"_s, u"Popup"_s, u"<p>popup</p>"_s);
    m_server->setPage(u"/offline"_s, u"Offline"_s);
    m_factory = std::make_unique<EngineWebBrowserFactory>();
    m_host = std::make_unique<QWidget>();
    new QVBoxLayout(m_host.get());
    m_host->resize(640, 480);
    m_host->show();
    m_host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_host.get()));
}

void tst_EngineWebBrowser::cleanupTestCase()
{
    qDeleteAll(m_browsers);
    m_browsers.clear();
    m_factory.reset();
    m_host.reset();
}

void tst_EngineWebBrowser::cleanup()
{
    qDeleteAll(m_browsers);
    m_browsers.clear();
    m_server->resetCounts();
}

WebBrowser *tst_EngineWebBrowser::makeBrowser()
{
    WebBrowser *browser = m_factory->create(m_host.get());
    m_host->layout()->addWidget(browser->widget());
    browser->setVisible(true);
    m_browsers << browser;
    return browser;
}

bool tst_EngineWebBrowser::load(WebBrowser *browser, EventLog &log, const QString &path)
{
    const QString url = m_server->url(path).toString();
    browser->Navigate2(url);
    return spinUntil([&] { return log.has(u"DocumentComplete "_s + url) && !browser->Busy(); });
}

void tst_EngineWebBrowser::freshControl_hasNoEnginePage()
{
    WebBrowser *browser = makeBrowser();
    QVERIFY(!browser->hasPage());
    QVERIFY(browser->widget()->findChildren<QWebEngineView *>().isEmpty());
    QCOMPARE(browser->LocationURL(), QString());
    QCOMPARE(browser->LocationName(), QString());
    QCOMPARE(browser->Document()->title(), QString());
    browser->Document()->Clear();
    browser->Stop();
    browser->GoBack();
    QVERIFY(!browser->hasPage());
    QVERIFY(browser->Visible());
    browser->setVisible(false);
    QVERIFY(!browser->Visible());
}

void tst_EngineWebBrowser::profile_isPersistentUnderDataHome()
{
    QWebEngineProfile *profile = m_factory->profile();
    QCOMPARE(profile, m_factory->profile());
    QVERIFY(!profile->isOffTheRecord());
    QCOMPARE(profile->storageName(), u"olk_Browser"_s);
    const QString root = QDir(m_env->dataHome()).filePath(u"olk_Browser"_s);
    QCOMPARE(EngineWebBrowserFactory::storagePath(), root);
    QCOMPARE(profile->persistentStoragePath(), root);
    QVERIFY(profile->cachePath().startsWith(root));
    QCOMPARE(profile->persistentCookiesPolicy(), QWebEngineProfile::ForcePersistentCookies);
    QCOMPARE(profile->httpCacheType(), QWebEngineProfile::DiskHttpCache);
}

void tst_EngineWebBrowser::navigate_raisesEventsInOrder()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    bool busyAtNavigateComplete = false;
    connect(browser, &WebBrowser::NavigateComplete2, this,
            [&] { busyAtNavigateComplete = browser->Busy(); });
    QVERIFY(load(browser, log, u"/a"_s));

    const QString url = m_server->url(u"/a"_s).toString();
    const QString shown = url.mid(7);
    QCOMPARE(log.withoutProgress(),
             (QStringList{u"Before "_s + url, u"NavigateComplete "_s + url, u"Title "_s + shown,
                          u"Title Page A"_s, u"DocumentComplete "_s + url,
                          u"DownloadComplete"_s}));
    // Progress starts before the commit and the bar is emptied at the end.
    const qsizetype committed = log.events.indexOf(u"NavigateComplete "_s + url);
    const qsizetype completed = log.events.indexOf(u"DocumentComplete "_s + url);
    QVERIFY(log.events.indexOf(u"Progress 0/100"_s) < committed);
    QVERIFY(log.events.indexOf(u"Progress 100/100"_s) < completed);
    QCOMPARE(log.events.last(), u"Progress 0/0"_s);
    QVERIFY(busyAtNavigateComplete);
    QVERIFY(browser->hasPage());
    QCOMPARE(browser->LocationURL(), url);
    QCOMPARE(browser->LocationName(), u"Page A"_s);
    QCOMPARE(browser->Document()->title(), u"Page A"_s);
    QCOMPARE(m_server->requestCount(u"/a"_s), 1);
}

void tst_EngineWebBrowser::navigate_untitledPageHasNoDocumentTitle()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/untitled"_s));
    const QString url = m_server->url(u"/untitled"_s).toString();
    spinUntil([&] { return browser->Document()->title() == QString(); });
    QCOMPARE(browser->Document()->title(), QString());
    QCOMPARE(browser->LocationName(), url);

    browser->Navigate2(u"about:blank"_s);
    QVERIFY(spinUntil([&] { return log.has(u"DocumentComplete about:blank"_s); }));
    QVERIFY(log.has(u"Before about:blank"_s));
    QCOMPARE(browser->LocationURL(), u"about:blank"_s);
    QCOMPARE(browser->Document()->title(), QString());
}

void tst_EngineWebBrowser::navigate_sameAddressCompletesAgain()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    log.events.clear();
    QVERIFY(load(browser, log, u"/a"_s));
    const QString url = m_server->url(u"/a"_s).toString();
    QCOMPARE(log.withoutProgress(),
             (QStringList{u"Before "_s + url, u"NavigateComplete "_s + url,
                          u"DocumentComplete "_s + url, u"DownloadComplete"_s}));
    QCOMPARE(m_server->requestCount(u"/a"_s), 2);
}

void tst_EngineWebBrowser::refresh_isNoNewNavigation()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    log.events.clear();
    browser->Refresh();
    const QString url = m_server->url(u"/a"_s).toString();
    QVERIFY(spinUntil([&] { return log.has(u"DownloadComplete"_s); }));
    QCOMPARE(log.withoutProgress(),
             (QStringList{u"DocumentComplete "_s + url, u"DownloadComplete"_s}));
    QCOMPARE(m_server->requestCount(u"/a"_s), 2);
}

void tst_EngineWebBrowser::backAndForward()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    QVERIFY(load(browser, log, u"/b"_s));
    const QString a = m_server->url(u"/a"_s).toString();
    const QString b = m_server->url(u"/b"_s).toString();

    log.events.clear();
    browser->GoBack();
    QVERIFY(spinUntil([&] { return log.has(u"DocumentComplete "_s + a); }));
    QCOMPARE(browser->LocationURL(), a);
    QVERIFY(log.has(u"Before "_s + a));
    QVERIFY(log.has(u"NavigateComplete "_s + a));
    spinUntil([&] { return browser->Document()->title() == u"Page A"_s; });
    QCOMPARE(browser->Document()->title(), u"Page A"_s);

    log.events.clear();
    browser->GoForward();
    QVERIFY(spinUntil([&] { return log.has(u"DocumentComplete "_s + b); }));
    QCOMPARE(browser->LocationURL(), b);
    spinUntil([&] { return browser->LocationName() == u"Page B"_s; });
    QCOMPARE(browser->LocationName(), u"Page B"_s);
}

void tst_EngineWebBrowser::beforeNavigate_cancelStopsRequest()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    log.cancelPaths << u"/blocked"_s;
    log.events.clear();

    const QString blocked = m_server->url(u"/blocked"_s).toString();
    const QString after = m_server->url(u"/after"_s).toString();
    browser->Navigate2(blocked);
    QVERIFY(spinUntil([&] { return log.has(u"Before "_s + blocked); }));
    settle(200);
    // Another page loads afterwards; nothing of the cancelled one comes between.
    QVERIFY(load(browser, log, u"/after"_s));
    QCOMPARE(log.events.first(), u"Before "_s + blocked);
    QCOMPARE(log.events.at(1), u"Before "_s + after);
    QCOMPARE(m_server->requestCount(u"/blocked"_s), 0);
    QCOMPARE(browser->LocationURL(), after);

    // A page script's navigation is asked about as well.
    log.events.clear();
    QCOMPARE(runScript(browser, u"location.href = '/blocked'; 1"_s).toInt(), 1);
    QVERIFY(spinUntil([&] { return log.has(u"Before "_s + blocked); }));
    settle(300);
    QCOMPARE(log.events, QStringList{u"Before "_s + blocked});
    QCOMPARE(m_server->requestCount(u"/blocked"_s), 0);
    QVERIFY(!browser->Busy());

    // Once allowed, the same address loads.
    log.cancelPaths.clear();
    QVERIFY(load(browser, log, u"/blocked"_s));
    QCOMPARE(m_server->requestCount(u"/blocked"_s), 1);
}

void tst_EngineWebBrowser::windowOpen_loadsInHandedControl()
{
    WebBrowser *opener = makeBrowser();
    WebBrowser *target = makeBrowser();
    EventLog openerLog(opener);
    EventLog targetLog(target);
    QVERIFY(load(opener, openerLog, u"/a"_s));
    openerLog.handOut = target;

    runScript(opener, u"window.open('/popup'); 1"_s);
    const QString popup = m_server->url(u"/popup"_s).toString();
    QVERIFY(spinUntil([&] { return targetLog.has(u"DocumentComplete "_s + popup); }));
    QVERIFY(openerLog.has(u"NewWindow"_s));
    QVERIFY(targetLog.has(u"Before "_s + popup));
    QVERIFY(targetLog.has(u"NavigateComplete "_s + popup));
    QCOMPARE(target->LocationURL(), popup);
    spinUntil([&] { return target->Document()->title() == u"Popup"_s; });
    QCOMPARE(target->Document()->title(), u"Popup"_s);
    QCOMPARE(opener->LocationURL(), m_server->url(u"/a"_s).toString());
    QCOMPARE(m_server->requestCount(u"/popup"_s), 1);
}

void tst_EngineWebBrowser::windowOpen_refused_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancelled") << true;
    QTest::newRow("nothing handed") << false;
}

void tst_EngineWebBrowser::windowOpen_refused()
{
    QFETCH(bool, cancel);
    WebBrowser *opener = makeBrowser();
    WebBrowser *bystander = makeBrowser();
    EventLog log(opener);
    QVERIFY(load(opener, log, u"/a"_s));
    log.cancelNewWindow = cancel;
    log.handOut = cancel ? bystander : nullptr;

    runScript(opener, u"window.open('/popup'); 1"_s);
    QVERIFY(spinUntil([&] { return log.has(u"NewWindow"_s); }));
    settle(300);
    QCOMPARE(m_server->requestCount(u"/popup"_s), 0);
    QVERIFY(!bystander->hasPage());
    QCOMPARE(log.has(u"ToPlatform "_s + m_server->url(u"/popup"_s).toString()), !cancel);
}

void tst_EngineWebBrowser::windowClose_reachesHost_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("host keeps the page") << true;
    QTest::newRow("page goes") << false;
}

void tst_EngineWebBrowser::windowClose_reachesHost()
{
    QFETCH(bool, cancel);
    WebBrowser *opener = makeBrowser();
    WebBrowser *popup = makeBrowser();
    EventLog openerLog(opener);
    EventLog popupLog(popup);
    QVERIFY(load(opener, openerLog, u"/a"_s));
    openerLog.handOut = popup;
    runScript(opener, u"window.open('/popup'); 1"_s);
    const QString url = m_server->url(u"/popup"_s).toString();
    QVERIFY(spinUntil([&] { return popupLog.has(u"DocumentComplete "_s + url); }));

    popupLog.cancelClosing = cancel;
    runScript(popup, u"window.close(); 1"_s);
    QVERIFY(spinUntil([&] { return popupLog.has(u"Closing"_s); }));
    if (cancel) {
        settle(100);
        QVERIFY(popup->hasPage());
        QCOMPARE(popup->LocationURL(), url);
    } else {
        QVERIFY(spinUntil([&] { return !popup->hasPage(); }));
        QCOMPARE(popup->LocationURL(), QString());
    }
    QVERIFY(opener->hasPage());
}

void tst_EngineWebBrowser::silent_suppressesScriptDialogs()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    log.acceptDialog = true;

    browser->setSilent(true);
    QCOMPARE(runScript(browser, u"alert('quiet'); 'after'"_s).toString(), u"after"_s);
    QCOMPARE(runScript(browser, u"confirm('sure?')"_s).toBool(), false);
    QCOMPARE(runScript(browser, u"String(prompt('name?', 'x'))"_s).toString(), u"null"_s);
    QVERIFY(log.dialogs.isEmpty());

    browser->setSilent(false);
    QCOMPARE(runScript(browser, u"alert('loud'); 'after'"_s).toString(), u"after"_s);
    QCOMPARE(log.dialogs, QStringList{u"loud"_s});
}

void tst_EngineWebBrowser::scriptDialogs_answeredByHost()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));

    log.acceptDialog = true;
    QCOMPARE(runScript(browser, u"confirm('sure?')"_s).toBool(), true);
    log.promptAnswer = u"Ann"_s;
    QCOMPARE(runScript(browser, u"prompt('name?', 'x')"_s).toString(), u"Ann"_s);
    log.acceptDialog = false;
    QCOMPARE(runScript(browser, u"confirm('again?')"_s).toBool(), false);
    QCOMPARE(log.dialogs, (QStringList{u"sure?"_s, u"name?"_s, u"again?"_s}));
}

void tst_EngineWebBrowser::offline_keepsRequestsOffTheNetwork()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    const QString a = m_server->url(u"/a"_s).toString();
    // The page was kept when it completed.
    QVERIFY(spinUntil([&] { return m_factory->offlineCache()->findEntry(a) == 0; }));
    browser->setOffline(true);
    QVERIFY(browser->Offline());
    log.events.clear();
    browser->Navigate2(m_server->url(u"/offline"_s).toString());
    QVERIFY(spinUntil([&] { return log.has(u"DownloadComplete"_s); }));
    QCOMPARE(m_server->requestCount(u"/offline"_s), 0);
    QVERIFY(!browser->Busy());
    QCOMPARE(browser->LocationURL(), m_server->url(u"/offline"_s).toString());

    // A kept page comes from the cache, with its real address.
    log.events.clear();
    browser->Navigate2(a);
    QVERIFY(spinUntil([&] { return log.has(u"DocumentComplete "_s + a) && !browser->Busy(); }));
    QVERIFY(spinUntil([&] { return browser->Document()->title() == "Page A"_L1; }));
    QCOMPARE(m_server->requestCount(u"/a"_s), 1);
    QCOMPARE(browser->LocationURL(), a);

    browser->setOffline(false);
    log.events.clear();
    QVERIFY(load(browser, log, u"/offline"_s));
    QCOMPARE(m_server->requestCount(u"/offline"_s), 1);
}

void tst_EngineWebBrowser::clear_emptiesDocumentWithoutNavigation()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    log.events.clear();
    browser->Document()->Clear();
    QCOMPARE(browser->Document()->title(), QString());
    // Scripts run in order: this one sees the document after the clearing.
    QCOMPARE(runScript(browser, u"document.body ? document.body.innerHTML : 'none'"_s).toString(),
             QString());
    QCOMPARE(log.withoutProgress().filter(u"Before"_s), QStringList());
    QCOMPARE(log.withoutProgress().filter(u"NavigateComplete"_s), QStringList());
    QCOMPARE(browser->LocationURL(), m_server->url(u"/a"_s).toString());
}

void tst_EngineWebBrowser::setTitle_changesDocumentTitle()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    browser->Document()->setTitle(u"It's \"new\""_s);
    QCOMPARE(browser->Document()->title(), u"It's \"new\""_s);
    QVERIFY(spinUntil([&] { return log.has(u"Title It's \"new\""_s); }));
    QCOMPARE(runScript(browser, u"document.title"_s).toString(), u"It's \"new\""_s);
    QCOMPARE(browser->LocationName(), u"It's \"new\""_s);
}

void tst_EngineWebBrowser::setFocus_raisesGotFocus()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QSignalSpy lost(browser, &WebBrowser::LostFocus);
    QVERIFY(load(browser, log, u"/a"_s));
    browser->SetFocus();
    QVERIFY(spinUntil([&] { return log.has(u"GotFocus"_s); }));
    QCOMPARE(log.events.count(u"GotFocus"_s), 1);
    m_host->setFocus();
    spinUntil([&] { return lost.size() == 1; });
    QCOMPARE(lost.size(), 1);
}

void tst_EngineWebBrowser::mouseOverPage_raisesOnmousemove()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    QSignalSpy moves(browser->Document(), &WebDocument::onmousemove);
    QWidget *surface = static_cast<EngineWebBrowser *>(browser)->widget()
                           ->findChild<QWebEngineView *>()->focusProxy();
    QVERIFY(surface);
    QTest::mouseMove(surface, QPoint(20, 20));
    QTest::mouseMove(surface, QPoint(30, 25));
    QVERIFY(spinUntil([&] { return moves.size() > 0; }));
}

void tst_EngineWebBrowser::execWB_editsInPageOrAsksHost()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    QSignalSpy commands(browser, &WebBrowser::PageCommandRequested);

    // The editing commands act on the page that has the focus.
    browser->SetFocus();
    QVERIFY(spinUntil([&] { return log.has(u"GotFocus"_s); }));
    browser->ExecWB(WebBrowser::SelectAll, WebBrowser::DoDefault);
    const QString selection = u"window.getSelection().toString().trim()"_s;
    spinUntil([&] { return !runScript(browser, selection).toString().isEmpty(); }, 3000);
    QCOMPARE(runScript(browser, selection).toString(), u"a"_s);
    for (int command : {WebBrowser::SaveAs, WebBrowser::Print, WebBrowser::PageSetup})
        browser->ExecWB(command, WebBrowser::DoDefault);
    browser->ExecWB(WebBrowser::Properties, WebBrowser::DontPromptUser);
    QCOMPARE(commands.size(), 4);
    QCOMPARE(commands.at(3).at(0).toInt(), int(WebBrowser::Properties));
    QVERIFY(browser->hasPage());
}

void tst_EngineWebBrowser::releasePage_thenNavigateAgain()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    QPointer<QWebEnginePage> page = static_cast<EngineWebBrowser *>(browser)->page();
    QVERIFY(page);

    browser->releasePage();
    QVERIFY(!browser->hasPage());
    QVERIFY(!page);
    QVERIFY(browser->widget()->findChildren<QWebEngineView *>().isEmpty());
    QCOMPARE(browser->LocationURL(), QString());
    QCOMPARE(browser->Document()->title(), QString());
    QVERIFY(!browser->Busy());

    log.events.clear();
    QVERIFY(load(browser, log, u"/b"_s));
    QVERIFY(browser->hasPage());
    QCOMPARE(browser->Document()->title(), u"Page B"_s);
    // The fresh page starts a fresh history.
    browser->GoBack();
    settle(300);
    QCOMPARE(browser->LocationURL(), m_server->url(u"/b"_s).toString());
}

void tst_EngineWebBrowser::releasedSlot_keepsNoPageHelpersAndAnswers()
{
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QSignalSpy lost(browser, &WebBrowser::LostFocus);
    QVERIFY(load(browser, log, u"/a"_s));
    QWidget *slot = browser->widget();
    QVERIFY(slot->layout());
    QVERIFY(!slot->findChildren<QWebEngineUrlRequestInterceptor *>().isEmpty());

    browser->releasePage();
    // A closed tab's slot keeps its bare container only.
    QVERIFY(!slot->layout());
    QVERIFY(slot->findChildren<QObject *>().isEmpty());
    QVERIFY(browser->findChildren<QWebEngineUrlRequestInterceptor *>().isEmpty());
    // The window still calls a closed tab's control.
    browser->SetFocus();
    browser->Stop();
    browser->GoBack();
    browser->GoForward();
    browser->Refresh();
    browser->ExecWB(WebBrowser::Copy, WebBrowser::DoDefault);
    browser->leaveFullScreen();
    browser->printPage(nullptr);
    browser->Document()->Clear();
    browser->Document()->setTitle(u"x"_s);
    browser->setVisible(false);
    browser->setVisible(true);
    QVERIFY(browser->Visible());
    QCOMPARE(browser->LocationName(), QString());
    QCOMPARE(browser->Document()->formCount(), 0);
    // Focus moving elsewhere is no news of a control without a page.
    m_host->setFocus();
    settle(100);
    QCOMPARE(lost.size(), 0);

    // Used again, the slot gets its page, layout, helpers and focus reports back.
    log.events.clear();
    QVERIFY(load(browser, log, u"/b"_s));
    QVERIFY(slot->layout());
    auto *view = slot->findChild<QWebEngineView *>();
    QVERIFY(view);
    QCOMPARE(slot->layout()->indexOf(view), 0);
    QCOMPARE(slot->findChildren<QWebEngineView *>().size(), 1);
    QCOMPARE(slot->findChildren<QWebEngineUrlRequestInterceptor *>().size(), 1);
    browser->SetFocus();
    QVERIFY(spinUntil([&] { return log.has(u"GotFocus"_s); }));
    QCOMPARE(log.events.count(u"GotFocus"_s), 1);
    m_host->setFocus();
    QVERIFY(spinUntil([&] { return lost.size() == 1; }));
}

void tst_EngineWebBrowser::factoryDestruction_releasesPagesFirst()
{
    QTest::failOnWarning(QRegularExpression(u"Release of profile requested"_s));
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));

    m_factory.reset();
    QVERIFY(!browser->hasPage());
    // A control that outlives its factory stays usable but shows no page.
    browser->Navigate2(m_server->url(u"/b"_s).toString());
    QVERIFY(!browser->hasPage());
    settle(200);
    QCOMPARE(m_server->requestCount(u"/b"_s), 0);
}

void tst_EngineWebBrowser::failedNavigation_showsErrorPageLocation_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("unknown host") << u"http://nonexistent-host.invalid/"_s;
    // A port that nobody listens on any more.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    QTest::newRow("refused port") << u"http://127.0.0.1:%1/page"_s.arg(port);
}

// The engine commits its own error page under the address that failed; the
// host sees it as an error page that wraps that address.
void tst_EngineWebBrowser::failedNavigation_showsErrorPageLocation()
{
    QFETCH(QString, address);
    WebBrowser *browser = makeBrowser();
    EventLog log(browser);
    QVERIFY(load(browser, log, u"/a"_s));
    log.events.clear();
    const QString errorPage = u"res://"_s + LinuxSystemFacts().systemDirectory()
                              + u"\\shdoclc.dll/dnserror.htm#"_s + address;

    browser->Navigate2(address);
    QVERIFY(spinUntil([&] { return log.has(u"DownloadComplete"_s) && !browser->Busy(); }));
    QCOMPARE(browser->LocationURL(), errorPage);
    QStringList completes = log.events.filter(QRegularExpression(u"^NavigateComplete "_s));
    QVERIFY(!completes.isEmpty());
    QCOMPARE(completes.last(), u"NavigateComplete "_s + errorPage);
    QVERIFY(log.has(u"DocumentComplete "_s + errorPage));
    QVERIFY(log.events.indexOf(completes.last()) < log.events.indexOf(u"DocumentComplete "_s + errorPage));

    // Opening the error page's location asks for the address again.
    log.events.clear();
    browser->Navigate2(errorPage);
    QVERIFY(spinUntil([&] { return log.has(u"DownloadComplete"_s) && !browser->Busy(); }));
    QCOMPARE(log.events.first(), u"Before "_s + address);
    QCOMPARE(browser->LocationURL(), errorPage);

    // A page that loads is no error page.
    log.events.clear();
    QVERIFY(load(browser, log, u"/b"_s));
    QCOMPARE(browser->LocationURL(), m_server->url(u"/b"_s).toString());
    browser->GoBack();
    QVERIFY(spinUntil([&] { return log.has(u"DocumentComplete "_s + errorPage) && !browser->Busy(); }));
    QCOMPARE(browser->LocationURL(), errorPage);
}

QTEST_MAIN(tst_EngineWebBrowser)
#include "tst_engine_webbrowser.moc"
