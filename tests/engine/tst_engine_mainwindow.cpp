// The main window over real engine pages served from 127.0.0.1.

#include "EventLoop.h"
#include "HttpServer.h"
#include "LocalHostLookups.h"
#include "ProgramFixture.h"
#include "PageScript.h"
#include "TabRowReading.h"

#include "EngineWebBrowser.h"

#include "FakeSystemFacts.h"
#include "Program.h"
#include "frmMain.h"
#include "frmOptions.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QApplication>
#include <QTcpServer>
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
    void failedNavigationLeavesNoHistoryRow_data();
    void failedNavigationLeavesNoHistoryRow();
    void typingSurvivesBusyTabs();

private:
    HttpServer m_server;
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_EngineMainWindow::initTestCase()
{
    velmora::test::keepHostLookupsLocal();
    QVERIFY(m_server.isListening());
    // Pages that keep changing: their address by the history interface and
    // their title, every 100 ms; the page counts the keys it gets.
    m_server.setPage(QStringLiteral("/pushing.html"), QStringLiteral("Count 0"),
                     QStringLiteral("<script>var n = 0;"
                                    "setInterval(function () { n++;"
                                    " history.pushState({}, '', '?n=' + n);"
                                    " document.title = 'Count ' + n; }, 100);</script>"));
    m_server.setPage(QStringLiteral("/counting.html"), QStringLiteral("Inbox (0)"),
                     QStringLiteral("<input id='box' autofocus><script>var n = 0, keys = 0;"
                                    "document.addEventListener('keydown', function () {"
                                    " keys++; }, true);"
                                    "setInterval(function () { n++;"
                                    " document.title = 'Inbox (' + n + ')'; }, 100);"
                                    "</script>"));
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

void tst_EngineMainWindow::failedNavigationLeavesNoHistoryRow_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("unknown host") << QStringLiteral("http://nonexistent-host.invalid/");
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    QTest::newRow("refused port") << QStringLiteral("http://127.0.0.1:%1/x").arg(port);
}

void tst_EngineMainWindow::failedNavigationLeavesNoHistoryRow()
{
    QFETCH(QString, address);
    const QUrl a = m_server.url(QStringLiteral("/a.html"));
    frmMain &main = m_fx->start(a.toString());
    QVERIFY(spinUntil([&] { return shows(main, 1, a); }));
    const QByteArray history =
        "\"127.0.0.1:" + QByteArray::number(m_server.port()) + "\"\r\n";
    QCOMPARE(m_fx->env.readProgramFile(QStringLiteral("WebHis.dat")), history);

    // Every caption the failure shows names what was asked for, never the
    // error page's own location.
    QStringList captions;
    connect(&main, &QWidget::windowTitleChanged, this,
            [&](const QString &title) { captions << title; });
    connect(main.Tabstrip1, &kelvane::TabstripP::propertyChanged, this,
            [&] { captions << main.Tabstrip1->tabCaption(1); });
    // What the synchroniser would show at each report of the page.
    using velmora::platform::WebBrowser;
    const auto titleNow = [&] { captions << main.getTitle(1); };
    for (auto report : {&WebBrowser::DocumentComplete, &WebBrowser::NavigateComplete2})
        connect(main.web(1), report, this, titleNow);
    connect(main.web(1), &WebBrowser::DownloadComplete, this, titleNow);
    connect(main.web(1), &WebBrowser::TitleChange, this, titleNow);
    main.Combo1->setEditText(address);
    QTest::keyClick(main.Combo1, Qt::Key_Return);
    auto *web = main.web(1);
    QVERIFY(spinUntil([&] { return web->LocationURL().endsWith(u'#' + address) && !web->Busy(); }));
    main.Timer1_Timer();
    QVERIFY(!captions.isEmpty());
    for (const QString &caption : std::as_const(captions))
        QVERIFY2(!caption.contains(QStringLiteral("res://")), qPrintable(caption));
    QVERIFY(main.getTitle(1).size() > 0);
    QVERIFY(!main.getTitle(1).contains(QStringLiteral("res://")));
    // The error page is no visit: the address bar shows what was asked for.
    QCOMPARE(main.Combo1->currentText(), address);
    QCOMPARE(main.Combo1->count(), 1);
    QCOMPARE(m_fx->env.readProgramFile(QStringLiteral("WebHis.dat")), history);
}

// Keys typed into the address bar while a background tab moves through its
// history and both tabs change their titles all stay in the box.
void tst_EngineMainWindow::typingSurvivesBusyTabs()
{
    const QUrl pushing = m_server.url(QStringLiteral("/pushing.html"));
    const QUrl counting = m_server.url(QStringLiteral("/counting.html"));
    const QUrl b = m_server.url(QStringLiteral("/b.html"));
    frmMain &main = m_fx->start(pushing.toString());
    main.show();
    QApplication::setActiveWindow(&main);
    main.activateWindow();
    if (!QTest::qWaitForWindowActive(&main))
        QSKIP("the platform cannot activate a window");
    QVERIFY(spinUntil([&] { return main.web(1)->LocationURL().contains(QStringLiteral("?n=")); }));
    main.mnuNew->trigger();
    QCOMPARE(main.currentTabNumber(), 2);
    main.web(2)->Navigate2(counting.toString());
    QVERIFY(spinUntil([&] {
        return main.Tabstrip1->tabCaption(2).startsWith(QStringLiteral("Inbox (")) &&
               !main.web(2)->Busy();
    }));

    // The loaded page has had the focus it asks for; the user clicks into
    // the address bar.
    QVERIFY(spinUntil([&] { return !main.pageFocusPending; }));
    main.Combo1->setFocus(Qt::MouseFocusReason);
    main.Combo1->lineEdit()->selectAll();
    const QString typed = b.toString();
    const QString caption1 = main.Tabstrip1->tabCaption(1);
    for (const QChar c : typed) {
        // Each key goes where the keyboard focus is, as the user's would.
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused);
        QTest::keyClicks(focused, QString(c));
        velmora::test::settle(40);
    }
    QVERIFY(main.Tabstrip1->tabCaption(1) != caption1); // the pages kept changing
    QCOMPARE(main.Combo1->currentText(), typed);
    QCOMPARE(main.FocusOwner, 1);
    const QVariant pageKeys = velmora::test::runScript(
        static_cast<velmora::platform::EngineWebBrowser *>(main.web(2))->page(),
        QStringLiteral("keys"), 10000);
    QCOMPARE(pageKeys.toInt(), 0);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(spinUntil([&] { return shows(main, 2, b); }));
    QVERIFY(main.web(1)->LocationURL().startsWith(pushing.toString()));
}

QTEST_MAIN(tst_EngineMainWindow)
#include "tst_engine_mainwindow.moc"
