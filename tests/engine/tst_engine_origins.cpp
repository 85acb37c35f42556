// A hostile page gets nothing through the program's own schemes that the
// engine alone would refuse it: two sites on two host names and a local
// service on a third port, every scheme the program registers, every form
// of address, every way a page can read.
#include "TestPictures.h"
#include "EngineOfflineCache.h"
#include "EngineOfflineWork.h"
#include "EngineSetup.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>

#include <memory>

using namespace velmora::platform;
using namespace Qt::StringLiterals;
using velmora::test::HttpServer;
using velmora::test::runScript;
using velmora::test::spinUntil;

namespace {

constexpr auto VictimHost = "victim.test"_L1;
constexpr auto AttackerHost = "attacker.test"_L1;

// What each way of reading asks for, by path, on any server.
struct Way
{
    const char *how;
    const char *path;
};
constexpr Way Ways[] = {
    {"xhr", "/secret.txt"},  {"fetch", "/secret.txt"}, {"picture", "/secret.png"},
    {"script", "/secret.js"}, {"style", "/secret.css"}, {"frame", "/page"},
};

void serveSecrets(HttpServer &server, const QByteArray &secret)
{
    server.setResource(u"/secret.txt"_s, "text/plain", secret + " text");
    server.setResource(u"/secret.png"_s, "image/png", velmora::test::redPng(4, 4));
    server.setResource(u"/secret.js"_s, "text/javascript",
                       "window.leaked = (window.leaked || '') + '" + secret + "';");
    server.setResource(u"/secret.css"_s, "text/css", "#probe { width: 123px; }");
    server.setPage(u"/page"_s, QString::fromLatin1(secret),
                   u"<p id='t'>"_s + QString::fromLatin1(secret)
                       + u" page</p><img id='i' src='/secret.png'>"
                         u"<link rel='stylesheet' href='/secret.css'>"_s);
}

// The attacker's page: probe(address, how) reads what it can and answers
// "read:..." when it got the content, anything else when it did not.
const QString AttackPage = uR"(<div id="probe"></div><script>
window.probe = function (url, how) {
  return new Promise(function (done) {
    var over = false;
    var finish = function (v) { if (!over) { over = true; done(v); } };
    setTimeout(function () { finish('timeout'); }, 8000);
    try {
      if (how === 'xhr') {
        var x = new XMLHttpRequest();
        x.open('GET', url);
        x.withCredentials = true;
        x.onload = function () { finish('read:' + x.responseText); };
        x.onerror = function () { finish('refused'); };
        x.send();
      } else if (how === 'fetch') {
        fetch(url, { credentials: 'include' }).then(function (r) { return r.text(); })
          .then(function (t) { finish('read:' + t); }, function () { finish('refused'); });
      } else if (how === 'picture') {
        var i = new Image();
        i.onload = function () {
          var c = document.createElement('canvas');
          c.width = i.naturalWidth; c.height = i.naturalHeight;
          var g = c.getContext('2d');
          g.drawImage(i, 0, 0);
          try { finish('read:' + Array.from(g.getImageData(0, 0, 1, 1).data).join()); }
          catch (e) { finish('opaque'); }
        };
        i.onerror = function () { finish('refused'); };
        i.src = url;
      } else if (how === 'script') {
        window.leaked = '';
        var s = document.createElement('script');
        s.onload = function () { finish(window.leaked ? 'read:' + window.leaked : 'ran'); };
        s.onerror = function () { finish('refused'); };
        s.src = url;
        document.head.appendChild(s);
      } else if (how === 'style') {
        var l = document.createElement('link');
        l.rel = 'stylesheet';
        l.onload = function () {
          var w = getComputedStyle(document.getElementById('probe')).width, rules = 0;
          try { rules = l.sheet.cssRules.length; } catch (e) {}
          l.remove();
          finish(w === '123px' || rules ? 'read:' + w + ' ' + rules : 'inert');
        };
        l.onerror = function () { finish('refused'); };
        l.href = url;
        document.head.appendChild(l);
      } else if (how === 'frame') {
        var f = document.createElement('iframe');
        f.onload = function () {
          var t = null;
          try { t = f.contentDocument && f.contentDocument.documentElement.outerHTML; }
          catch (e) {}
          f.remove();
          finish(t && t.indexOf('SECRET') >= 0 ? 'read:' + t : 'closed');
        };
        f.src = url;
        document.body.appendChild(f);
      }
    } catch (e) { finish('refused'); }
  });
};
window.probeAll = function (list) {
  return Promise.all(list.map(function (p) { return window.probe(p[0], p[1]); }));
};
</script>)"_s;

} // namespace

