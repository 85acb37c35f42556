// What pages ask of the user, through the main window over real engine
// pages: downloads, file uploads, logins, certificate errors, permissions.

#include "EngineErrorPage.h"
#include "TabPage.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "ProgramFixture.h"
#include "TlsServer.h"

#include "EngineWebBrowser.h"
#include "FakeDialogs.h"
#include "Language.h"
#include "Program.h"
#include "frmMain.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

using velmora::mainwindow::frmMain;
using velmora::platform::EngineErrorPage;
using velmora::platform::EngineWebBrowser;
using velmora::platform::FakeDialogs;
using velmora::platform::MsgResult;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::spinUntil;
using namespace Qt::StringLiterals;

namespace {

QWebEnginePage *pageOf(frmMain &main, int tab)
{
    return velmora::test::tabPage(main, tab);
}

QVariant run(frmMain &main, int tab, const QString &script)
{
    return velmora::test::runInTab(main, tab, script);
}

bool shows(frmMain &main, int tab, const QUrl &url)
{
    auto *web = main.web(tab);
    return web && web->LocationURL() == url.toString() && !web->Busy();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_EngineControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void download_savedWholeWhereTheUserChose();
    void download_cancelledDialogWritesNothing();
    void download_unwritableIsReportedAsFailed();
    void savePage_isNoDownloadToAsk();
    void fileInput_receivesChosenFiles_data();
    void fileInput_receivesChosenFiles();
    void login_letsThePageOpen();
    void login_cancelShowsServersPage();
    void certificateError_showsOwnPageThenSiteAfterGoingOn();
    void certificateError_subresourceStaysBlocked();
    void permission_answerReachesPage_data();
    void permission_answerReachesPage();
    void fullScreen_grantedAndEscapeLeaves();

private:
    frmMain &open(const QString &path);
    FakeDialogs &dialogs() { return m_fx->dialogs(); }
    QString own(const char16_t *ru, const char16_t *en)
    {
        return m_fx->program().language().own(ru, en);
    }

    HttpServer m_server;
    QByteArray m_payload;
    QTemporaryDir m_out;
    std::unique_ptr<ProgramFixture> m_fx;
};

void tst_EngineControl::initTestCase()
{
    QVERIFY(m_server.isListening());
    QVERIFY(m_out.isValid());
    // Big enough to come in several pieces; every byte value appears.
    m_payload.resize(700 * 1024);
    for (qsizetype i = 0; i < m_payload.size(); ++i)
        m_payload[i] = char(QRandomGenerator::global()->bounded(256));
    m_server.setAttachment(u"/file.bin"_s, m_payload, "../../report 2024.bin");
    m_server.setPage(u"/links.html"_s, u"Links"_s, u"<a id='get' href='file.bin'>Download</a>"_s);
    m_server.setPage(u"/upload.html"_s, u"Upload"_s,
                     u"<input type='file' id='one' style='width:300px;height:60px'>"
                     "<input type='file' id='many' multiple style='width:300px;height:60px'>"_s);
    m_server.setPage(u"/secret.html"_s, u"Secret"_s, u"<p>inside</p>"_s);
    m_server.setLogin(u"/secret.html"_s, "anna", "s3cret", "Staff area",
                      "<html><head><title>Denied</title></head><body>No entry</body></html>");
    m_server.setPage(u"/ask.html"_s, u"Ask"_s);
    m_server.setPage(u"/video.html"_s, u"Video"_s,
                     u"<div id='player' style='width:300px;height:100px;background:#080'"
                     " onclick='this.requestFullscreen()'></div>"_s);
}

void tst_EngineControl::init()
{
    m_fx = std::make_unique<ProgramFixture>(true, ProgramFixture::Pages::Engine);
}

void tst_EngineControl::cleanup()
{
    m_fx.reset();
}

frmMain &tst_EngineControl::open(const QString &path)
{
    const QUrl url = m_server.url(path);
    frmMain &main = m_fx->start(url.toString());
    spinUntil([&] { return shows(main, 1, url); });
    return main;
}

void tst_EngineControl::download_savedWholeWhereTheUserChose()
{
    frmMain &main = open(u"/links.html"_s);
    QVERIFY(shows(main, 1, m_server.url(u"/links.html"_s)));
    // The save dialog asked before replacing a file: the chosen name is used as it is.
    const QString target = m_out.filePath(u"saved.bin"_s);
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content");
    }
    dialogs().answerFile(target);
    run(main, 1, u"document.getElementById('get').click()"_s);

