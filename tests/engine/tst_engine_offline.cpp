#include "TestPictures.h"
#include "EngineOfflineCache.h"
#include "EngineOfflineWork.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "FakeDialogs.h"
#include "FakeServices.h"
#include "FileInternetState.h"
#include "HttpServer.h"
#include "Language.h"
#include "OfflinePage.h"
#include "PageEventLog.h"
#include "PageScript.h"
#include "Program.h"
#include "SessionFiles.h"
#include "TabRowReading.h"
#include "TestEnvironment.h"
#include "frmMain.h"
#include "frmOpenTabsDetailed.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineDownloadRequest>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWebEnginePage>

#include <cerrno>

using namespace velmora;
using namespace velmora::platform;
using namespace Qt::StringLiterals;
using velmora::test::spinUntil;

namespace {

QString offlineTitle()
{
    return u"Страница недоступна автономно"_s;
}

// What a test reads of a shown page.
struct Shown
{
    QString title;
    QString text;
    int pictureWidth = -1;
    QString color;
};

Shown readPage(QWebEnginePage *page)
{
    const QVariant value = test::runScript(
        page, u"(function(){var t=document.getElementById('t');var i=document.getElementById('i');"
              u"return [document.title, t?t.textContent:'', i?i.naturalWidth:-1,"
              u" t?getComputedStyle(t).color:''];})()"_s);
    const QVariantList list = value.toList();
    if (list.size() != 4)
        return {};
    return {list[0].toString(), list[1].toString(), list[2].toInt(), list[3].toString()};
}

QWebEnginePage *pageOf(WebBrowser *browser)
{
    auto *engine = qobject_cast<EngineWebBrowser *>(browser);
    return engine ? engine->page() : nullptr;
}

} // namespace

class tst_EngineOffline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void visitedPageShownOffline_data();
    void visitedPageShownOffline();
    void unvisitedAddressShowsOfflinePage();
    void keptPagesLeaveNoSaveRecords();
    void postAnswerIsNotKept();
    void noStorePageIsNotKept();
    void otherInstanceGoesOfflineToo();
    void onlineAgainRefreshReachesServer();
    void damagedOrUnreadableCacheHoldsNothing_data();
    void damagedOrUnreadableCacheHoldsNothing();
    void largePagesAreKept_data();
    void largePagesAreKept();
    void leastRecentlyUsedGoFirst();
    void backgroundPageKeptOnceShown();
    void sessionOpenedOffline();
    void selectiveLoaderOpensOffline();

private:
    WebBrowser *makeBrowser();
    bool load(WebBrowser *browser, const QString &path, int ms = 10000);
    bool loadAndKeep(WebBrowser *browser, const QString &path, EngineOfflineCache *cache = nullptr);
    void makeFactory();
    std::unique_ptr<EngineWebBrowserFactory> factoryWithStore(std::shared_ptr<EngineOfflineCache> store);
    bool waitShown(WebBrowser *browser, const QString &title);
    bool waitOnline(WebBrowser *browser, const QString &title);
    void stopServer();
    void goOffline(bool offline);
    std::unique_ptr<Program> makeProgram();

    std::unique_ptr<test::TestEnvironment> m_env;
    test::HttpServer *m_server = nullptr;
    std::unique_ptr<services::Language> m_language;
    std::unique_ptr<FileInternetState> m_state;
    std::unique_ptr<EngineWebBrowserFactory> m_factory;
    std::unique_ptr<QWidget> m_host;
    QList<WebBrowser *> m_browsers;
};

