// What pages ask of the user, answered by the main window: downloads in the
// status bar, files to upload, logins, certificate pages, permissions and
// full screen.

#include "ProgramFixture.h"

#include "FakeDialogs.h"
#include "FakeWebBrowser.h"
#include "FakeWebDownload.h"
#include "Language.h"
#include "Program.h"
#include "WebDownload.h"
#include "frmMain.h"

#include <TabstripP.h>

#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using velmora::mainwindow::frmMain;
using velmora::platform::FakeDialogs;
using velmora::platform::FakeWebBrowser;
using velmora::platform::FakeWebDownload;
using velmora::platform::MsgResult;
using velmora::platform::WebBrowser;
using velmora::platform::WebDownload;
using velmora::test::ProgramFixture;
using namespace Qt::StringLiterals;

namespace {

void quiet(frmMain &w)
{
    w.Timer1->stop();
    w.Timer2->stop();
    QCoreApplication::processEvents();
}

QToolButton *cancelButton(frmMain &w)
{
    return w.findChild<QToolButton *>(u"cmdCancelDownload"_s);
}

QString downloadFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

} // namespace

class tst_MainWindowControl : public QObject
{
    Q_OBJECT

private slots:
    void safeFileName_data();
    void safeFileName();
    void download_askedThenShownInStatusBar();
    void download_notChosenIsDropped();
    void download_failureIsReported();
    void download_cancelButtonCancels();
    void download_ofBackgroundTabShowsWhenItComesForward();
    void fileChooser_data();
    void fileChooser();
    void login_data();
    void login();
    void certificatePage_namesTheProblem();
    void permission_askedOncePerSiteAndKind();
    void fullScreen_pageFillsScreenAndEscapeLeaves();
    void fullScreen_closedPageGivesWayToTheNext();
};

void tst_MainWindowControl::safeFileName_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("safe");
    QTest::newRow("plain") << u"report.pdf"_s << u"report.pdf"_s;
    QTest::newRow("up and out") << u"../../etc/passwd"_s << u"passwd"_s;
    QTest::newRow("backslashes") << u"..\\..\\boot.ini"_s << u"boot.ini"_s;
    QTest::newRow("absolute") << u"/home/x/.bashrc"_s << u"bashrc"_s;
    QTest::newRow("dots only") << u".."_s << u"download"_s;
    QTest::newRow("empty") << QString() << u"download"_s;
    QTest::newRow("trailing slash") << u"folder/"_s << u"download"_s;
    QTest::newRow("control and reserved") << u"a\nb:c?.txt"_s << u"a_b_c_.txt"_s;
    QTest::newRow("cyrillic kept") << u"отчёт 2024.doc"_s << u"отчёт 2024.doc"_s;
}

void tst_MainWindowControl::safeFileName()
{
    QFETCH(QString, suggested);
    QFETCH(QString, safe);
    QCOMPARE(velmora::platform::safeFileName(suggested), safe);
}

void tst_MainWindowControl::download_askedThenShownInStatusBar()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    const QString target = QDir(fx.env.dataHome()).filePath(u"mine.zip"_s);
    fx.dialogs().answerFile(target);

    FakeWebDownload *download =
        fx.web(1)->fakeDownload(u"http://example.com/get?id=1"_s, u"../x/archive.zip"_s, 4096);

    QCOMPARE(fx.dialogs().fileCalls.size(), 1);
    const FakeDialogs::FileCall call = fx.dialogs().fileCalls.constFirst();
    QCOMPARE(call.kind, FakeDialogs::FileKind::Save);
    QCOMPARE(call.dir, QDir(downloadFolder()).filePath(u"archive.zip"_s));
    QVERIFY(call.filter.contains(u"*.zip"_s));
    QCOMPARE(download->state(), WebDownload::State::Running);
    QCOMPARE(download->path(), target);
    QVERIFY(cancelButton(w)->isVisibleTo(&w));

    download->fakeProgress(1024);
    QVERIFY2(w.statusPanel1->text().contains(u"mine.zip"_s), qPrintable(w.statusPanel1->text()));
    QVERIFY2(w.statusPanel1->text().contains(u"25%"_s), qPrintable(w.statusPanel1->text()));

    download->fakeComplete();
    QVERIFY2(w.statusPanel1->text().contains(QDir::toNativeSeparators(target)),
             qPrintable(w.statusPanel1->text()));
    QVERIFY(!cancelButton(w)->isVisibleTo(&w));
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void tst_MainWindowControl::download_notChosenIsDropped()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    const QString before = w.statusPanel1->text();
    FakeWebDownload *download = fx.web(1)->fakeDownload(u"http://example.com/f"_s, u"f.bin"_s);
    QCOMPARE(fx.dialogs().fileCalls.size(), 1);
    QCOMPARE(download->state(), WebDownload::State::Cancelled);
    QVERIFY(download->path().isEmpty());
    QCOMPARE(w.statusPanel1->text(), before);
    QVERIFY(!cancelButton(w)->isVisibleTo(&w));
}