    QVERIFY(spinUntil([&] { return !dialogs().fileCalls.isEmpty(); }));
    const FakeDialogs::FileCall call = dialogs().fileCalls.constFirst();
    QCOMPARE(call.kind, FakeDialogs::FileKind::Save);
    // The server's name, kept inside the start folder.
    QCOMPARE(QFileInfo(call.dir).fileName(), u"report 2024.bin"_s);
    QVERIFY(!call.dir.contains(u".."_s));

    QVERIFY(spinUntil([&] { return fileBytes(target).size() == m_payload.size(); }, 20000));
    QVERIFY(fileBytes(target) == m_payload);
    const QString saved = own(u"Файл сохранён: %1", u"File saved: %1")
                              .arg(QDir::toNativeSeparators(target));
    QVERIFY(spinUntil([&] { return main.statusPanel1->text() == saved; }));
    QVERIFY(dialogs().msgCalls.isEmpty());
    QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"saved.bin"_s});
    // The page stays where it was.
    QCOMPARE(main.web(1)->LocationURL(), m_server.url(u"/links.html"_s).toString());
}

void tst_EngineControl::download_cancelledDialogWritesNothing()
{
    frmMain &main = open(u"/links.html"_s);
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!QFileInfo(downloads).isDir())
        downloads = QDir::homePath();
    const QStringList before = QDir(downloads).entryList(QDir::Files | QDir::Hidden);
    const int served = m_server.requestCount(u"/file.bin"_s);
    run(main, 1, u"document.getElementById('get').click()"_s);
    QVERIFY(spinUntil([&] { return !dialogs().fileCalls.isEmpty(); }));
    QVERIFY(m_server.requestCount(u"/file.bin"_s) > served);
    QCOMPARE(QFileInfo(dialogs().fileCalls.constFirst().dir).absolutePath(),
             QFileInfo(downloads).absoluteFilePath());
    velmora::test::settle(500);
    const QString start = dialogs().fileCalls.constFirst().dir;
    QVERIFY(!QFileInfo::exists(start));
    const QDir folder = QFileInfo(start).dir();
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), before);
    QCOMPARE(main.statusPanel1->text().contains(u"report"_s), false);
}

void tst_EngineControl::download_unwritableIsReportedAsFailed()
{
    // The chosen folder is a file: nothing can be written there.
    const QString blocker = m_out.filePath(u"not-a-folder"_s);
    {
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    frmMain &main = open(u"/links.html"_s);
    dialogs().answerFile(blocker + u"/report.bin"_s);
    run(main, 1, u"document.getElementById('get').click()"_s);

    QVERIFY(spinUntil([&] { return !dialogs().msgCalls.isEmpty(); }, 20000));
    const QString message = dialogs().msgCalls.constFirst().text;
    QVERIFY2(message.contains(u"report.bin"_s), qPrintable(message));
    QCOMPARE(main.statusPanel1->text(), message);
    QCOMPARE(dialogs().fileCalls.size(), 1);
}

void tst_EngineControl::savePage_isNoDownloadToAsk()
{
    frmMain &main = open(u"/links.html"_s);
    const QString target = m_out.filePath(u"page.mhtml"_s);
    main.web(1)->savePage(target);
    QVERIFY(spinUntil([&] { return fileBytes(target).contains("Download"); }));
    QVERIFY(dialogs().fileCalls.isEmpty());
}

void tst_EngineControl::fileInput_receivesChosenFiles_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("single") << u"one"_s << QStringList{u"a.txt"_s};
    QTest::newRow("multiple") << u"many"_s << QStringList{u"a.txt"_s, u"b.txt"_s};
}