void tst_EngineOffline::initTestCase()
{
    m_env = std::make_unique<test::TestEnvironment>();
    m_env->installLanguageFiles();
    m_server = new test::HttpServer(this);
    QVERIFY(m_server->isListening());
    m_server->setResource(u"/style.css"_s, "text/css", "p { color: rgb(200, 100, 50); }");
    m_server->setResource(u"/pic.png"_s, "image/png", velmora::test::redPng(37, 5));
    m_server->setResource(u"/pic2.png"_s, "image/png", velmora::test::redPng(41, 5));
    const auto page = [&](const QString &path, const QString &title, const QString &text,
                          const QString &pic) {
        m_server->setStorable(path);
        m_server->setPage(path, title,
                          u"<link rel='stylesheet' href='/style.css'><p id='t'>"_s + text
                              + u"</p><img id='i' src='"_s + pic
                              + u"'><a id='l' href='/never'>never</a>"_s);
    };
    page(u"/page"_s, u"Kept Page"_s, u"Kept text"_s, u"/pic.png"_s);
    page(u"/second"_s, u"Second Page"_s, u"Second text"_s, u"/pic2.png"_s);
    page(u"/third"_s, u"Third Page"_s, u"Third text"_s, u"/pic.png"_s);
    page(u"/never"_s, u"Never Kept"_s, u"never"_s, u"/pic.png"_s);
    page(u"/fresh"_s, u"Fresh"_s, u"fresh"_s, u"/pic.png"_s);
    page(u"/damaged"_s, u"Damaged"_s, u"damaged"_s, u"/pic.png"_s);
    m_server->setPage(u"/form"_s, u"Form"_s,
                      u"<form method='post' action='/echo'><input name='p' value='pw'></form>"_s);
    page(u"/echo"_s, u"Echo"_s, u"your password"_s, u"/pic.png"_s);

    m_language = std::make_unique<services::Language>();
    m_state = std::make_unique<FileInternetState>(m_env->configHome() + u"/olk_Browser"_s);
    makeFactory();
    m_host = std::make_unique<QWidget>();
    new QVBoxLayout(m_host.get());
    m_host->resize(800, 600);
    m_host->show();
}

// One profile at a time: the tests that need another factory drop this one.
void tst_EngineOffline::makeFactory()
{
    m_factory = std::make_unique<EngineWebBrowserFactory>();
    m_factory->followOfflineState(*m_state);
    m_factory->setOfflinePage(
        [this](const QString &address) { return services::offlinePageHtml(*m_language, address); });
}

void tst_EngineOffline::init()
{
    QVERIFY(m_server->restart());
    goOffline(false);
}

void tst_EngineOffline::cleanup()
{
    qDeleteAll(m_browsers);
    m_browsers.clear();
    m_server->resetCounts();
    QVERIFY(m_server->restart());
    if (!m_factory)
        makeFactory();
    goOffline(false);
}

void tst_EngineOffline::cleanupTestCase()
{
    m_factory.reset();
    m_host.reset();
}

WebBrowser *tst_EngineOffline::makeBrowser()
{
    WebBrowser *browser = m_factory->create(m_host.get());
    m_host->layout()->addWidget(browser->widget());
    browser->setVisible(true);
    m_browsers << browser;
    return browser;
}

bool tst_EngineOffline::load(WebBrowser *browser, const QString &path, int ms)
{
    bool done = false;
    const auto connection = connect(browser, &WebBrowser::DocumentComplete, this,
                                    [&](const QString &url) {
                                        if (url == m_server->url(path).toString())
                                            done = true;
                                    });
    browser->Navigate2(m_server->url(path).toString());
    const bool ok = spinUntil([&] { return done && !browser->Busy(); }, ms);
    disconnect(connection);
    return ok;
}

bool tst_EngineOffline::loadAndKeep(WebBrowser *browser, const QString &path,
                                    EngineOfflineCache *store)
{
    if (!load(browser, path))
        return false;
    EngineOfflineCache &cache = store ? *store : *m_factory->offlineCache();
    const QString address = m_server->url(path).toString();
    return spinUntil([&] { return cache.findEntry(address) == 0; });
}

// Shown from the cache (or as the offline page), with this title.
bool tst_EngineOffline::waitShown(WebBrowser *browser, const QString &title)
{
    return spinUntil([&] {
        QWebEnginePage *page = pageOf(browser);
        return !browser->Busy() && page && EngineOfflineWork::isOfflineForm(page->url())
               && readPage(page).title == title;
    });
}

// Stops the server once the requests of pages loaded online (their icons)
// are answered, and forgets them.
void tst_EngineOffline::stopServer()
{
    test::settle(300);
    m_server->stop();
    m_server->resetCounts();
}

