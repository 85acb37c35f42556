// The main window over real engine pages served from 127.0.0.1.

#include "EventLoop.h"
#include "HttpServer.h"
#include "ProgramFixture.h"
#include "TabRowReading.h"

#include "FakeSystemFacts.h"
#include "Program.h"
#include "frmMain.h"
#include "frmOptions.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using velmora::mainwindow::frmMain;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::test::spinUntil;

namespace {

bool shows(const frmMain &main, int tab, const QUrl &url)
{
    auto *web = main.web(tab);
    return web && web->LocationURL() == url.toString() && !web->Busy();
}

} // namespace

class tst_EngineMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startShowsPageAndCaption();
    void newAndCloseTabs();
    void backAndForward();
    void windowOpenGetsTabAndWindowCloseLosesIt();
    void addressBarEnterOpensPage();

private:
    HttpServer m_server;
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_EngineMainWindow::initTestCase()
{
    QVERIFY(m_server.isListening());
    m_server.setPage(QStringLiteral("/a.html"), QStringLiteral("Page A"),
                     QStringLiteral("<a id='b' href='b.html'>to b</a>"));
    m_server.setPage(QStringLiteral("/b.html"), QStringLiteral("Page B"),
                     QStringLiteral("<p>B</p>"));
    m_server.setPage(QStringLiteral("/opener.html"), QStringLiteral("Opener"),
                     QStringLiteral("<script>window.open('closer.html');</script>"));
    m_server.setPage(QStringLiteral("/closer.html"), QStringLiteral("Closer"),
                     QStringLiteral("<script>setTimeout(function(){window.close();}, 300);"
                                    "</script>"));
}

void tst_EngineMainWindow::init()
{
    m_fx = std::make_unique<ProgramFixture>(true, ProgramFixture::Pages::Engine);
}

void tst_EngineMainWindow::cleanup()
{
    m_fx.reset();
}

void tst_EngineMainWindow::startShowsPageAndCaption()
{
    const QUrl a = m_server.url(QStringLiteral("/a.html"));
    frmMain &main = m_fx->start(a.toString());
    QVERIFY(spinUntil([&] { return shows(main, 1, a); }));
    QVERIFY(spinUntil([&] { return main.windowTitle() == QStringLiteral("Page A - Velmora"); }));
    QCOMPARE(main.Tabstrip1->tabCaption(1), QStringLiteral("Page A"));
    QCOMPARE(openTabs(main), QList<int>{1});
    QCOMPARE(m_server.requestCount(QStringLiteral("/a.html")), 1);
}

void tst_EngineMainWindow::newAndCloseTabs()
{
    const QUrl a = m_server.url(QStringLiteral("/a.html"));
    frmMain &main = m_fx->start(a.toString());
    QVERIFY(spinUntil([&] { return shows(main, 1, a); }));

    QCOMPARE(main.mnuNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(main.mnuClose->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
    main.mnuNew->trigger();
    main.mnuNew->trigger();
    QCOMPARE(openTabs(main), (QList<int>{1, 2, 3}));
    QVERIFY(spinUntil([&] { return shows(main, 3, QUrl(QStringLiteral("about:blank"))); }));

    main.Tabstrip1->setValue(2);
    main.mnuClose->trigger();
    QCOMPARE(openTabs(main), (QList<int>{1, 3}));
    QCOMPARE(main.currentTabNumber(), 3);
    QVERIFY(!main.web(2)->hasPage());

    main.mnuClose->trigger();
    main.mnuClose->trigger();
    // The last tab is not closed: it goes to the home page.
    QCOMPARE(openTabs(main), QList<int>{1});
    QVERIFY(spinUntil([&] { return shows(main, 1, QUrl(QStringLiteral("about:blank"))); }));
}

void tst_EngineMainWindow::backAndForward()
{
    const QUrl a = m_server.url(QStringLiteral("/a.html"));
    const QUrl b = m_server.url(QStringLiteral("/b.html"));
    frmMain &main = m_fx->start(a.toString());
    QVERIFY(spinUntil([&] { return shows(main, 1, a); }));
    main.web(1)->Navigate2(b.toString());
    QVERIFY(spinUntil([&] { return shows(main, 1, b); }));
    main.mnuBack->trigger();
    QVERIFY(spinUntil([&] { return shows(main, 1, a); }));
    QVERIFY(spinUntil([&] { return main.windowTitle() == QStringLiteral("Page A - Velmora"); }));
    main.mnuForward->trigger();
    QVERIFY(spinUntil([&] { return shows(main, 1, b); }));
}

void tst_EngineMainWindow::windowOpenGetsTabAndWindowCloseLosesIt()
{
    const QUrl opener = m_server.url(QStringLiteral("/opener.html"));
    const QUrl closer = m_server.url(QStringLiteral("/closer.html"));
    frmMain &main = m_fx->start(opener.toString());
    QVERIFY(spinUntil([&] { return m_server.requestCount(QStringLiteral("/closer.html")) > 0; }));
    QVERIFY(spinUntil([&] { return openTabs(main) == QList<int>{1, 2}; }));
    QVERIFY(spinUntil([&] { return main.web(2)->LocationURL() == closer.toString(); }));
    // The opened page closes its own window: its tab goes.
    QVERIFY(spinUntil([&] { return openTabs(main) == QList<int>{1}; }));
    QCOMPARE(main.currentTabNumber(), 1);
}

void tst_EngineMainWindow::addressBarEnterOpensPage()
{
    const QUrl b = m_server.url(QStringLiteral("/b.html"));
    frmMain &main = m_fx->start();
    QVERIFY(spinUntil([&] { return shows(main, 1, QUrl(QStringLiteral("about:blank"))); }));
    main.Combo1->setFocus();
    QLineEdit *edit = main.Combo1->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, b.toString());
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(spinUntil([&] { return shows(main, 1, b); }));
    QVERIFY(spinUntil([&] { return main.windowTitle() == QStringLiteral("Page B - Velmora"); }));
    QCOMPARE(main.Tabstrip1->tabCaption(1), QStringLiteral("Page B"));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(m_server.port());
    QVERIFY(main.Combo1->count() > 0);
    QCOMPARE(main.Combo1->itemText(0), host);
    QCOMPARE(m_fx->env.readProgramFile(QStringLiteral("WebHis.dat")),
             QByteArray("\"" + host.toLatin1() + "\"\r\n"));
}

QTEST_MAIN(tst_EngineMainWindow)
#include "tst_engine_mainwindow.moc"
