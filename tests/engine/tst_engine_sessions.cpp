// Saved tabs opened again over real engine pages: records the engine cannot
// go to stand next to good ones, each tab showing its own page.

#include "EventLoop.h"
#include "HttpServer.h"
#include "LocalHostLookups.h"
#include "ProgramFixture.h"
#include "TabRowReading.h"
#include "TestPictures.h"

#include "EngineWebBrowser.h"

#include "FakeDialogs.h"
#include "Program.h"
#include "frmMain.h"
#include "frmOptions.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWebEnginePage>

using velmora::mainwindow::frmMain;
using velmora::platform::EngineWebBrowser;
using velmora::platform::MsgResult;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::test::spinUntil;
using namespace Qt::StringLiterals;

namespace {

QWebEnginePage *pageOf(const frmMain &main, int tab)
{
    auto *web = qobject_cast<EngineWebBrowser *>(main.web(tab));
    return web ? web->page() : nullptr;
}

bool finished(const frmMain &main, int tab)
{
    return main.web(tab) && !main.web(tab)->Busy() && pageOf(main, tab)
           && !pageOf(main, tab)->url().isEmpty();
}

// The tab's own view is what the window shows where pages go.
bool showsOnTop(const frmMain &main, int tab)
{
    QWidget *own = main.web(tab)->widget();
    QWidget *area = own->parentWidget();
    if (!own->isVisible() || !area)
        return false;
    QWidget *seen = area->childAt(own->geometry().center());
    return seen && (seen == own || own->isAncestorOf(seen));
}

} // namespace

class tst_EngineSessions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void unnavigableRecordsShowTheirOwnPage();
    void pictureLoadedAsTabList();

private:
    // Loads the file as saved tabs, online, each new tab selected in turn.
    void loadTabs(const QByteArray &bytes);

    HttpServer m_server;
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_EngineSessions::initTestCase()
{
    velmora::test::keepHostLookupsLocal();
    QVERIFY(m_server.isListening());
    m_server.setPage(u"/a.html"_s, u"Page A"_s, u"<p>A</p>"_s);
    m_server.setPage(u"/b.html"_s, u"Page B"_s, u"<p>B</p>"_s);
}

void tst_EngineSessions::init()
{
    m_fx = std::make_unique<ProgramFixture>(true, ProgramFixture::Pages::Engine);
}

void tst_EngineSessions::cleanup()
{
    m_fx.reset();
}

void tst_EngineSessions::loadTabs(const QByteArray &bytes)
{
    const QString path = QDir(m_fx->env.programDir()).filePath(u"tabs.btl"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    m_fx->program().optionFlags.opNW = true;
    m_fx->dialogs().answerFile(path);
    m_fx->dialogs().answerMsgBox(MsgResult::No);
    m_fx->main().mnuLoadTabs_Click();
}

void tst_EngineSessions::unnavigableRecordsShowTheirOwnPage()
{
    const QString a = m_server.url(u"/a.html"_s).toString();
    const QString b = m_server.url(u"/b.html"_s).toString();
    frmMain &main = m_fx->start(u"about:blank"_s);
    QVERIFY(spinUntil([&] { return finished(main, 1); }));
    const QStringList records{a, u"::::"_s, b, u"%zz"_s};
    loadTabs(records.join(u"\r\n").toLatin1() + "\r\n");
    QCOMPARE(openTabs(main), (QList<int>{1, 2, 3, 4, 5}));
    for (int tab = 2; tab <= 5; ++tab)
        QVERIFY2(spinUntil([&] { return finished(main, tab); }), qPrintable(records.at(tab - 2)));

    // Every tab has a page of its own, never one shared with another tab.
    QSet<QWebEnginePage *> pages;
    for (int tab = 1; tab <= 5; ++tab)
        pages.insert(pageOf(main, tab));
    QCOMPARE(pages.size(), 5);
    QCOMPARE(pageOf(main, 2)->url(), QUrl(a));
    QCOMPARE(pageOf(main, 4)->url(), QUrl(b));

    for (int tab = 2; tab <= 5; ++tab) {
        const QString asked = records.at(tab - 2);
        const bool good = tab == 2 || tab == 4;
        const QString title = tab == 2 ? u"Page A"_s : tab == 4 ? u"Page B"_s : asked;
        main.Tabstrip1->setValue(tab);
        QVERIFY(spinUntil([&] { return main.currentTabNumber() == tab; }));
        QVERIFY2(showsOnTop(main, tab), qPrintable(asked));
        QCOMPARE(main.web(tab)->LocationURL(), asked);
        QVERIFY2(spinUntil([&] { return main.Combo1->currentText() == asked; }),
                 qPrintable(main.Combo1->currentText()));
        QVERIFY2(spinUntil([&] { return main.Tabstrip1->tabCaption(tab) == title; }),
                 qPrintable(main.Tabstrip1->tabCaption(tab)));
        QVERIFY2(spinUntil([&] { return main.windowTitle() == title + u" - Velmora"_s; }),
                 qPrintable(main.windowTitle()));
        // An unnavigable address shows an empty page, not the engine's last one.
        if (!good)
            QCOMPARE(pageOf(main, tab)->url(), QUrl(u"about:blank"_s));
    }
}

void tst_EngineSessions::pictureLoadedAsTabList()
{
    frmMain &main = m_fx->start(u"about:blank"_s);
    QVERIFY(spinUntil([&] { return finished(main, 1); }));
    loadTabs(velmora::test::redPng(40, 30));
    const QList<int> tabs = openTabs(main);
    QVERIFY(tabs.size() > 1);
    QSet<QWebEnginePage *> pages;
    for (int tab : tabs) {
        QVERIFY(spinUntil([&] { return finished(main, tab); }, 30000));
        pages.insert(pageOf(main, tab));
        main.Tabstrip1->setValue(tab);
        QVERIFY(spinUntil([&] { return main.currentTabNumber() == tab; }));
        QVERIFY(showsOnTop(main, tab));
        // Whatever the bytes asked for, the tab says it.
        QVERIFY2(!main.web(tab)->LocationURL().isEmpty(), qPrintable(QString::number(tab)));
        QVERIFY2(spinUntil([&] { return main.windowTitle() != u" - Velmora"_s; }),
                 qPrintable(QString::number(tab)));
    }
    QCOMPARE(pages.size(), tabs.size());
}

QTEST_MAIN(tst_EngineSessions)
#include "tst_engine_sessions.moc"