class tst_EngineOrigins : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void probesSeeWhatAPageMayRead();
    void noSchemeOfOursReachesAnotherSite_data();
    void noSchemeOfOursReachesAnotherSite();
    void anotherSitesPartsAskNoLogin();

private:
    QUrl at(const HttpServer &server, const QString &host, const QString &path) const;
    EngineWebBrowser *makeBrowser();
    bool load(EngineWebBrowser *browser, const QUrl &url);
    // Every probe of the list, in order; empty when the page did not answer.
    QStringList probe(EngineWebBrowser *attacker, const QList<QPair<QString, QString>> &probes);
    QList<QPair<QString, QString>> attacksOn(const QUrl &base) const;
    void keepVictimPage();

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
    HttpServer *m_victim = nullptr;
    HttpServer *m_attacker = nullptr;
    HttpServer *m_local = nullptr;
    std::unique_ptr<EngineWebBrowserFactory> m_factory;
    std::unique_ptr<QWidget> m_host;
    QList<WebBrowser *> m_browsers;
};

void tst_EngineOrigins::initTestCase()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
    m_victim = new HttpServer(this);
    m_attacker = new HttpServer(this);
    m_local = new HttpServer(this);
    QVERIFY(m_victim->isListening() && m_attacker->isListening() && m_local->isListening());
    serveSecrets(*m_victim, "VICTIM-SECRET");
    m_victim->setStorable(u"/page"_s);
    serveSecrets(*m_local, "LOCAL-SECRET");
    serveSecrets(*m_attacker, "ATTACKER-OWN-SECRET");
    m_victim->setPage(u"/login"_s, u"Login"_s, u"<p>in</p>"_s);
    m_victim->addHeader(u"/login"_s, "Set-Cookie: vsession=VICTIM-COOKIE; SameSite=Strict; Path=/");
    m_attacker->setPage(u"/attack"_s, u"Attack"_s, AttackPage);
    m_victim->setLogin(u"/protected"_s, "user", "password", "Victim", "<p>denied</p>");
    m_factory = std::make_unique<EngineWebBrowserFactory>();
    m_host = std::make_unique<QWidget>();
    new QVBoxLayout(m_host.get());
    m_host->resize(800, 600);
    m_host->show();

    // The user is signed in at the victim's site; its own pages carry the cookie.
    EngineWebBrowser *user = makeBrowser();
    QVERIFY(load(user, at(*m_victim, VictimHost, u"/login"_s)));
    m_victim->resetCounts();
    QVERIFY(load(user, at(*m_victim, VictimHost, u"/page"_s)));
    QVERIFY(m_victim->requestHeads().value(0).contains("Cookie: vsession=VICTIM-COOKIE"));
}

void tst_EngineOrigins::cleanup()
{
    qDeleteAll(m_browsers);
    m_browsers.clear();
    m_factory->setOffline(false);
}

void tst_EngineOrigins::cleanupTestCase()
{
    m_factory.reset();
    m_host.reset();
}

QUrl tst_EngineOrigins::at(const HttpServer &server, const QString &host,
                           const QString &path) const
{
    QUrl url = server.url(path);
    url.setHost(host);
    return url;
}

