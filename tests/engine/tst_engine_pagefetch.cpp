#include "EngineOfflineCache.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "TestEnvironment.h"

#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>

using namespace velmora;
using namespace velmora::platform;
using namespace Qt::StringLiterals;
using velmora::test::spinUntil;

// A page's own requests made once it has loaded belong to the page: what
// the browser does after the load must not cut them off.
class tst_EnginePageFetch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fetchesAfterLoadSucceed_data();
    void fetchesAfterLoadSucceed();
    void busyPageIsKeptOnceQuiet();
    void heldRequestOutlivesKeeping();

private:
    // A shown control sent to the address.
    WebBrowser *shownAt(const QString &address);

    std::unique_ptr<test::TestEnvironment> m_env;
    test::HttpServer *m_server = nullptr;
    std::unique_ptr<EngineWebBrowserFactory> m_factory;
    std::unique_ptr<QWidget> m_host;
};

void tst_EnginePageFetch::initTestCase()
{
    m_env = std::make_unique<test::TestEnvironment>();
    m_server = new test::HttpServer(this);
    QVERIFY(m_server->isListening());
    for (const QString &path : {u"/page"_s, u"/busy"_s, u"/held"_s})
        m_server->setStorable(path);
    // Each page fetches a few times from its onload and writes what came
    // back into its title.
    m_server->setPage(u"/page"_s, u"Loading"_s,
                      u"<script>window.onload=function(){"
                      u"var n=['/b1','/b2','/b3','/b4'].map(function(p){"
                      u"return fetch(p+'?'+location.search.substring(1))"
                      u".then(function(r){return r.text();});});"
                      u"Promise.all(n).then(function(t){document.title=t.join('');},"
                      u"function(e){document.title='failed: '+e;});};</script>"_s);
    // Asks again and again for three seconds after its load, then tells
    // how many of its requests failed.
    m_server->setPage(u"/busy"_s, u"Loading"_s,
                      u"<script>window.onload=function(){var end=Date.now()+3000,failed=0;"
                      u"function next(){if(Date.now()>end){document.title='failed '+failed;return;}"
                      u"fetch('/b1').then(function(r){return r.text();})"
                      u".catch(function(){++failed;}).then(next);}next();};</script>"_s);
    // One request from its onload that the server holds for five seconds.
    m_server->setPage(u"/held"_s, u"Loading"_s,
                      u"<script>window.onload=function(){fetch('/slow')"
                      u".then(function(r){return r.text();})"
                      u".then(function(t){document.title=t;},"
                      u"function(e){document.title='failed: '+e;});};</script>"_s);
    m_server->setResource(u"/slow"_s, "text/plain", "answered");
    m_server->setDelay(u"/slow"_s, 5000);
    for (const QString &path : {u"/b1"_s, u"/b2"_s, u"/b3"_s, u"/b4"_s})
        m_server->setResource(path, "text/plain", "ok");
    m_factory = std::make_unique<EngineWebBrowserFactory>();
    m_host = std::make_unique<QWidget>();
    new QVBoxLayout(m_host.get());
    m_host->resize(800, 600);
    m_host->show();
}

void tst_EnginePageFetch::cleanupTestCase()
{
    m_factory.reset();
    m_host.reset();
}

void tst_EnginePageFetch::fetchesAfterLoadSucceed_data()
{
    QTest::addColumn<int>("tabs");
    QTest::newRow("one tab") << 1;
    QTest::newRow("many tabs at once") << 12;
}

void tst_EnginePageFetch::fetchesAfterLoadSucceed()
{
    QFETCH(int, tabs);
    m_server->resetCounts();
    QList<WebBrowser *> browsers;
    for (int i = 0; i < tabs; ++i) {
        WebBrowser *browser = m_factory->create(m_host.get());
        m_host->layout()->addWidget(browser->widget());
        browser->setVisible(true);
        browsers << browser;
        browser->Navigate2(m_server->url(u"/page"_s).toString() + u"?"_s + QString::number(i));
    }
    const auto titles = [&] {
        QStringList list;
        for (WebBrowser *browser : std::as_const(browsers))
            list << qobject_cast<EngineWebBrowser *>(browser)->page()->title();
        return list;
    };
    const bool done = spinUntil(
        [&] {
            for (const QString &title : titles()) {
                if (title != u"okokokok"_s && !title.startsWith(u"failed"_s))
                    return false;
            }
            return true;
        },
        30000);
    const QStringList seen = titles();
    qDeleteAll(browsers);
    QVERIFY2(done, qPrintable(seen.join(u" | "_s)));
    QCOMPARE(seen, QStringList(tabs, u"okokokok"_s));
    QCOMPARE(m_server->requestCount(u"/b1"_s), tabs);
}

WebBrowser *tst_EnginePageFetch::shownAt(const QString &address)
{
    WebBrowser *browser = m_factory->create(m_host.get());
    m_host->layout()->addWidget(browser->widget());
    browser->setVisible(true);
    browser->Navigate2(address);
    return browser;
}

void tst_EnginePageFetch::busyPageIsKeptOnceQuiet()
{
    const QString address = m_server->url(u"/busy"_s).toString();
    WebBrowser *browser = shownAt(address);
    QWebEnginePage *page = qobject_cast<EngineWebBrowser *>(browser)->page();
    const bool done = spinUntil([&] { return page->title().startsWith(u"failed"_s); }, 30000);
    const QString title = page->title();
    // Kept for offline work all the same, once the page went quiet.
    const bool kept =
        spinUntil([&] { return m_factory->offlineCache()->findEntry(address) == 0; }, 30000);
    delete browser;
    QVERIFY2(done, qPrintable(title));
    QCOMPARE(title, u"failed 0"_s);
    QVERIFY(kept);
}

void tst_EnginePageFetch::heldRequestOutlivesKeeping()
{
    const QString address = m_server->url(u"/held"_s).toString();
    WebBrowser *browser = shownAt(address);
    QWebEnginePage *page = qobject_cast<EngineWebBrowser *>(browser)->page();
    // The page makes no new request while its one request is held: it is
    // kept for offline work meanwhile, and the request still gets its answer.
    const bool kept =
        spinUntil([&] { return m_factory->offlineCache()->findEntry(address) == 0; }, 30000);
    const bool answered = spinUntil([&] { return page->title() != u"Loading"_s; }, 30000);
    const QString title = page->title();
    delete browser;
    QVERIFY(kept);
    QVERIFY(answered);
    QCOMPARE(title, u"answered"_s);
}

QTEST_MAIN(tst_EnginePageFetch)
#include "tst_engine_pagefetch.moc"