// Loaded from the network, with this title.
bool tst_EngineOffline::waitOnline(WebBrowser *browser, const QString &title)
{
    return spinUntil([&] {
        QWebEnginePage *page = pageOf(browser);
        return !browser->Busy() && page && page->url().scheme() == "http"_L1
               && readPage(page).title == title;
    });
}

void tst_EngineOffline::goOffline(bool offline)
{
    m_state->setOffline(offline);
    if (m_factory)
        QCOMPARE(m_factory->isOffline(), offline);
}

void tst_EngineOffline::visitedPageShownOffline_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("typed") << u"typed"_s;
    QTest::newRow("back") << u"back"_s;
    QTest::newRow("refresh") << u"refresh"_s;
}

void tst_EngineOffline::visitedPageShownOffline()
{
    QFETCH(QString, how);
    WebBrowser *browser = makeBrowser();
    QVERIFY(loadAndKeep(browser, u"/page"_s));
    QVERIFY(loadAndKeep(browser, u"/second"_s));
    if (how == "refresh"_L1)
        QVERIFY(load(browser, u"/page"_s));

    goOffline(true);
    stopServer();
    test::PageEventLog log(browser);
    if (how == "typed"_L1)
        browser->Navigate2(m_server->url(u"/page"_s).toString());
    else if (how == "back"_L1)
        browser->GoBack();
    else
        browser->Refresh();
    const QString real = m_server->url(u"/page"_s).toString();
    QVERIFY(spinUntil([&] { return log.events.contains(u"DocumentComplete "_s + real); }));
    QVERIFY(waitShown(browser, u"Kept Page"_s));
    const Shown shown = readPage(pageOf(browser));
    QCOMPARE(shown.text, u"Kept text"_s);
    QCOMPARE(shown.pictureWidth, 37);
    QCOMPARE(shown.color, u"rgb(200, 100, 50)"_s);
    QCOMPARE(browser->LocationURL(), real);
    QCOMPARE(browser->LocationName(), u"Kept Page"_s);
    for (const QString &event : std::as_const(log.events)) {
        if (event.startsWith("Before "_L1) || event.startsWith("NavigateComplete "_L1)
            || event.startsWith("DocumentComplete "_L1))
            QVERIFY2(event.endsWith(real), qPrintable(event));
    }
    QCOMPARE(m_server->requestedPaths(), QStringList());

    // The archives are named by hashes only, inside the cache folder.
    const QDir folder(m_factory->offlineCache()->folder());
    QVERIFY(folder.absolutePath().startsWith(qEnvironmentVariable("XDG_CACHE_HOME")
                                             + u"/olk_Browser/"_s));
    const QStringList files = folder.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &file : files)
        QVERIFY2(QRegularExpression(u"^[0-9a-f]{40}\\.mhtml$"_s).match(file).hasMatch(),
                 qPrintable(file));
}

void tst_EngineOffline::unvisitedAddressShowsOfflinePage()
{
    WebBrowser *browser = makeBrowser();
    QVERIFY(loadAndKeep(browser, u"/page"_s));
    goOffline(true);
    test::settle(300);
    m_server->resetCounts();
    // A link of a page shown from the cache to a page never visited.
    browser->Navigate2(m_server->url(u"/page"_s).toString());
    QVERIFY(waitShown(browser, u"Kept Page"_s));
    test::runScript(pageOf(browser), u"document.getElementById('l').click()"_s);
    QVERIFY(waitShown(browser, offlineTitle()));
    QCOMPARE(browser->LocationURL(), m_server->url(u"/never"_s).toString());
    QCOMPARE(m_server->requestCount(u"/never"_s), 0);
    QCOMPARE(m_server->requestedPaths(), QStringList());
    // Lookups answer from the same store.
    QCOMPARE(m_factory->offlineCache()->findEntry(m_server->url(u"/never"_s).toString()), ENOENT);
    QCOMPARE(m_factory->offlineCache()->findEntry(m_server->url(u"/page"_s).toString()), 0);
}

