// Windows a page opens by itself, over real engine pages served from 127.0.0.1.

#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "Language.h"
#include "PageScript.h"
#include "PopupGate.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "TabRowReading.h"
#include "frmMain.h"

#include <QLabel>
#include <QTest>
#include <QWebEngineView>

using velmora::mainwindow::frmMain;
using velmora::platform::EngineWebBrowser;
using velmora::platform::PopupGate;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::test::runScript;
using velmora::test::spinUntil;

class tst_EnginePopups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void floodGetsBoundedTabsAndClickStillOpens();
    void repeatedNoLinkKeepsStatusBar();

private:
    HttpServer m_server;
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_EnginePopups::initTestCase()
{
    QVERIFY(m_server.isListening());
    m_server.setPage(QStringLiteral("/flood.html"), QStringLiteral("Flood"),
                     QStringLiteral("<button id='b' style='position:absolute;left:10px;top:10px;"
                                    "width:120px;height:40px' onclick=\"window.open('clicked.html')"
                                    "\">open</button>"
                                    "<script>for (var i = 0; i < 2000; i++)"
                                    " window.open('ad.html?' + i);</script>"));
    m_server.setPage(QStringLiteral("/ad.html"), QStringLiteral("Ad"), QStringLiteral("<p>ad</p>"));
    m_server.setPage(QStringLiteral("/clicked.html"), QStringLiteral("Clicked"),
                     QStringLiteral("<p>clicked</p>"));
}

void tst_EnginePopups::init()
{
    m_fx = std::make_unique<ProgramFixture>(true, ProgramFixture::Pages::Engine);
}

void tst_EnginePopups::cleanup()
{
    m_fx.reset();
}

void tst_EnginePopups::floodGetsBoundedTabsAndClickStillOpens()
{
    frmMain &main = m_fx->start(m_server.url(QStringLiteral("/flood.html")).toString());
    const int bounded = 1 + PopupGate::PerPageLoad;
    QVERIFY(spinUntil([&] { return openTabs(main).size() == bounded; }));
    QVERIFY(spinUntil(
        [&] { return m_server.requestCount(QStringLiteral("/ad.html")) == PopupGate::PerPageLoad; }));
    // Nothing more comes while the page stays.
    QTest::qWait(1500);
    QCOMPARE(int(openTabs(main).size()), bounded);
    QCOMPARE(m_server.requestCount(QStringLiteral("/ad.html")), PopupGate::PerPageLoad);
    QCOMPARE(main.statusPanel1->text(),
             m_fx->program().language().own(
                 u"Страница открывает окна одно за другим: остальные её окна не открыты.",
                 u"The page keeps opening windows by itself: its further windows were not "
                 u"opened."));

    // The user's own click on the flooding page still opens its window.
    main.Tabstrip1->setValue(1);
    auto *web = static_cast<EngineWebBrowser *>(main.web(1));
    auto *view = web->widget()->findChild<QWebEngineView *>();
    QVERIFY(view);
    web->widget()->raise();
    QVERIFY(spinUntil([&] { return view->isVisible() && view->focusProxy(); }));
    QCOMPARE(runScript(web->page(), QStringLiteral("document.getElementById('b').offsetTop"))
                 .toInt(),
             10);
    // The engine drops input until the shown page has its first frame: a
    // click that went unseen is given again.
    const auto clicked = [&] { return m_server.requestCount(QStringLiteral("/clicked.html")) > 0; };
    for (int i = 0; i < 20 && !clicked(); ++i) {
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(40, 25));
        spinUntil(clicked, 500);
    }
    QCOMPARE(m_server.requestCount(QStringLiteral("/clicked.html")), 1);
    QVERIFY(spinUntil([&] { return openTabs(main).size() == bounded + 1; }));
}

void tst_EnginePopups::repeatedNoLinkKeepsStatusBar()
{
    frmMain &main = m_fx->start(m_server.url(QStringLiteral("/ad.html")).toString());
    auto *web = static_cast<EngineWebBrowser *>(main.web(1));
    QVERIFY(spinUntil([&] { return web->page() && !web->Busy(); }));
    main.statusPanel1->setText(QStringLiteral("notice"));
    // A view shown under the pointer says "no link" without a link before.
    emit web->page()->linkHovered(QString());
    QCOMPARE(main.statusPanel1->text(), QStringLiteral("notice"));
    const QString link = m_server.url(QStringLiteral("/clicked.html")).toString();
    emit web->page()->linkHovered(link);
    QCOMPARE(main.statusPanel1->text(), link);
    emit web->page()->linkHovered(QString());
    QCOMPARE(main.statusPanel1->text(), QString());
}

QTEST_MAIN(tst_EnginePopups)
#include "tst_engine_popups.moc"
