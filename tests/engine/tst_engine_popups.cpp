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
#include "frmOptions.h"

#include "TabstripP.h"

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
    void linkOpenedInNewTabLeavesNoStatus();
    void windowOpenedEmptyIsCaptioned();

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
    m_server.setPage(QStringLiteral("/links.html"), QStringLiteral("Links"),
                     QStringLiteral("<a id='l' href='clicked.html' target='_blank' "
                                    "style='position:absolute;left:10px;top:10px;width:120px;"
                                    "height:40px;display:block'>next</a>"
                                    "<button id='e' style='position:absolute;left:10px;top:80px;"
                                    "width:120px;height:40px' onclick=\"window.open('')\">"
                                    "empty</button>"));
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
    // The page's own loop of refused windows may hold its renderer a while
    // on a busy machine: asked until it answers.
    QVERIFY(spinUntil(
        [&] {
            return runScript(web->page(), QStringLiteral("document.getElementById('b').offsetTop"))
                       .toInt()
                == 10;
        },
        60000));
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

namespace {

// The page of a tab, shown and taking input; null when it will not.
QWidget *inputOf(frmMain &main, int tab)
{
    main.Tabstrip1->setValue(tab);
    auto *web = static_cast<EngineWebBrowser *>(main.web(tab));
    auto *view = web->widget()->findChild<QWebEngineView *>();
    if (!view)
        return nullptr;
    web->widget()->raise();
    if (!spinUntil([&] { return view->isVisible() && view->focusProxy(); }))
        return nullptr;
    return view->focusProxy();
}

} // namespace

// The pointer on a link shows its address; the click opens it in a new,
// selected tab, and neither that tab nor the first one back keeps it.
void tst_EnginePopups::linkOpenedInNewTabLeavesNoStatus()
{
    m_fx->program().optionFlags.opNW = true;
    frmMain &main = m_fx->start(m_server.url(QStringLiteral("/links.html")).toString());
    QVERIFY(spinUntil([&] { return main.web(1)->LocationURL().endsWith(QStringLiteral("links.html"))
                                   && !main.web(1)->Busy(); }));
    QWidget *input = inputOf(main, 1);
    QVERIFY(input);
    const QString link = m_server.url(QStringLiteral("/clicked.html")).toString();
    // The engine drops input until the shown page has its first frame.
    const auto hovered = [&] { return main.statusPanel1->text() == link; };
    for (int i = 0; i < 20 && !hovered(); ++i) {
        QTest::mouseMove(input, QPoint(30 + i % 2, 25));
        spinUntil(hovered, 500);
    }
    QCOMPARE(main.statusPanel1->text(), link);
    QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(31, 25));
    QVERIFY(spinUntil([&] { return openTabs(main).size() == 2; }));
    QCOMPARE(main.currentTabNumber(), 2);
    QVERIFY(spinUntil([&] { return main.web(2)->LocationURL() == link && !main.web(2)->Busy(); }));
    QCOMPARE(main.statusPanel1->text(), QString());
    main.Tabstrip1->setValue(1);
    QCOMPARE(main.statusPanel1->text(), QString());
}

// window.open('') with no text written into it: the tab and the window
// are captioned after the blank page.
void tst_EnginePopups::windowOpenedEmptyIsCaptioned()
{
    m_fx->program().optionFlags.opNW = true;
    frmMain &main = m_fx->start(m_server.url(QStringLiteral("/links.html")).toString());
    QVERIFY(spinUntil([&] { return main.web(1)->LocationURL().endsWith(QStringLiteral("links.html"))
                                   && !main.web(1)->Busy(); }));
    QWidget *input = inputOf(main, 1);
    QVERIFY(input);
    const auto opened = [&] { return openTabs(main).size() == 2; };
    for (int i = 0; i < 20 && !opened(); ++i) {
        QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(40, 95));
        spinUntil(opened, 500);
    }
    QVERIFY(opened());
    QCOMPARE(main.currentTabNumber(), 2);
    QVERIFY(spinUntil([&] { return main.Tabstrip1->tabCaption(2) == QStringLiteral("about:blank"); }));
    QVERIFY(spinUntil(
        [&] { return main.windowTitle() == QStringLiteral("about:blank - Velmora"); }));
}

QTEST_MAIN(tst_EnginePopups)
#include "tst_engine_popups.moc"
