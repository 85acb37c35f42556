// What the engine control tells of its page, deleting browsing data, and
// the proxy the engine starts with.

#include "EngineCertificates.h"
#include "EngineOfflineCache.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageEventLog.h"
#include "PageScript.h"
#include "TestEnvironment.h"
#include "TlsServer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using namespace velmora::platform;
using velmora::test::spinUntil;
using namespace Qt::StringLiterals;

namespace {

constexpr int Timeout = 30000;

// A date the server gives, and the same as the engine should read it.
const QByteArray ModifiedHeader = "Last-Modified: Tue, 04 Jun 2024 10:20:30 GMT\r\n";
const QDateTime Modified(QDate(2024, 6, 4), QTime(10, 20, 30), Qt::UTC);
const QByteArray DateHeader = "Date: Wed, 09 Dec 2026 08:07:06 GMT\r\n";
const QDateTime ServerDate(QDate(2026, 12, 9), QTime(8, 7, 6), Qt::UTC);
const QByteArray DatedPage = "<html><head><title>Dated</title></head><body>dated</body></html>";

} // namespace

class tst_EnginePageFacts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void webPage_data();
    void webPage();
    void pageWithoutDates();
    void localFile();
    void securePageWithTheCertificateLetPass();
    void noPageAnswersToo();
    void failedPage();
    void clearCache();
    void clearCookies();
    void clearOfflinePages();
    void proxyChosenBeforeTheStartCarriesThePages();

private:
    WebBrowser *makeBrowser();
    bool load(WebBrowser *browser, const QUrl &url);
    PageFacts facts(WebBrowser *browser);

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
    std::unique_ptr<QTemporaryDir> m_pages;
    std::shared_ptr<EngineOfflineCache> m_cache;
    std::unique_ptr<EngineWebBrowserFactory> m_factory;
    std::unique_ptr<QWidget> m_host;
    velmora::test::HttpServer *m_server = nullptr;
    velmora::test::HttpServer *m_proxy = nullptr;
    QList<WebBrowser *> m_browsers;
};

void tst_EnginePageFacts::initTestCase()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
    m_server = new velmora::test::HttpServer(this);
    m_proxy = new velmora::test::HttpServer(this);
    QVERIFY(m_server->isListening() && m_proxy->isListening());
    for (const QString &path : {u"/cached"_s, u"/stored-not"_s}) {
        m_server->setResource(path, "text/html; charset=utf-8", DatedPage);
        m_server->setHeaders(path, ModifiedHeader + DateHeader);
    }
    m_server->setCacheable(u"/cached"_s);
    m_server->setPage(u"/plain"_s, QString(), u"<p>no dates</p>"_s);
    m_server->setPage(u"/cookie"_s, u"Cookie"_s);
    m_server->setPage(u"/again"_s, u"Again"_s);
    m_server->setCacheable(u"/again"_s);
    // What the proxy answers for a site that exists nowhere.
    m_proxy->setPage(u"http://proxied.invalid/"_s, u"Through the proxy"_s);

    m_pages = std::make_unique<QTemporaryDir>();
    m_cache = std::make_shared<EngineOfflineCache>(m_pages->path());
    m_factory = std::make_unique<EngineWebBrowserFactory>(m_cache);
    // Before the engine starts; the engine sends no loopback address to a proxy.
    ProxyChoice proxy;
    proxy.kind = ProxyChoice::Kind::Http;
    proxy.host = u"127.0.0.1"_s;
    proxy.port = m_proxy->port();
    m_factory->setProxy(proxy);
    m_host = std::make_unique<QWidget>();
    new QVBoxLayout(m_host.get());
    m_host->resize(640, 480);
    m_host->show();
}

void tst_EnginePageFacts::cleanupTestCase()
{
    qDeleteAll(m_browsers);
    m_browsers.clear();
    m_factory.reset();
    m_host.reset();
}

WebBrowser *tst_EnginePageFacts::makeBrowser()
{
    WebBrowser *browser = m_factory->create(m_host.get());
    m_host->layout()->addWidget(browser->widget());
    browser->setVisible(true);
    m_browsers << browser;
    return browser;
}