void tst_EngineOffline::keptPagesLeaveNoSaveRecords()
{
    // The profile would otherwise hold a record of every save for good.
    const auto saveRecords = [this] {
        int count = 0;
        for (auto *download : m_factory->profile()->findChildren<QWebEngineDownloadRequest *>())
            count += download->isSavePageDownload() ? 1 : 0;
        return count;
    };
    WebBrowser *browser = makeBrowser();
    QVERIFY(loadAndKeep(browser, u"/page"_s));
    QVERIFY(loadAndKeep(browser, u"/second"_s));
    QVERIFY(spinUntil([&] { return saveRecords() == 0; }));
}

void tst_EngineOffline::postAnswerIsNotKept()
{
    EngineOfflineCache &cache = *m_factory->offlineCache();
    const QString echo = m_server->url(u"/echo"_s).toString();
    WebBrowser *sender = makeBrowser();
    QVERIFY(load(sender, u"/form"_s));
    bool answered = false;
    connect(sender, &WebBrowser::DocumentComplete, this,
            [&](const QString &url) { answered = answered || url == echo; });
    test::runScript(pageOf(sender), u"document.forms[0].submit()"_s);
    QVERIFY(spinUntil([&] { return answered && !sender->Busy(); }));
    QCOMPARE(readPage(pageOf(sender)).text, u"your password"_s);
    // A page reached with GET at the same time is kept; the answer is not.
    QVERIFY(loadAndKeep(makeBrowser(), u"/second"_s));
    test::settle(1000);
    QCOMPARE(cache.findEntry(echo), ENOENT);
    // The same address reached with GET is.
    QVERIFY(loadAndKeep(sender, u"/echo"_s));
}

void tst_EngineOffline::noStorePageIsNotKept()
{
    EngineOfflineCache &cache = *m_factory->offlineCache();
    // Sent with "Cache-Control: no-store", as a bank's account page is.
    m_server->setPage(u"/account"_s, u"Account"_s, u"<p id='t'>balance</p>"_s);
    const QString account = m_server->url(u"/account"_s).toString();
    WebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/account"_s));
    // A page loaded at the same time and free to be stored is kept; this one is not.
    QVERIFY(loadAndKeep(makeBrowser(), u"/second"_s));
    test::settle(1000);
    QCOMPARE(cache.findEntry(account), ENOENT);
    // The same address, once its server lets it be stored, is.
    m_server->setStorable(u"/account"_s);
    QVERIFY(loadAndKeep(browser, u"/account"_s));
}

void tst_EngineOffline::otherInstanceGoesOfflineToo()
{
    // Another instance sharing the configuration folder.
    FileInternetState other(m_env->configHome() + u"/olk_Browser"_s);
    WebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/page"_s));
    other.setOffline(true);
    QVERIFY(spinUntil([&] { return m_factory->isOffline(); }));
    test::settle(300);
    m_server->resetCounts();
    browser->Navigate2(m_server->url(u"/fresh"_s).toString());
    QVERIFY(waitShown(browser, offlineTitle()));
    QCOMPARE(m_server->requestedPaths(), QStringList());

    other.setOffline(false);
    QVERIFY(spinUntil([&] { return !m_factory->isOffline(); }));
    browser->Refresh();
    QVERIFY(waitOnline(browser, u"Fresh"_s));
    QCOMPARE(m_server->requestCount(u"/fresh"_s), 1);
    QCOMPARE(browser->LocationURL(), m_server->url(u"/fresh"_s).toString());
}

void tst_EngineOffline::onlineAgainRefreshReachesServer()
{
    WebBrowser *browser = makeBrowser();
    QVERIFY(loadAndKeep(browser, u"/third"_s));
    goOffline(true);
    m_server->stop();
    browser->Navigate2(m_server->url(u"/third"_s).toString());
    QVERIFY(waitShown(browser, u"Third Page"_s));

    QVERIFY(m_server->restart());
    m_server->resetCounts();
    goOffline(false);
    browser->Refresh();
    QVERIFY(spinUntil([&] { return m_server->requestCount(u"/third"_s) == 1; }));
    QVERIFY(waitOnline(browser, u"Third Page"_s));
    QCOMPARE(browser->LocationURL(), m_server->url(u"/third"_s).toString());
    // Back to the page it came from goes to the network as well.
    QVERIFY(load(browser, u"/page"_s));
    QCOMPARE(m_server->requestCount(u"/page"_s), 1);
}