void tst_EngineControl::fileInput_receivesChosenFiles()
{
    QFETCH(QString, input);
    QFETCH(QStringList, names);
    QStringList paths;
    for (const QString &name : std::as_const(names)) {
        QFile file(m_out.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name.toUtf8());
        paths << file.fileName();
    }
    if (names.size() > 1)
        dialogs().answerFiles(paths);
    else
        dialogs().answerFile(paths.constFirst());

    frmMain &main = open(u"/upload.html"_s);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QWebEnginePage *page = pageOf(main, 1);
    QVERIFY(page);
    // A file chooser opens only for the user's own click.
    const QVariantList rect =
        run(main, 1, u"(function(){var r=document.getElementById('%1').getBoundingClientRect();"
                     "return [r.left + r.width/2, r.top + r.height/2];})()"_s.arg(input))
            .toList();
    QCOMPARE(rect.size(), 2);
    auto *view = qobject_cast<QWebEngineView *>(QWebEngineView::forPage(page));
    QVERIFY(view && view->focusProxy());
    const QPoint at(int(rect[0].toDouble()), int(rect[1].toDouble()));
    const auto asked = [&] { return dialogs().fileCalls.size() + dialogs().filesCalls.size(); };
    // Without a window system the view may take its first click for itself.
    for (int tries = 0; tries < 3 && asked() == 0; ++tries) {
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, at);
        spinUntil([&] { return asked() > 0; }, 2000);
    }

    const QString names_js = u"Array.from(document.getElementById('%1').files)"
                             ".map(function(f){return f.name;}).join(',')"_s.arg(input);
    QVERIFY(spinUntil([&] { return run(main, 1, names_js).toString() == names.join(u','); }));
    if (names.size() > 1)
        QCOMPARE(dialogs().filesCalls.size(), 1);
    else
        QCOMPARE(dialogs().fileCalls.size(), 1);
}

void tst_EngineControl::login_letsThePageOpen()
{
    dialogs().answerLogin(u"anna"_s, u"s3cret"_s);
    frmMain &main = open(u"/secret.html"_s);
    const QUrl url = m_server.url(u"/secret.html"_s);
    QVERIFY(spinUntil([&] { return shows(main, 1, url) && main.web(1)->LocationName() == u"Secret"_s; }));
    QCOMPARE(dialogs().loginCalls.size(), 1);
    const auto &texts = dialogs().loginCalls.constFirst().texts;
    QVERIFY2(texts.prompt.contains(u"127.0.0.1:%1"_s.arg(m_server.port())), qPrintable(texts.prompt));
    QVERIFY2(texts.prompt.contains(u"Staff area"_s), qPrintable(texts.prompt));
    QCOMPARE(run(main, 1, u"document.body.innerText"_s).toString().trimmed(), u"inside"_s);
}

void tst_EngineControl::login_cancelShowsServersPage()
{
    frmMain &main = open(u"/secret.html"_s);
    const QUrl url = m_server.url(u"/secret.html"_s);
    QVERIFY(spinUntil([&] { return shows(main, 1, url) && main.web(1)->LocationName() == u"Denied"_s; }));
    QCOMPARE(dialogs().loginCalls.size(), 1);
    QCOMPARE(run(main, 1, u"document.body.innerText"_s).toString().trimmed(), u"No entry"_s);
}

void tst_EngineControl::certificateError_showsOwnPageThenSiteAfterGoingOn()
{
    velmora::test::TlsServer tls("<!DOCTYPE html><title>Secure site</title><p>welcome</p>");
    if (!tls.isListening())
        QFAIL(qPrintable(tls.why()));
    const QUrl url = tls.url(u"/start.html"_s);
    frmMain &main = m_fx->start(url.toString());
    const QString title = own(u"Ошибка сертификата", u"Certificate error");
    QVERIFY(spinUntil([&] { return main.web(1)->LocationName() == title; }));
    // Like every error page, it stands at the wrapper location of the site's
    // address (kept out of the address history); the page names the site.
    QCOMPARE(EngineErrorPage::addressAskedFor(main.web(1)->LocationURL()), url.toString());
    QVERIFY(main.web(1)->LocationURL() != url.toString());
    const QString text = run(main, 1, u"document.body.innerText"_s).toString();
    QVERIFY2(text.contains(url.toDisplayString()), qPrintable(text));
    QCOMPARE(tls.requestCount(), 0);

    run(main, 1, u"document.getElementById('goOn').click()"_s);
    QVERIFY(spinUntil([&] { return main.web(1)->LocationName() == u"Secure site"_s; }));
    QCOMPARE(main.web(1)->LocationURL(), url.toString());
    QVERIFY(tls.requestCount() >= 1);

    // For the rest of the run the site opens at once, in any tab.
    main.mnuNew->trigger();
    const int tab = main.currentTabNumber();
    main.web(tab)->Navigate2(tls.url(u"/other.html"_s).toString());
    QVERIFY(spinUntil([&] { return main.web(tab)->LocationName() == u"Secure site"_s; }));
}

