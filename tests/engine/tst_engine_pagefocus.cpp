// Where the keyboard goes while real engine pages load and menus open: the
// user's part of the window keeps the focus it was given.

#include "EventLoop.h"
#include "HttpServer.h"
#include "LocalHostLookups.h"
#include "PageScript.h"
#include "ProgramFixture.h"
#include "TabPage.h"

#include "Program.h"
#include "frmMain.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QTimer>

using velmora::mainwindow::frmMain;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::spinUntil;

namespace {

bool activate(frmMain &main)
{
    main.show();
    QApplication::setActiveWindow(&main);
    main.activateWindow();
    return QTest::qWaitForWindowActive(&main);
}

// Waits until the synchroniser has ticked this many more times.
bool synchroniserTicks(frmMain &main, int ticks)
{
    int seen = 0;
    const auto counting = QObject::connect(main.Timer1, &QTimer::timeout, [&] { ++seen; });
    const bool ok = spinUntil([&] { return seen >= ticks; }, 20000);
    QObject::disconnect(counting);
    return ok;
}

// Each key goes where the keyboard focus is, as the user's would.
void typeWhereFocused(const QString &text)
{
    for (const QChar c : text) {
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused);
        QTest::keyClicks(focused, QString(c));
    }
}

} // namespace

class tst_EnginePageFocus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void newTabsBlankPageLeavesTypingInAddressBar();
    void editMenuWithSliderFocusedLeavesPage();

private:
    HttpServer m_server;
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_EnginePageFocus::initTestCase()
{
    velmora::test::keepHostLookupsLocal();
    QVERIFY(m_server.isListening());
    m_server.setPage(QStringLiteral("/a.html"), QStringLiteral("Page A"),
                     QStringLiteral("<p id='t'>Select me</p>"));
    m_server.setPage(QStringLiteral("/b.html"), QStringLiteral("Page B"),
                     QStringLiteral("<p>B</p>"));
}

void tst_EnginePageFocus::init()
{
    m_fx = std::make_unique<ProgramFixture>(true, ProgramFixture::Pages::Engine);
}

void tst_EnginePageFocus::cleanup()
{
    m_fx.reset();
}

// Ctrl+Q, then straight to the address bar: the new tab's blank page comes
// in while the user types, and every key stays in the address bar.
void tst_EnginePageFocus::newTabsBlankPageLeavesTypingInAddressBar()
{
    const QUrl a = m_server.url(QStringLiteral("/a.html"));
    const QUrl b = m_server.url(QStringLiteral("/b.html"));
    frmMain &main = m_fx->start(a.toString());
    if (!activate(main))
        QSKIP("the platform cannot activate a window");
    QVERIFY(spinUntil([&] { return main.web(1)->LocationURL() == a.toString() && !main.web(1)->Busy(); }));
    QVERIFY(spinUntil([&] { return !main.pageFocusPending; }));

    main.mnuNew->trigger();
    QCOMPARE(main.currentTabNumber(), 2);
    int completes = 0;
    connect(main.web(2), &velmora::platform::WebBrowser::DownloadComplete, this,
            [&] { ++completes; });
    main.Combo1->setFocus(Qt::MouseFocusReason);
    main.Combo1->lineEdit()->selectAll();
    const QString typed = b.toString();
    const qsizetype half = typed.size() / 2;
    typeWhereFocused(typed.left(half));
    QVERIFY(spinUntil([&] { return completes > 0; }));
    QVERIFY(synchroniserTicks(main, 3));
    typeWhereFocused(typed.mid(half));

    QCOMPARE(main.Combo1->currentText(), typed);
    QCOMPARE(main.FocusOwner, 1);
    QWidget *focused = QApplication::focusWidget();
    QVERIFY(focused == main.Combo1 || main.Combo1->isAncestorOf(focused));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(spinUntil([&] { return main.web(2)->LocationURL() == b.toString(); }));
}

// With the tab slider focused, an Edit menu opened over the page leaves
// the focus on the slider and its Copy leaves the page's selection alone.
void tst_EnginePageFocus::editMenuWithSliderFocusedLeavesPage()
{
    const QUrl a = m_server.url(QStringLiteral("/a.html"));
    frmMain &main = m_fx->start(a.toString());
    if (!activate(main))
        QSKIP("the platform cannot activate a window");
    QVERIFY(spinUntil([&] { return main.web(1)->LocationURL() == a.toString() && !main.web(1)->Busy(); }));
    main.mnuNew->trigger();
    main.Tabstrip1->setValue(1);
    QVERIFY(spinUntil([&] { return main.spinbutton1->isEnabled(); }));
    QCOMPARE(velmora::test::runInTab(main, 1,
                                     QStringLiteral("getSelection().selectAllChildren("
                                                    "document.getElementById('t'));"
                                                    "String(getSelection())")),
             QVariant(QStringLiteral("Select me")));
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    main.spinbutton1->setFocus(Qt::TabFocusReason);
    QVERIFY(spinUntil([&] { return main.FocusOwner == 4; }));
    QMenu *edit = main.menuNamed(QStringLiteral("mnuEdit"));
    QVERIFY(edit);
    edit->popup(main.mapToGlobal(QPoint(20, 20)));
    QVERIFY(spinUntil([&] { return edit->isVisible(); }));
    // The synchroniser and the mouse over the page run while it is open.
    QVERIFY(synchroniserTicks(main, 3));
    main.HTML_onmousemove();
    edit->hide();
    main.actionNamed(QStringLiteral("mnuCopy"))->trigger();
    main.actionNamed(QStringLiteral("mnuSelAll"))->trigger();
    // A script's answer comes after any command sent to the page before it.
    QCOMPARE(velmora::test::runInTab(main, 1, QStringLiteral("String(getSelection())")),
             QVariant(QStringLiteral("Select me")));
    QCOMPARE(clipboard->text(), QStringLiteral("before"));
    QCOMPARE(main.FocusOwner, 4);
    QCOMPARE(QApplication::focusWidget(), main.spinbutton1);

    // The same command with the page focused copies, so the one above was
    // really refused.
    main.web(1)->SetFocus();
    QVERIFY(spinUntil([&] { return main.FocusOwner == 2; }));
    main.actionNamed(QStringLiteral("mnuCopy"))->trigger();
    QVERIFY(spinUntil([&] { return clipboard->text() == QStringLiteral("Select me"); }));
}

QTEST_MAIN(tst_EnginePageFocus)
#include "tst_engine_pagefocus.moc"