void tst_MainWindowControl::download_failureIsReported()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    fx.dialogs().answerFile(QDir(fx.env.dataHome()).filePath(u"big.iso"_s));
    FakeWebDownload *download = fx.web(1)->fakeDownload(u"http://example.com/big"_s, u"big.iso"_s);
    download->fakeProgress(10);
    download->fakeFail(u"Network disconnected"_s);

    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    const QString message = fx.dialogs().msgCalls.constFirst().text;
    QVERIFY2(message.contains(u"big.iso"_s) && message.contains(u"Network disconnected"_s),
             qPrintable(message));
    QCOMPARE(w.statusPanel1->text(), message);
    QVERIFY(!cancelButton(w)->isVisibleTo(&w));
}

void tst_MainWindowControl::download_cancelButtonCancels()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    fx.dialogs().answerFile(QDir(fx.env.dataHome()).filePath(u"a.bin"_s));
    FakeWebDownload *download = fx.web(1)->fakeDownload(u"http://example.com/a"_s, u"a.bin"_s, 100);
    QVERIFY(cancelButton(w)->isVisibleTo(&w));
    cancelButton(w)->click();
    QCOMPARE(download->cancelCalls, 1);
    QCOMPARE(download->state(), WebDownload::State::Cancelled);
    QVERIFY(!cancelButton(w)->isVisibleTo(&w));
    QVERIFY(w.statusPanel1->text().contains(u"a.bin"_s));
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void tst_MainWindowControl::download_ofBackgroundTabShowsWhenItComesForward()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    w.cmdNew_Click();
    w.Tabstrip1->setValue(2);
    QCOMPARE(w.currentTabNumber(), 2);
    w.statusPanel1->setText(u"tab two"_s);

    fx.dialogs().answerFile(QDir(fx.env.dataHome()).filePath(u"b.bin"_s));
    FakeWebDownload *download = fx.web(1)->fakeDownload(u"http://example.com/b"_s, u"b.bin"_s, 10);
    download->fakeProgress(5);
    QCOMPARE(w.statusPanel1->text(), u"tab two"_s);
    QVERIFY(!cancelButton(w)->isVisibleTo(&w));

    w.Tabstrip1->setValue(1);
    QVERIFY2(w.statusPanel1->text().contains(u"b.bin"_s), qPrintable(w.statusPanel1->text()));
    QVERIFY(cancelButton(w)->isVisibleTo(&w));
}

void tst_MainWindowControl::fileChooser_data()
{
    QTest::addColumn<bool>("multiple");
    QTest::addColumn<QStringList>("accepted");
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("one") << false << QStringList{u".txt"_s} << QStringList{u"/tmp/a.txt"_s}
                         << u"*.txt"_s;
    QTest::newRow("several") << true << QStringList{u"image/png"_s}
                             << QStringList{u"/tmp/a.png"_s, u"/tmp/b.png"_s} << u"*.png"_s;
    QTest::newRow("cancelled") << false << QStringList() << QStringList() << u"*"_s;
}

void tst_MainWindowControl::fileChooser()
{
    QFETCH(bool, multiple);
    QFETCH(QStringList, accepted);
    QFETCH(QStringList, answer);
    QFETCH(QString, pattern);
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    if (multiple)
        fx.dialogs().answerFiles(answer);
    else if (!answer.isEmpty())
        fx.dialogs().answerFile(answer.constFirst());

    QCOMPARE(fx.web(1)->fakeChooseFiles(multiple, accepted), answer);
    const QString filter = multiple ? fx.dialogs().filesCalls.value(0).filter
                                    : fx.dialogs().fileCalls.value(0).filter;
    QCOMPARE(multiple ? fx.dialogs().filesCalls.size() : fx.dialogs().fileCalls.size(), 1);
    QVERIFY2(filter.split(u'|').join(u';').split(u';').contains(pattern), qPrintable(filter));
    if (!multiple)
        QCOMPARE(fx.dialogs().fileCalls.constFirst().kind, FakeDialogs::FileKind::Open);
}

void tst_MainWindowControl::login_data()
{
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<bool>("answered");
    QTest::newRow("site, answered") << false << true;
    QTest::newRow("site, cancelled") << false << false;
    QTest::newRow("proxy, answered") << true << true;
}