void tst_EngineOffline::damagedOrUnreadableCacheHoldsNothing_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("cut short") << u"cut"_s;
    QTest::newRow("garbage") << u"garbage"_s;
    QTest::newRow("empty") << u"empty"_s;
    QTest::newRow("folder missing") << u"missing"_s;
    QTest::newRow("file in place of folder") << u"notdir"_s;
}

void tst_EngineOffline::damagedOrUnreadableCacheHoldsNothing()
{
    QFETCH(QString, damage);
    WebBrowser *browser = makeBrowser();
    QVERIFY(loadAndKeep(browser, u"/damaged"_s));
    EngineOfflineCache &cache = *m_factory->offlineCache();
    const QString address = m_server->url(u"/damaged"_s).toString();
    const QString path = cache.archivePath(address);
    const QString folder = cache.folder();
    const QString moved = folder + u".moved"_s;
    if (damage == "cut"_L1 || damage == "garbage"_L1 || damage == "empty"_L1) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll();
        file.resize(0);
        file.seek(0);
        if (damage == "cut"_L1)
            file.write(bytes.left(bytes.size() / 2));
        else if (damage == "garbage"_L1)
            file.write(QByteArray(4096, '\x9c'));
    } else {
        QVERIFY(QDir().rename(folder, moved));
        if (damage == "notdir"_L1) {
            QFile plain(folder);
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
    }
    QVERIFY(cache.findEntry(address) != 0);

    goOffline(true);
    test::settle(300);
    m_server->resetCounts();
    browser->Navigate2(address);
    QVERIFY(waitShown(browser, offlineTitle()));
    QCOMPARE(browser->LocationURL(), address);
    QCOMPARE(m_server->requestedPaths(), QStringList());
    QVERIFY(cache.findEntry(address) != 0);

    if (QFileInfo(moved).exists()) {
        QFile::remove(folder);
        QVERIFY(QDir().rename(moved, folder));
    }
}

void tst_EngineOffline::largePagesAreKept_data()
{
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("textBytes");
    QTest::newRow("500 pictures") << 500 << 0;
    QTest::newRow("20 MB") << 1 << 20 * 1024 * 1024;
}

void tst_EngineOffline::largePagesAreKept()
{
    QFETCH(int, pictures);
    QFETCH(int, textBytes);
    const QString path = u"/large%1"_s.arg(pictures);
    // Ordinary paragraphs of words, as a long page has them.
    const QString paragraph =
        u"<p>"_s + u"lorem ipsum dolor sit amet "_s.repeated(40) + u"</p>\n"_s;
    QString body = u"<p id='t'>start</p>"_s + paragraph.repeated(textBytes / paragraph.size())
                   + u"<p id='e'>end</p>"_s;
    for (int i = 0; i < pictures; ++i) {
        const QString pic = u"/many/%1.png"_s.arg(i);
        m_server->setResource(pic, "image/png", velmora::test::redPng(10 + i % 50, 5));
        body += u"<img src='"_s + pic + u"'>"_s;
    }
    m_server->setStorable(path);
    m_server->setPage(path, u"Large"_s, body);
    WebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, path, 60000));
    EngineOfflineCache &cache = *m_factory->offlineCache();
    const QString address = m_server->url(path).toString();
    QVERIFY(spinUntil([&] { return cache.findEntry(address) == 0; }, 60000));
    QVERIFY(load(browser, u"/page"_s));

    goOffline(true);
    m_server->stop();
    browser->Navigate2(address);
    const bool shownLarge = spinUntil(
        [&] { return !browser->Busy() && browser->LocationName() == "Large"_L1; }, 60000);
    QVERIFY(shownLarge);
    const QVariantList counts =
        test::runScript(pageOf(browser),
                        u"[document.body.textContent.length,"
                        u" Array.from(document.images).filter(i => i.naturalWidth > 0).length]"_s)
            .toList();
    QVERIFY(counts.value(0).toInt() >= textBytes * 9 / 10);
    QCOMPARE(readPage(pageOf(browser)).text, u"start"_s);
    QCOMPARE(counts.value(1).toInt(), pictures);
}

