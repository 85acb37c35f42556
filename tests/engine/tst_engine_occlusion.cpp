// A page stacked under another page of the same size is hidden from the
// engine, as a background tab is; raising it shows it again.

#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageEventLog.h"
#include "PageScript.h"
#include "TestEnvironment.h"

#include <QTest>
#include <QWebEngineView>
#include <QWidget>

#include <memory>
#include <vector>

using namespace velmora::platform;
using namespace Qt::StringLiterals;

class tst_EngineOcclusion : public QObject
{
    Q_OBJECT
private slots:
    void coveredPage_isHiddenUntilRaised();
    void pageShownOnceItsWindowIs();
};

namespace {

QString visibility(WebBrowser *browser)
{
    return velmora::test::runScript(static_cast<EngineWebBrowser *>(browser)->page(),
                                    u"document.visibilityState"_s)
        .toString();
}

bool viewShown(WebBrowser *browser)
{
    auto *view = browser->widget()->findChild<QWebEngineView *>();
    return view && view->isVisible();
}

} // namespace

void tst_EngineOcclusion::coveredPage_isHiddenUntilRaised()
{
    velmora::test::TestEnvironment env;
    velmora::test::HttpServer server;
    QVERIFY(server.isListening());
    server.setPage(u"/a"_s, u"Page A"_s);
    server.setPage(u"/b"_s, u"Page B"_s);
    EngineWebBrowserFactory factory;
    QWidget host;
    host.resize(640, 480);
    host.show();

    QList<WebBrowser *> pages;
    // The logs listen for as long as their controls live.
    std::vector<std::unique_ptr<velmora::test::PageEventLog>> logs;
    for (const QString &path : {u"/a"_s, u"/b"_s}) {
        WebBrowser *browser = factory.create(&host);
        browser->widget()->setGeometry(0, 0, 640, 480);
        browser->setVisible(true);
        logs.push_back(std::make_unique<velmora::test::PageEventLog>(browser));
        velmora::test::PageEventLog &log = *logs.back();
        const QString url = server.url(path).toString();
        browser->Navigate2(url);
        QVERIFY(velmora::test::spinUntil(
            [&] { return log.events.contains(u"DocumentComplete "_s + url); }, 10000));
        pages << browser;
    }
    WebBrowser *lower = pages.at(0);
    WebBrowser *upper = pages.at(1);

    QVERIFY(velmora::test::spinUntil([&] { return !viewShown(lower); }, 5000));
    QVERIFY(viewShown(upper));
    QVERIFY(velmora::test::spinUntil([&] { return visibility(lower) == u"hidden"_s; }, 5000));
    QCOMPARE(visibility(upper), u"visible"_s);
    // The control still reads as an open tab's control.
    QVERIFY(lower->Visible());

    lower->widget()->raise();
    QVERIFY(velmora::test::spinUntil([&] { return viewShown(lower) && !viewShown(upper); },
                                     5000));
    QVERIFY(velmora::test::spinUntil([&] { return visibility(lower) == u"visible"_s; }, 5000));

    // A page that is not the same size as the one above it stays shown.
    upper->widget()->raise();
    lower->widget()->setGeometry(0, 0, 640, 500);
    QVERIFY(velmora::test::spinUntil([&] { return viewShown(lower) && viewShown(upper); },
                                     5000));

    qDeleteAll(pages);
    logs.clear();
}

void tst_EngineOcclusion::pageShownOnceItsWindowIs()
{
    velmora::test::TestEnvironment env;
    velmora::test::HttpServer server;
    QVERIFY(server.isListening());
    server.setPage(u"/a"_s, u"Page A"_s);
    EngineWebBrowserFactory factory;
    QWidget host;
    host.resize(640, 480);
    WebBrowser *browser = factory.create(&host);
    browser->widget()->setGeometry(0, 0, 640, 480);
    browser->setVisible(true);
    velmora::test::PageEventLog log(browser);
    const QString url = server.url(u"/a"_s).toString();
    browser->Navigate2(url);
    // The page loads while its window is not on screen yet, and is not shown.
    QVERIFY(velmora::test::spinUntil(
        [&] { return log.events.contains(u"DocumentComplete "_s + url); }, 10000));
    QTest::qWait(100);
    auto *view = browser->widget()->findChild<QWebEngineView *>();
    QVERIFY(view);
    QVERIFY(view->isHidden());
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QVERIFY(velmora::test::spinUntil([&] { return viewShown(browser); }, 5000));
    QVERIFY(velmora::test::spinUntil([&] { return visibility(browser) == u"visible"_s; }, 5000));
    delete browser;
}

QTEST_MAIN(tst_EngineOcclusion)
#include "tst_engine_occlusion.moc"