EngineWebBrowser *tst_EngineOrigins::makeBrowser()
{
    auto *browser = static_cast<EngineWebBrowser *>(m_factory->create(m_host.get()));
    m_host->layout()->addWidget(browser->widget());
    browser->setVisible(true);
    m_browsers << browser;
    return browser;
}

bool tst_EngineOrigins::load(EngineWebBrowser *browser, const QUrl &url)
{
    bool complete = false;
    const auto connection = connect(browser, &WebBrowser::DocumentComplete, this,
                                    [&](const QString &done) { complete = done == url.toString(); });
    browser->Navigate2(url.toString());
    const bool loaded = spinUntil([&] { return complete && !browser->Busy(); });
    disconnect(connection);
    return loaded;
}

QStringList tst_EngineOrigins::probe(EngineWebBrowser *attacker,
                                     const QList<QPair<QString, QString>> &probes)
{
    QJsonArray list;
    for (const auto &[url, how] : probes)
        list.append(QJsonArray{url, how});
    // The engine hands back no promise's value: the page keeps it.
    runScript(attacker->page(),
              u"window.probeResults = null; window.probeAll("_s
                  + QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))
                  + u").then(function (r) { window.probeResults = r; }); true"_s);
    QVariant answer;
    spinUntil(
        [&] {
            answer = runScript(attacker->page(), u"window.probeResults"_s);
            return answer.typeId() == QMetaType::QVariantList;
        },
        60000);
    QStringList results;
    for (const QVariant &one : answer.toList())
        results << one.toString();
    return results;
}

// Every form of address our handlers could take for the secrets of base.
QList<QPair<QString, QString>> tst_EngineOrigins::attacksOn(const QUrl &base) const
{
    QList<QPair<QString, QString>> probes;
    for (const QByteArray &scheme : ownSchemes()) {
        for (const Way &way : Ways) {
            QUrl target = base;
            target.setPath(QString::fromLatin1(way.path));
            const QString real = target.toString(QUrl::FullyEncoded);
            const QString name = QString::fromLatin1(scheme);
            const QStringList forms{
                name + u':' + real, name + u':' + QString::fromLatin1(QUrl::toPercentEncoding(real)),
                name + "://"_L1 + real.mid(real.indexOf("://"_L1) + 3)};
            for (const QString &form : forms)
                probes.append({form, QString::fromLatin1(way.how)});
        }
    }
    return probes;
}

void tst_EngineOrigins::keepVictimPage()
{
    EngineWebBrowser *victim = makeBrowser();
    const QUrl page = at(*m_victim, VictimHost, u"/page"_s);
    QVERIFY(load(victim, page));
    EngineOfflineCache &cache = *m_factory->offlineCache();
    QVERIFY(spinUntil([&] { return cache.findEntry(page.toString()) == 0; }));
    // Shown from the cache once: its parts are at hand.
    m_factory->setOffline(true);
    victim->Navigate2(page.toString());
    QVERIFY(spinUntil([&] {
        return !victim->Busy() && EngineOfflineWork::isOfflineForm(victim->page()->url())
               && runScript(victim->page(), u"document.title"_s).toString() == "VICTIM-SECRET"_L1;
    }));
    QVERIFY(cache.holdsPart(EngineOfflineCache::siteOf(page),
                            at(*m_victim, VictimHost, u"/secret.png"_s).toString()));
}

void tst_EngineOrigins::probesSeeWhatAPageMayRead()
{
    // The attacker's own resources are readable every way: a probe that
    // answers "read" means content came through.
    EngineWebBrowser *attacker = makeBrowser();
    QVERIFY(load(attacker, at(*m_attacker, AttackerHost, u"/attack"_s)));
    QList<QPair<QString, QString>> own;
    for (const Way &way : Ways)
        own.append({at(*m_attacker, AttackerHost, QString::fromLatin1(way.path)).toString(),
                    QString::fromLatin1(way.how)});
    const QStringList results = probe(attacker, own);
    QCOMPARE(results.size(), own.size());
    for (qsizetype i = 0; i < own.size(); ++i)
        QVERIFY2(results.at(i).startsWith("read:"_L1),
                 qPrintable(own.at(i).second + u" "_s + results.at(i)));
}