bool tst_EnginePageFacts::load(WebBrowser *browser, const QUrl &url)
{
    bool complete = false;
    const auto connection = connect(browser, &WebBrowser::DocumentComplete, this,
                                    [&](const QString &done) { complete |= done == url.toString(); });
    browser->Navigate2(url.toString());
    const bool loaded = spinUntil([&] { return complete && !browser->Busy(); }, Timeout);
    disconnect(connection);
    return loaded;
}

PageFacts tst_EnginePageFacts::facts(WebBrowser *browser)
{
    PageFacts read;
    bool answered = false;
    browser->readPageFacts([&](const PageFacts &facts) {
        read = facts;
        answered = true;
    });
    if (!spinUntil([&] { return answered; }, Timeout))
        qWarning("no facts came");
    return read;
}

void tst_EnginePageFacts::webPage_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("serverDateKnown");
    // The answer's Date is known where the engine's cache kept the answer.
    QTest::newRow("kept by the cache") << u"/cached"_s << true;
    QTest::newRow("not to be stored") << u"/stored-not"_s << false;
}

void tst_EnginePageFacts::webPage()
{
    QFETCH(QString, path);
    QFETCH(bool, serverDateKnown);
    WebBrowser *browser = makeBrowser();
    const QUrl url = m_server->url(path);
    QVERIFY(load(browser, url));
    const PageFacts read = facts(browser);
    QCOMPARE(read.address, url.toString());
    QCOMPARE(read.title, u"Dated"_s);
    QCOMPARE(read.scheme, u"http"_s);
    QCOMPARE(read.wireProtocol, u"http/1.0"_s);
    QCOMPARE(read.mimeType, u"text/html"_s);
    QCOMPARE(read.size, qint64(DatedPage.size()));
    QVERIFY(!read.encrypted);
    QVERIFY(!read.certificateRead);
    QCOMPARE(read.modified.toUTC(), Modified);
    if (serverDateKnown)
        QCOMPARE(read.serverDate.toUTC(), ServerDate);
    else
        QVERIFY(!read.serverDate.isValid());
}

void tst_EnginePageFacts::pageWithoutDates()
{
    WebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, m_server->url(u"/plain"_s)));
    const PageFacts read = facts(browser);
    // Not the address the tab shows for a page without a title.
    QCOMPARE(read.title, QString());
    // The document names the time of asking when the server gave no date:
    // that is no date of the page.
    QVERIFY2(!read.modified.isValid(), qPrintable(read.modified.toString()));
    QVERIFY(!read.serverDate.isValid());
    QVERIFY(read.size > 0);
}

void tst_EnginePageFacts::localFile()
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(u"page.htm"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray body = "<title>Local</title><p>local file</p>";
    QCOMPARE(file.write(body), body.size());
    file.close();
    const QDateTime stamp(QDate(2021, 2, 3), QTime(4, 5, 6));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();
    WebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, QUrl::fromLocalFile(path)));
    const PageFacts read = facts(browser);
    QCOMPARE(read.scheme, u"file"_s);
    QCOMPARE(read.size, qint64(body.size()));
    QCOMPARE(read.modified, stamp);
    QCOMPARE(read.mimeType, u"text/html"_s);
}

void tst_EnginePageFacts::securePageWithTheCertificateLetPass()
{
    velmora::test::TlsServer tls("<html><head><title>Secure</title></head><body>s</body></html>");
    if (!tls.isListening())
        QSKIP(qPrintable(tls.why()));
    const QUrl url = tls.url(u"/"_s);
    // As the user going on from the certificate page.
    EngineTrustedSites::of(m_factory->profile()).add(url);
    WebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, url));
    const PageFacts read = facts(browser);
    QCOMPARE(read.title, u"Secure"_s);
    QVERIFY(read.encrypted);
    QVERIFY(read.certificateExcepted);
    QVERIFY(read.certificateRead);
    QVERIFY2(read.certificate.subject.contains(u"127.0.0.1"_s), qPrintable(read.certificate.subject));
    QVERIFY(!read.certificate.trusted);
    QVERIFY(read.certificate.validFrom <= QDateTime::currentDateTimeUtc());
    QVERIFY(read.certificate.validTo > QDateTime::currentDateTimeUtc());
    // Working offline the site is not asked.
    browser->setOffline(true);
    const PageFacts offline = facts(browser);
    browser->setOffline(false);
    QVERIFY(offline.offline);
    QVERIFY(!offline.certificateRead);
}

