// Notifications of real engine pages, shown by the main window: the popup,
// what reaches the page, and the tab a click brings forward.

#include "TabPage.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "ProgramFixture.h"

#include "EngineWebBrowser.h"
#include "FakeDialogs.h"
#include "NotificationPopups.h"
#include "frmMain.h"

#include <QLabel>
#include <QTest>
#include <QWebEnginePage>

using velmora::mainwindow::frmMain;
using velmora::mainwindow::NotificationPopup;
using velmora::mainwindow::NotificationPopups;
using velmora::platform::EngineWebBrowser;
using velmora::platform::MsgResult;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::spinUntil;
using namespace Qt::StringLiterals;

namespace {

QVariant run(frmMain &main, int tab, const QString &script)
{
    return velmora::test::runInTab(main, tab, script);
}

// What the page's notifications reported to it, in order.
QString events(frmMain &main, int tab)
{
    return run(main, tab, u"window.events.join(',')"_s).toString();
}

QString labelText(NotificationPopup *popup, const QString &name)
{
    auto *label = popup->findChild<QLabel *>(name);
    return label ? label->text() : u"<none>"_s;
}

} // namespace

class tst_EngineNotifications : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void popupShowsTheTextsAndClosesByItself();
    void clickReachesThePageAndBringsItsTabForward();
    void pageClosingItTakesThePopupAway();
    void deniedPageShowsNothing();
    void minimizedWindowShowsItInTheStatusBar();

private:
    frmMain &open();
    void notify(frmMain &main, int tab);
    NotificationPopups *popups(frmMain &main)
    {
        return main.findChild<NotificationPopups *>(u"notifications"_s);
    }

    HttpServer m_server;
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_EngineNotifications::initTestCase()
{
    QVERIFY(m_server.isListening());
    m_server.setPage(u"/notify.html"_s, u"Notify"_s,
                     u"<script>window.events = [];</script>"_s);
    m_server.setPage(u"/other.html"_s, u"Other"_s);
}

void tst_EngineNotifications::init()
{
    m_fx = std::make_unique<ProgramFixture>(true, ProgramFixture::Pages::Engine);
}

void tst_EngineNotifications::cleanup()
{
    m_fx.reset();
}

frmMain &tst_EngineNotifications::open()
{
    const QUrl url = m_server.url(u"/notify.html"_s);
    frmMain &main = m_fx->start(url.toString());
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        qWarning("the main window was not exposed");
    spinUntil([&] { return main.web(1)->LocationURL() == url.toString() && !main.web(1)->Busy(); });
    return main;
}

void tst_EngineNotifications::notify(frmMain &main, int tab)
{
    run(main, tab,
        u"Notification.requestPermission().then(function(answer) {"
        "  document.title = answer;"
        "  if (answer != 'granted') return;"
        "  var n = new Notification('Title', {body: 'Text'});"
        "  window.last = n;"
        "  n.onshow = function() { window.events.push('show'); };"
        "  n.onclick = function() { window.events.push('click'); };"
        "  n.onclose = function() { window.events.push('close'); };"
        "});"_s);
}

void tst_EngineNotifications::popupShowsTheTextsAndClosesByItself()
{
    frmMain &main = open();
    QVERIFY(popups(main));
    popups(main)->setLifetime(1500);
    m_fx->dialogs().answerMsgBox(MsgResult::Yes);
    notify(main, 1);
    QVERIFY(spinUntil([&] { return popups(main)->popups().size() == 1; }));
    NotificationPopup *popup = popups(main)->popups().constFirst();
    QVERIFY(popup->isVisible());
    QVERIFY(popup->isWindow());
    QCOMPARE(labelText(popup, u"title"_s), u"Title"_s);
    QCOMPARE(labelText(popup, u"message"_s), u"Text"_s);
    QCOMPARE(labelText(popup, u"site"_s), u"127.0.0.1:%1"_s.arg(m_server.port()));
    // Near the window's bottom-right corner, inside it.
    const QRect window = main.frameGeometry();
    QVERIFY2(window.contains(popup->frameGeometry()), qPrintable(u"%1,%2"_s.arg(popup->x()).arg(popup->y())));
    QVERIFY(popup->frameGeometry().right() > window.center().x());
    QVERIFY(popup->frameGeometry().bottom() > window.center().y());
    QVERIFY(spinUntil([&] { return events(main, 1) == u"show"_s; }));

    QVERIFY(spinUntil([&] { return popups(main)->popups().isEmpty(); }));
    QVERIFY(spinUntil([&] { return events(main, 1) == u"show,close"_s; }));
}

void tst_EngineNotifications::clickReachesThePageAndBringsItsTabForward()
{
    frmMain &main = open();
    m_fx->dialogs().answerMsgBox(MsgResult::Yes);
    main.mnuNew->trigger();
    QVERIFY(spinUntil([&] { return main.web(2) != nullptr; }));
    main.web(2)->Navigate2(m_server.url(u"/other.html"_s).toString());
    QVERIFY(spinUntil([&] { return main.currentTabNumber() == 2; }));

    notify(main, 1);
    QVERIFY(spinUntil([&] { return popups(main)->popups().size() == 1; }));
    QVERIFY(spinUntil([&] { return events(main, 1) == u"show"_s; }));
    QCOMPARE(main.currentTabNumber(), 2);
    QTest::mouseClick(popups(main)->popups().constFirst(), Qt::LeftButton);
    QCOMPARE(main.currentTabNumber(), 1);
    QVERIFY(spinUntil([&] { return popups(main)->popups().isEmpty(); }));
    QVERIFY(spinUntil([&] { return events(main, 1) == u"show,click,close"_s; }));
}

void tst_EngineNotifications::pageClosingItTakesThePopupAway()
{
    frmMain &main = open();
    m_fx->dialogs().answerMsgBox(MsgResult::Yes);
    notify(main, 1);
    QVERIFY(spinUntil([&] { return popups(main)->popups().size() == 1; }));
    QVERIFY(spinUntil([&] { return events(main, 1) == u"show"_s; }));
    run(main, 1, u"window.last.close()"_s);
    QVERIFY(spinUntil([&] { return popups(main)->popups().isEmpty(); }));
}

void tst_EngineNotifications::deniedPageShowsNothing()
{
    frmMain &main = open();
    m_fx->dialogs().answerMsgBox(MsgResult::No);
    notify(main, 1);
    QVERIFY(spinUntil([&] { return main.web(1)->LocationName() == u"denied"_s; }));
    run(main, 1, u"new Notification('Sneaky', {body: 'x'})"_s);
    QTest::qWait(500);
    QVERIFY(popups(main)->popups().isEmpty());
}

void tst_EngineNotifications::minimizedWindowShowsItInTheStatusBar()
{
    frmMain &main = open();
    main.showMinimized();
    QVERIFY(main.isMinimized());
    m_fx->dialogs().answerMsgBox(MsgResult::Yes);
    notify(main, 1);
    QVERIFY(spinUntil([&] { return main.statusPanel1->text().contains(u"Title"_s); }));
    QVERIFY2(main.statusPanel1->text().contains(u"Text"_s), qPrintable(main.statusPanel1->text()));
    QVERIFY(main.statusPanel1->text().contains(u"127.0.0.1:%1"_s.arg(m_server.port())));
    QVERIFY(popups(main)->popups().isEmpty());
    QVERIFY(spinUntil([&] { return events(main, 1) == u"show"_s; }));
}

QTEST_MAIN(tst_EngineNotifications)
#include "tst_engine_notifications.moc"