void tst_EngineOrigins::noSchemeOfOursReachesAnotherSite_data()
{
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("offline");
    QTest::newRow("nothing kept") << false << false;
    QTest::newRow("victim's page kept, online") << true << false;
    QTest::newRow("victim's page kept, offline") << true << true;
}

void tst_EngineOrigins::noSchemeOfOursReachesAnotherSite()
{
    QFETCH(bool, kept);
    QFETCH(bool, offline);
    QVERIFY(!ownSchemes().isEmpty());
    EngineWebBrowser *attacker = makeBrowser();
    QVERIFY(load(attacker, at(*m_attacker, AttackerHost, u"/attack"_s)));
    if (kept)
        keepVictimPage();
    m_factory->setOffline(offline);
    m_victim->resetCounts();

    QList<QPair<QString, QString>> probes = attacksOn(at(*m_victim, VictimHost, u"/"_s));
    probes += attacksOn(at(*m_victim, u"127.0.0.1"_s, u"/"_s));
    probes += attacksOn(at(*m_local, u"127.0.0.1"_s, u"/"_s));
    const QStringList results = probe(attacker, probes);
    QCOMPARE(results.size(), probes.size());
    for (qsizetype i = 0; i < probes.size(); ++i) {
        const QString &result = results.at(i);
        // A picture's pixels are content too, whatever they hold.
        const bool leaked = result.startsWith("read:"_L1)
                            && (probes.at(i).second == "picture"_L1
                                || result.contains("VICTIM-SECRET"_L1)
                                || result.contains("LOCAL-SECRET"_L1));
        QVERIFY2(!leaked, qPrintable(probes.at(i).second + u" "_s + probes.at(i).first + u" -> "_s
                                     + result));
    }
    // The victim's site never saw its strict cookie on a request the attacker caused.
    for (const QByteArray &head : m_victim->requestHeads())
        QVERIFY2(!head.contains("VICTIM-COOKIE"), head.constData());
}

void tst_EngineOrigins::anotherSitesPartsAskNoLogin()
{
    const QUrl protectedPart = at(*m_victim, VictimHost, u"/protected"_s);
    m_attacker->setPage(u"/bait"_s, u"Bait"_s,
                        u"<img src='%1'><script src='%1'></script>"_s.arg(protectedPart.toString()));
    EngineWebBrowser *attacker = makeBrowser();
    QStringList asked;
    connect(attacker, &WebBrowser::AuthenticationRequired, this,
            [&](const QString &site, const QString &realm) { asked << site + u' ' + realm; });
    m_victim->resetCounts();
    QVERIFY(load(attacker, at(*m_attacker, AttackerHost, u"/bait"_s)));
    QVERIFY(spinUntil([&] { return m_victim->requestCount(u"/protected"_s) >= 2; }));
    QCOMPARE(asked, QStringList());
    // The site itself, gone to, asks.
    attacker->Navigate2(protectedPart.toString());
    QVERIFY(spinUntil([&] { return !asked.isEmpty(); }));
    QCOMPARE(asked.first(), u"victim.test:%1 Victim"_s.arg(m_victim->port()));
}

int main(int argc, char **argv)
{
    // Two host names for two sites, both on this machine; nothing else resolves.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            "\"--host-resolver-rules=MAP victim.test 127.0.0.1, MAP attacker.test 127.0.0.1, "
            "MAP * ~NOTFOUND, EXCLUDE 127.0.0.1\"");
    prepareEngine();
    QApplication app(argc, argv);
    tst_EngineOrigins suite;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_engine_origins.moc"