void tst_EnginePageFacts::noPageAnswersToo()
{
    WebBrowser *browser = makeBrowser();
    const PageFacts read = facts(browser);
    QCOMPARE(read.address, QString());
    QCOMPARE(read.size, qint64(-1));
}

void tst_EnginePageFacts::failedPage()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const QUrl refused(u"https://127.0.0.1:%1/"_s.arg(probe.serverPort()));
    probe.close();
    WebBrowser *browser = makeBrowser();
    browser->Navigate2(refused.toString());
    QVERIFY(spinUntil([&] {
        return !browser->Busy() && browser->LocationURL().startsWith("res://"_L1);
    }, Timeout));
    const PageFacts read = facts(browser);
    QVERIFY(read.failed);
    // The address asked for, not the wrapper of the error page.
    QCOMPARE(read.address, refused.toString());
    QVERIFY(!read.encrypted);
    QVERIFY(!read.certificateRead);
}

void tst_EnginePageFacts::clearCache()
{
    WebBrowser *browser = makeBrowser();
    const QUrl url = m_server->url(u"/again"_s);
    QVERIFY(load(browser, url));
    QVERIFY(load(browser, m_server->url(u"/plain"_s)));
    QVERIFY(load(browser, url));
    // Kept: the second visit asked no one.
    QCOMPARE(m_server->requestCount(u"/again"_s), 1);
    BrowsingDataChoice choice;
    choice.cache = true;
    QVERIFY(m_factory->clearBrowsingData(choice));
    // The engine empties its cache in the background; a load that a busy
    // machine did not finish in time is tried again.
    QVERIFY(spinUntil([&] {
        if (!load(browser, m_server->url(u"/plain"_s)) || !load(browser, url))
            return false;
        return m_server->requestCount(u"/again"_s) > 1;
    }, 3 * Timeout));
    QCOMPARE(m_server->requestCount(u"/again"_s), 2);
}

void tst_EnginePageFacts::clearCookies()
{
    WebBrowser *browser = makeBrowser();
    const QUrl url = m_server->url(u"/cookie"_s);
    QVERIFY(load(browser, url));
    auto *page = static_cast<EngineWebBrowser *>(browser)->page();
    velmora::test::runScript(page, u"document.cookie = 'kept=1; max-age=3600'"_s);
    QVERIFY(load(browser, url));
    QVERIFY(m_server->lastHead(u"/cookie"_s).contains("Cookie: kept=1"));
    BrowsingDataChoice choice;
    choice.cookies = true;
    QVERIFY(m_factory->clearBrowsingData(choice));
    QVERIFY(spinUntil([&] {
        return velmora::test::runScript(page, u"document.cookie"_s).toString().isEmpty();
    }, Timeout));
    QVERIFY(load(browser, url));
    QVERIFY(!m_server->lastHead(u"/cookie"_s).contains("kept=1"));
}

void tst_EnginePageFacts::clearOfflinePages()
{
    const QString kept = m_cache->archivePath(u"http://example.com/"_s);
    QFile file(kept);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("MIME-Version: 1.0\r\n") > 0);
    file.close();
    BrowsingDataChoice choice;
    choice.offlinePages = true;
    QVERIFY(m_factory->clearBrowsingData(choice));
    QVERIFY(!QFile::exists(kept));
    QCOMPARE(m_cache->findEntry(u"http://example.com/"_s), ENOENT);
}

void tst_EnginePageFacts::proxyChosenBeforeTheStartCarriesThePages()
{
    WebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, QUrl(u"http://proxied.invalid/"_s)));
    QCOMPARE(m_proxy->requestCount(u"http://proxied.invalid/"_s), 1);
    QCOMPARE(browser->LocationName(), u"Through the proxy"_s);
    // Pages of this machine went straight to their server.
    QCOMPARE(m_proxy->requestCount(u"/plain"_s), 0);
}

QTEST_MAIN(tst_EnginePageFacts)
#include "tst_engine_pagefacts.moc"
