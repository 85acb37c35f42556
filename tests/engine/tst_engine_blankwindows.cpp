// Windows a page opens empty and writes into itself, over real engine pages.

#include "EngineBlankWindows.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "TabRowReading.h"
#include "frmMain.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::platform::EngineBlankWindows;
using velmora::platform::EngineWebBrowser;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::test::runScript;
using velmora::test::spinUntil;

class tst_EngineBlankWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openerWritesIntoEmptyWindow_data();
    void openerWritesIntoEmptyWindow();
    void schemeAnswersOnlyIssuedTokens();

private:
    HttpServer m_server;
};

void tst_EngineBlankWindows::initTestCase()
{
    QVERIFY(m_server.isListening());
    const QString write = u"var w = window.open('');"
                          "w.document.write('<title>Written</title><h1>written text</h1>');"
                          "w.document.close();"_s;
    m_server.setPage(u"/write.html"_s, u"Opener"_s, u"<script>"_s + write + u"</script>"_s);
    m_server.setPage(u"/inner.html"_s, u"Opener"_s,
                     u"<script>var w = window.open(''); w.document.title = 'Written';"
                     "w.document.body.innerHTML = '<h1>written text</h1>';</script>"_s);
    m_server.setPage(u"/later.html"_s, u"Opener"_s,
                     u"<script>var w = window.open(''); setTimeout(function () {"
                     "w.document.title = 'Written';"
                     "w.document.body.appendChild(w.document.createTextNode('written text'));"
                     "}, 300);</script>"_s);
    // The opener's policy would keep a frame of another site out.
    m_server.setResource(
        u"/strict.html"_s, "text/html",
        "<!doctype html><html><head><title>Opener</title><meta http-equiv="
        "'Content-Security-Policy' content=\"default-src 'self'; script-src 'unsafe-inline'\">"
        "</head><body><script>"
            + write.toUtf8() + "</script></body></html>");
}

void tst_EngineBlankWindows::openerWritesIntoEmptyWindow_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("document.write") << u"/write.html"_s;
    QTest::newRow("body.innerHTML") << u"/inner.html"_s;
    QTest::newRow("text node later") << u"/later.html"_s;
    QTest::newRow("strict content policy") << u"/strict.html"_s;
}

void tst_EngineBlankWindows::openerWritesIntoEmptyWindow()
{
    QFETCH(QString, path);
    ProgramFixture fx(true, ProgramFixture::Pages::Engine);
    frmMain &main = fx.start(m_server.url(path).toString());
    QVERIFY(spinUntil([&] { return openTabs(main).size() == 2; }));
    const int popup = openTabs(main).constLast();
    main.Tabstrip1->setValue(popup);
    auto *web = static_cast<EngineWebBrowser *>(main.web(popup));
    QVERIFY(web->page());
    auto *view = web->widget()->findChild<QWebEngineView *>();
    QVERIFY(view);
    // Shown and painted: the engine has drawn the written text and lives.
    QVERIFY(spinUntil([&] { return view->isVisible(); }, 10000));
    QVERIFY(spinUntil([&] { return main.windowTitle() == u"Written - Velmora"_s; }, 10000));
    QTRY_VERIFY_WITH_TIMEOUT(
        runScript(web->page(), u"document.body.innerText"_s).toString().contains(u"written text"_s),
        10000);
    // The opener still holds its window, and no helper frame is left in it.
    QCOMPARE(runScript(web->page(), u"document.querySelectorAll('iframe').length"_s).toInt(), 0);
    auto *opener = static_cast<EngineWebBrowser *>(main.web(openTabs(main).constFirst()));
    QCOMPARE(runScript(opener->page(), u"w.closed === false && w.document.title"_s).toString(),
             u"Written"_s);
    QTest::qWait(300); // a few more frames of the written window
    QVERIFY(view->isVisible());
}

void tst_EngineBlankWindows::schemeAnswersOnlyIssuedTokens()
{
    // Only a token handed to a waiting window is answered, and only while it
    // waits: a page that names the scheme itself gets nothing.
    velmora::platform::EngineWebBrowserFactory factory;
    QWebEnginePage page(factory.profile());
    const auto loads = [&](const QString &token) {
        bool ok = false;
        bool done = false;
        const auto connection = connect(&page, &QWebEnginePage::loadFinished, this,
                                        [&](bool success) {
                                            ok = success;
                                            done = true;
                                        });
        page.load(QUrl(QString::fromLatin1(EngineBlankWindows::scheme()) + u':' + token));
        const bool finished = spinUntil([&] { return done; }, 10000);
        disconnect(connection);
        return finished && ok;
    };
    auto &windows = factory.blankWindows();
    const QString token = windows.issue();
    QVERIFY(windows.issue() != token);
    QVERIFY(!loads(u"00000000000000000000000000000000"_s));
    QVERIFY(loads(token));
    windows.revoke(token);
    QVERIFY(!loads(token));
}

QTEST_MAIN(tst_EngineBlankWindows)
#include "tst_engine_blankwindows.moc"