void tst_MainWindowControl::login()
{
    QFETCH(bool, proxy);
    QFETCH(bool, answered);
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    if (answered)
        fx.dialogs().answerLogin(u"ivan"_s, u"pa ss"_s);

    const auto answer = fx.web(1)->fakeLogin(u"intranet.example:8080"_s, u"Staff <only>"_s, proxy);

    QCOMPARE(answer.accepted, answered);
    QCOMPARE(answer.user, answered ? u"ivan"_s : QString());
    QCOMPARE(answer.password, answered ? u"pa ss"_s : QString());
    QCOMPARE(fx.dialogs().loginCalls.size(), 1);
    const auto &texts = fx.dialogs().loginCalls.constFirst().texts;
    QVERIFY2(texts.prompt.contains(u"intranet.example:8080"_s), qPrintable(texts.prompt));
    QVERIFY2(texts.prompt.contains(u"Staff <only>"_s), qPrintable(texts.prompt));
    for (const QString &text : {texts.title, texts.userLabel, texts.passwordLabel, texts.ok,
                                texts.cancel})
        QVERIFY(!text.isEmpty());
    auto &lang = fx.program().language();
    QCOMPARE(texts.title, proxy ? lang.own(u"Вход на прокси-сервер", u"Proxy login")
                                : lang.own(u"Вход на сайт", u"Log in to the site"));
}

void tst_MainWindowControl::certificatePage_namesTheProblem()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    using P = WebBrowser::CertificateProblem;
    QStringList texts;
    for (P problem : {P::Untrusted, P::WrongName, P::Expired, P::Revoked, P::Invalid, P::Other}) {
        const auto page = fx.web(1)->fakeCertificateError(u"https://bad.example/"_s, problem);
        QVERIFY(!page.title.isEmpty() && !page.heading.isEmpty() && !page.goOn.isEmpty());
        // The control puts the address in.
        QVERIFY2(page.text.contains(u"%1"_s), qPrintable(page.text));
        texts << page.text;
    }
    texts.removeDuplicates();
    QCOMPARE(texts.size(), 6);
}

void tst_MainWindowControl::permission_askedOncePerSiteAndKind()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    using P = WebBrowser::Permission;
    fx.dialogs().answerMsgBox(MsgResult::No);
    QVERIFY(!fx.web(1)->fakePermission(u"maps.example"_s, P::Geolocation));
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(fx.dialogs().msgCalls.constFirst().buttons, velmora::platform::MsgButtons::YesNo);
    QVERIFY(fx.dialogs().msgCalls.constFirst().text.contains(u"maps.example"_s));

    // Held for the run, in every tab.
    w.cmdNew_Click();
    QVERIFY(!fx.web(2)->fakePermission(u"maps.example"_s, P::Geolocation));
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);

    // Another kind, or another site, is asked anew.
    fx.dialogs().answerMsgBox(MsgResult::Yes);
    QVERIFY(fx.web(1)->fakePermission(u"maps.example"_s, P::Camera));
    fx.dialogs().answerMsgBox(MsgResult::Yes);
    QVERIFY(fx.web(1)->fakePermission(u"other.example"_s, P::Geolocation));
    QCOMPARE(fx.dialogs().msgCalls.size(), 3);
    QVERIFY(fx.web(1)->fakePermission(u"other.example"_s, P::Geolocation));
    QCOMPARE(fx.dialogs().msgCalls.size(), 3);
}

void tst_MainWindowControl::fullScreen_pageFillsScreenAndEscapeLeaves()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    w.show();
    FakeWebBrowser *web = fx.web(1);
    QWidget *page = web->widget();
    QWidget *parent = page->parentWidget();
    const QRect geometry = page->geometry();

    QVERIFY(web->fakeFullScreen(true));
    QVERIFY(page->isWindow());
    QVERIFY(page->isFullScreen());
    QVERIFY(page->isVisible());

    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page));
    QTest::keyClick(page, Qt::Key_Escape);
    QCOMPARE(web->calls.leaveFullScreen, 1);
    QVERIFY(!page->isWindow());
    QCOMPARE(page->parentWidget(), parent);
    QCOMPARE(page->geometry(), geometry);
    QVERIFY(page->isVisible());
}

void tst_MainWindowControl::fullScreen_closedPageGivesWayToTheNext()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    quiet(w);
    w.show();
    w.cmdNew_Click();
    FakeWebBrowser *first = fx.web(1);
    FakeWebBrowser *second = fx.web(2);
    QWidget *parent = first->widget()->parentWidget();
    QVERIFY(first->fakeFullScreen(true));
    QVERIFY(first->widget()->isWindow());

    // Its tab is closed: the page goes without leaving full screen.
    w.discardPage(1);
    QVERIFY(second->fakeFullScreen(true));
    QVERIFY(!first->widget()->isWindow());
    QCOMPARE(first->widget()->parentWidget(), parent);
    QVERIFY(!first->widget()->isVisible());
    QVERIFY(second->widget()->isWindow() && second->widget()->isFullScreen());
}

QTEST_MAIN(tst_MainWindowControl)
#include "tst_mainwindow_control.moc"