void tst_EngineOffline::leastRecentlyUsedGoFirst()
{
    const QString folder = qEnvironmentVariable("XDG_CACHE_HOME") + u"/olk_Browser/small"_s;
    auto small = std::make_shared<EngineOfflineCache>(folder);
    const auto factory = factoryWithStore(small);
    std::unique_ptr<WebBrowser> browser(factory->create(m_host.get()));
    browser->widget()->show();
    const auto address = [&](const QString &path) { return m_server->url(path).toString(); };
    const auto keep = [&](const QString &path) {
        browser->Navigate2(address(path));
        const bool kept = spinUntil([&] { return small->findEntry(address(path)) == 0; });
        test::settle(50);
        return kept;
    };
    QVERIFY(keep(u"/page"_s));
    QVERIFY(keep(u"/second"_s));
    const qint64 one = QFileInfo(small->archivePath(address(u"/page"_s))).size();
    QVERIFY(one > 0);
    // Room for two pages of this size.
    small->setCap(one * 5 / 2);
    // The older page is shown again: now the second is the least recently used.
    QVERIFY(small->findPage(address(u"/page"_s)));
    test::settle(50);
    QVERIFY(keep(u"/third"_s));
    QCOMPARE(small->findEntry(address(u"/second"_s)), ENOENT);
    QCOMPARE(small->findEntry(address(u"/page"_s)), 0);
    QCOMPARE(small->findEntry(address(u"/third"_s)), 0);

    // Room for less than one: the newest page stays all the same.
    small->setCap(1);
    QVERIFY(keep(u"/fresh"_s));
    QCOMPARE(QDir(folder).entryList({u"*.mhtml"_s}, QDir::Files),
             QStringList{QFileInfo(small->archivePath(address(u"/fresh"_s))).fileName()});
}

std::unique_ptr<EngineWebBrowserFactory>
tst_EngineOffline::factoryWithStore(std::shared_ptr<EngineOfflineCache> store)
{
    // A store of its own, in place of the shared factory's.
    m_factory.reset();
    auto factory = std::make_unique<EngineWebBrowserFactory>(std::move(store));
    factory->followOfflineState(*m_state);
    return factory;
}

void tst_EngineOffline::backgroundPageKeptOnceShown()
{
    auto cache = std::make_shared<EngineOfflineCache>(qEnvironmentVariable("XDG_CACHE_HOME")
                                                      + u"/olk_Browser/background"_s);
    const auto factory = factoryWithStore(cache);
    std::unique_ptr<WebBrowser> browser(factory->create(m_host.get()));
    const QString address = m_server->url(u"/page"_s).toString();
    browser->Navigate2(address);
    QVERIFY(spinUntil([&] { return !browser->Busy() && browser->LocationURL() == address; }));
    // Well past the quiet time: a page never on screen is not saved.
    test::settle(3000);
    QCOMPARE(cache->findEntry(address), ENOENT);
    browser->widget()->show();
    QVERIFY(spinUntil([&] { return cache->findEntry(address) == 0; }));
    // Still the live page: saving stops nothing the user sees.
    QCOMPARE(browser->LocationURL(), address);
}

std::unique_ptr<Program> tst_EngineOffline::makeProgram()
{
    FakeServices fakes = makeFakeServices();
    m_factory.reset();
    auto factory = std::make_unique<EngineWebBrowserFactory>();
    auto state = std::make_unique<FileInternetState>(m_env->configHome() + u"/olk_Browser"_s);
    factory->followOfflineState(*state);
    fakes.services.browsers = std::move(factory);
    fakes.services.internet = std::move(state);
    return std::make_unique<Program>(std::move(fakes.services));
}