void tst_EngineControl::certificateError_subresourceStaysBlocked()
{
    velmora::test::TlsServer tls("<title>pic</title>");
    if (!tls.isListening())
        QFAIL(qPrintable(tls.why()));
    m_server.setPage(u"/mixed.html"_s, u"Mixed"_s,
                     u"<img id='pic' src='%1' onerror='document.title=\"blocked\"'>"_s.arg(
                         tls.url(u"/pic.png"_s).toString()));
    frmMain &main = open(u"/mixed.html"_s);
    QVERIFY(spinUntil([&] { return main.web(1)->LocationName() == u"blocked"_s; }));
    QCOMPARE(tls.requestCount(), 0);
    QCOMPARE(main.web(1)->LocationURL(), m_server.url(u"/mixed.html"_s).toString());
}

void tst_EngineControl::permission_answerReachesPage_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<QString>("state");
    QTest::newRow("no") << MsgResult::No << u"denied"_s;
    QTest::newRow("yes") << MsgResult::Yes << u"granted"_s;
}

void tst_EngineControl::permission_answerReachesPage()
{
    QFETCH(MsgResult, answer);
    QFETCH(QString, state);
    frmMain &main = open(u"/ask.html"_s);
    QVERIFY(shows(main, 1, m_server.url(u"/ask.html"_s)));
    dialogs().answerMsgBox(answer);
    const QString ask = u"Notification.requestPermission().then(function(r){document.title=r;});"_s;
    run(main, 1, ask);
    QVERIFY(spinUntil([&] { return main.web(1)->LocationName() == state; }));
    QCOMPARE(dialogs().msgCalls.size(), 1);
    QVERIFY2(dialogs().msgCalls.constFirst().text.contains(u"127.0.0.1:%1"_s.arg(m_server.port())),
             qPrintable(dialogs().msgCalls.constFirst().text));

    // The answer holds for the site: a reloaded page is not asked again.
    main.web(1)->Refresh();
    QVERIFY(spinUntil([&] { return main.web(1)->LocationName() == u"Ask"_s; }));
    run(main, 1, ask);
    QVERIFY(spinUntil([&] { return main.web(1)->LocationName() == state; }));
    QCOMPARE(dialogs().msgCalls.size(), 1);
}

void tst_EngineControl::fullScreen_grantedAndEscapeLeaves()
{
    frmMain &main = open(u"/video.html"_s);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QWidget *page = main.web(1)->widget();
    QWidget *parent = page->parentWidget();
    auto *view = QWebEngineView::forPage(pageOf(main, 1));
    QVERIFY(view && view->focusProxy());
    // Full screen needs the user's own click.
    const QVariantList rect =
        run(main, 1, u"(function(){var r=document.getElementById('player').getBoundingClientRect();"
                     "return [r.left + r.width/2, r.top + r.height/2];})()"_s)
            .toList();
    QCOMPARE(rect.size(), 2);
    // Without a window system the view may take its first click for itself.
    for (int tries = 0; tries < 3 && !page->isWindow(); ++tries) {
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {},
                          QPoint(int(rect[0].toDouble()), int(rect[1].toDouble())));
        spinUntil([&] { return page->isWindow(); }, 2000);
    }
    const QString inFullScreen = u"document.fullscreenElement ? document.fullscreenElement.id : ''"_s;
    QVERIFY(spinUntil([&] { return page->isWindow(); }));
    QVERIFY(page->isFullScreen());
    QVERIFY(spinUntil([&] { return run(main, 1, inFullScreen).toString() == u"player"_s; }));

    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page));
    QTest::keyClick(page, Qt::Key_Escape);
    QVERIFY(spinUntil([&] { return run(main, 1, inFullScreen).toString().isEmpty(); }));
    QVERIFY(spinUntil([&] { return !page->isWindow(); }));
    QCOMPARE(page->parentWidget(), parent);
}

QTEST_MAIN(tst_EngineControl)
#include "tst_engine_control.moc"