void tst_EngineOffline::sessionOpenedOffline()
{
    std::unique_ptr<Program> program = makeProgram();
    program->start(u"about:blank"_s);
    mainwindow::frmMain &main = program->mainWindow();
    auto &factory = static_cast<EngineWebBrowserFactory &>(program->browsers());
    // Three pages visited online.
    for (const QString &path : {u"/page"_s, u"/second"_s, u"/third"_s})
        QVERIFY(loadAndKeep(main.web(1), path, factory.offlineCache().get()));
    const QString file = m_env->programDir() + u"/three.btl"_s;
    QByteArray session = services::sessions::sessionHeader().toLatin1() + "\r\n";
    for (const QString &path : {u"/page"_s, u"/second"_s, u"/third"_s})
        session += "t\r\n" + m_server->url(path).toString().toLatin1() + "\r\n";
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(session);
    out.close();
    auto &dialogs = static_cast<FakeDialogs &>(program->dialogs());
    dialogs.answerFile(file);
    dialogs.answerMsgBox(MsgResult::Yes);
    stopServer();
    main.actionNamed(u"mnuLoadTabs"_s)->trigger();
    QVERIFY(program->internet().isOffline());
    QCOMPARE(test::openTabs(main), (QList<int>{1, 2, 3, 4}));

    const QStringList titles{u"Kept Page"_s, u"Second Page"_s, u"Third Page"_s};
    const QList<int> widths{37, 41, 37};
    for (int i = 0; i < 3; ++i) {
        WebBrowser *tab = main.web(2 + i);
        QVERIFY(waitShown(tab, titles[i]));
        QCOMPARE(readPage(pageOf(tab)).pictureWidth, widths[i]);
        QCOMPARE(tab->LocationURL(), m_server->url(u"/"_s + QStringList{u"page"_s, u"second"_s,
                                                                       u"third"_s}[i])
                                         .toString());
        QVERIFY(spinUntil([&] { return main.Tabstrip1->tabCaption(2 + i) == titles[i]; }));
    }
    main.Tabstrip1->setValue(3);
    QVERIFY(spinUntil([&] { return main.windowTitle().startsWith(u"Second Page - "_s); }));
    QCOMPARE(m_server->requestedPaths(), QStringList());

    // Online again: a refresh in each tab reaches the server.
    QVERIFY(m_server->restart());
    main.mnuOffline->trigger();
    QVERIFY(!program->internet().isOffline());
    QVERIFY(spinUntil([&] { return !factory.isOffline(); }));
    for (int i = 0; i < 3; ++i) {
        main.Tabstrip1->setValue(2 + i);
        main.actionNamed(u"mnuRefresh"_s)->trigger();
    }
    QVERIFY(spinUntil([&] {
        return m_server->requestCount(u"/page"_s) == 1 && m_server->requestCount(u"/second"_s) == 1
               && m_server->requestCount(u"/third"_s) == 1;
    }));
    program.reset();
}

void tst_EngineOffline::selectiveLoaderOpensOffline()
{
    std::unique_ptr<Program> program = makeProgram();
    program->start(u"about:blank"_s);
    mainwindow::frmMain &main = program->mainWindow();
    auto &factory = static_cast<EngineWebBrowserFactory &>(program->browsers());
    QVERIFY(loadAndKeep(main.web(1), u"/second"_s, factory.offlineCache().get()));
    m_env->writeProgramFile(u"autosave.btl"_s,
                            "\"" + m_server->url(u"/second"_s).toString().toLatin1() + "\"\r\n\""
                                + m_server->url(u"/never"_s).toString().toLatin1() + "\"\r\n");
    main.mnuLoadAutosaveSelective_Click();
    auto *w = program->loadedWindow<windows::frmOpenTabsDetailed>();
    QVERIFY(w);
    w->cmdSelectAll->click();
    stopServer();
    w->cmdOffline->click();
    QVERIFY(program->internet().isOffline());
    QVERIFY(waitShown(main.web(2), u"Second Page"_s));
    QCOMPARE(readPage(pageOf(main.web(2))).pictureWidth, 41);
    QCOMPARE(main.web(2)->LocationURL(), m_server->url(u"/second"_s).toString());
    QVERIFY(waitShown(main.web(3), offlineTitle()));
    QVERIFY2(m_server->requestedPaths().isEmpty(),
             qPrintable(m_server->requestedPaths().join(u' ')));
    program.reset();
}

QTEST_MAIN(tst_EngineOffline)
#include "tst_engine_offline.moc"
