#include "ProgramFixture.h"

#include "FakeDialUp.h"
#include "Product.h"
#include "FakeDialogs.h"
#include "FakeWebBrowser.h"
#include "HttpServer.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "TabstripP.h"
#include "UpdateCheck.h"
#include "frmMain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace velmora;
using namespace velmora::platform;
using namespace velmora::services;
using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;

namespace {

const QString general = u"general"_s;
const QString lastKey = u"LastNotification"_s;
const QString versionKey = u"NotificationVer"_s;

QByteArray reply(const QByteArray &version)
{
    return "[VERSION]\r\n" + version + "[/VERSION]\r\n";
}

QDate today()
{
    return QDateTime::currentDateTimeUtc().date();
}

// One tick of the update timer, and what it started run to its end.
void tick(frmMain &w)
{
    w.tmrUpd_Timer();
    QTRY_VERIFY_WITH_TIMEOUT(!w.updateCheckRunning(), 30000);
}

// Where Yes on the notice goes: the build's download page, else its product
// page, else what the bundled help says of the program.
QString downloadPage(ProgramFixture &fx)
{
    if (const QString page = QString::fromUtf16(product::DownloadPage); !page.isEmpty())
        return page;
    if (const QString page = QString::fromUtf16(product::Page); !page.isEmpty())
        return page;
    const QString help = QDir(fx.env.programDir()).filePath(u"help.html"_s);
    fx.env.writeProgramFile(u"help.html"_s, "<h2 id=\"about\">О программе</h2>");
    return QUrl::fromLocalFile(help).toString() + u"#about"_s;
}

} // namespace

class tst_UpdateCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationVersion(u"1.4.7"_s); }
    void init();
    void cleanup();

    void isNewerVersion_data();
    void isNewerVersion();
    void leadingNumber_data();
    void leadingNumber();
    void versionFromReply_data();
    void versionFromReply();
    void noticeText();
    void onlyAVersionIsStoredOrShown_data();
    void onlyAVersionIsStoredOrShown();
    void noAddressNoRequest_data();
    void noAddressNoRequest();

    void unarmedTickDoesNothing();
    void dialUpConnectionIsOnline_data();
    void dialUpConnectionIsOnline();
    void firstArmedTickAnnouncesAndOpensDownloadPage();
    void checksAtMostEveryTwoDays_data();
    void checksAtMostEveryTwoDays();
    void unreadableLastCheckKeepsTimerOn();
    void replyWithoutNewVersion_data();
    void replyWithoutNewVersion();
    void answerNoAnnouncesOnce();
    void malformedVersionChecksAgainNextRun();
    void tabLimitLeavesLastTabAlone();

private:
    frmMain &startArmed(ProgramFixture &fx);
    std::unique_ptr<HttpServer> m_server;
};

void tst_UpdateCheck::init()
{
    m_server = std::make_unique<HttpServer>();
    QVERIFY(m_server->isListening());
    qputenv("VELMORA_UPDATE_URL", m_server->url(u"/version.txt"_s).toString().toLatin1());
}

void tst_UpdateCheck::cleanup()
{
    qunsetenv("VELMORA_UPDATE_URL");
    m_server.reset();
}

frmMain &tst_UpdateCheck::startArmed(ProgramFixture &fx)
{
    frmMain &w = fx.start();
    w.updateArmed = true;
    return w;
}

void tst_UpdateCheck::isNewerVersion_data()
{
    QTest::addColumn<QString>("candidate");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("newer");
    QTest::addColumn<bool>("malformed");
    struct Row
    {
        const char *candidate;
        const char *current;
        bool newer;
        bool malformed;
    };
    const Row rows[] = {
        {"1.5.0", "1.4.7", true, false},
        {"1.3.9", "1.4.0", false, false},
        {"1.4.0", "1.4.0", false, false},
        {"1.4.10", "1.4.9", true, false},
        {"2.0", "1.4.0", true, false},
        {"2.0", "2.0.0", false, true},
        {"1.4.0", "1.4", false, true},
        {"1.5.0", "1.b.0", false, true},
        {"1.4.0.9", "1.4.0", false, false},
        {"1.5a.0", "1.4.0", true, false},
        {"1.x.0", "1.0.0", false, false},
        {"1.5.0\r\n", "1.4.9", true, false},
        {"", "1.0.0", false, false},
        {"1.0.0", "", true, false},
        {"", "", false, false},
    };
    for (const Row &row : rows) {
        QTest::addRow("%s vs %s", row.candidate, row.current)
            << QString::fromLatin1(row.candidate) << QString::fromLatin1(row.current)
            << row.newer << row.malformed;
    }
}

void tst_UpdateCheck::isNewerVersion()
{
    QFETCH(QString, candidate);
    QFETCH(QString, current);
    QFETCH(bool, newer);
    QFETCH(bool, malformed);
    ProgramFixture fx;
    SettingsStore &settings = fx.program().settings();
    settings.SaveSetting(general, lastKey, u"01.02.2020"_s);
    settings.SaveSetting(general, versionKey, u"1.2.3"_s);
    settings.SaveSetting(general, u"language"_s, u"English"_s);
    QCOMPARE(services::isNewerVersion(settings, candidate, current), newer);
    QCOMPARE(settings.GetSetting(general, lastKey).isEmpty(), malformed);
    QCOMPARE(settings.GetSetting(general, versionKey).isEmpty(), malformed);
    QCOMPARE(settings.GetSetting(general, u"language"_s), u"English"_s);
}

void tst_UpdateCheck::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("digits") << u"15"_s << 15.0;
    QTest::newRow("letters end it") << u"5a3"_s << 5.0;
    QTest::newRow("blanks first") << u"  7"_s << 7.0;
    QTest::newRow("sign") << u"-3"_s << -3.0;
    QTest::newRow("one point") << u"1.5.7"_s << 1.5;
    QTest::newRow("no digits") << u"x5"_s << 0.0;
    QTest::newRow("sign alone") << u"+"_s << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
}

void tst_UpdateCheck::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(services::leadingNumber(text), number);
}

void tst_UpdateCheck::versionFromReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("announced");
    QTest::addColumn<QString>("version");
    QTest::newRow("document") << u"[VERSION]\r\n1.5.0[/VERSION]\r\n"_s << true << u"1.5.0"_s;
    QTest::newRow("no closing marker") << u"[VERSION]\r\n1.5.0"_s << true << u"1.5.0"_s;
    QTest::newRow("closing marker without line break")
        << u"[VERSION]\r\n1.5.0[/VERSION]"_s << true << u"1.5.0[/VERSION]"_s;
    QTest::newRow("line break kept") << u"[VERSION]\r\n1.5.0\r\n[/VERSION]\r\n"_s << true
                                     << u"1.5.0\r\n"_s;
    // The first eleven characters go, wherever the marker is.
    QTest::newRow("marker later") << u"xx[VERSION]\r\n1.5.0[/VERSION]\r\n"_s << true
                                  << u"\r\n1.5.0"_s;
    QTest::newRow("error page") << u"<html><body>404 Not Found</body></html>"_s << false
                                << QString();
    QTest::newRow("lower case marker") << u"[version]\r\n1.5.0[/version]\r\n"_s << false
                                       << QString();
    QTest::newRow("empty") << QString() << false << QString();
}

void tst_UpdateCheck::versionFromReply()
{
    QFETCH(QString, reply);
    QFETCH(bool, announced);
    QFETCH(QString, version);
    const std::optional<QString> found = services::versionFromReply(reply);
    QCOMPARE(found.has_value(), announced);
    if (announced)
        QCOMPARE(*found, version);
}

void tst_UpdateCheck::noticeText()
{
    QCOMPARE(updateNoticeText(u"1.5.0"_s, u"1.4.7"_s),
             u"Вышла новая версия Velmora.\r\n\r\nНовая версия: 1.5.0\r\nТекущая версия: 1.4.7"
             u"\r\n\r\nПерейти на страничку программы для получения дополнительной информации "
             u"(откроется в новой вкладке)?"_s);
}





void tst_UpdateCheck::onlyAVersionIsStoredOrShown_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("announced"); // empty: no notice
    QTest::newRow("line break before the closing marker")
        << QByteArray("[VERSION]\r\n1.5.0\r\n[/VERSION]\r\n") << u"1.5.0"_s;
    QTest::newRow("two parts") << reply("2.0") << u"2.0"_s;
    QTest::newRow("markup") << reply("<b>9.9.9</b>") << QString();
    QTest::newRow("words after the version") << reply("1.5.0 is out, see our page") << QString();
    QTest::newRow("letters inside") << reply("1.5a.0") << QString();
    QTest::newRow("a part too long") << reply("1.5.1234567890") << QString();
    QTest::newRow("five parts") << reply("1.5.0.0.1") << QString();
    QTest::newRow("empty") << reply("") << QString();
    QTest::newRow("a second line") << reply("1.5.0\r\nRun this: rm -rf ~") << QString();
}

void tst_UpdateCheck::onlyAVersionIsStoredOrShown()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, announced);
    m_server->setResource(u"/version.txt"_s, "text/plain", body);
    ProgramFixture fx;
    frmMain &w = startArmed(fx);
    fx.dialogs().answerMsgBox(MsgResult::No);
    tick(w);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), 1);
    QVERIFY(!w.tmrUpd->isActive());
    SettingsStore &settings = fx.program().settings();
    QCOMPARE(settings.GetSetting(general, versionKey), announced);
    QCOMPARE(fx.dialogs().msgCalls.size(), announced.isEmpty() ? 0 : 1);
    if (!announced.isEmpty())
        QCOMPARE(fx.dialogs().msgCalls.first().text, updateNoticeText(announced, u"1.4.7"_s));
}

void tst_UpdateCheck::noAddressNoRequest_data()
{
    QTest::addColumn<QByteArray>("address"); // in the environment
    QTest::newRow("none") << QByteArray();
    QTest::newRow("a file") << QByteArray("file:///dev/zero");
    QTest::newRow("no address") << QByteArray("update server");
    QTest::newRow("no host") << QByteArray("http:///version.txt");
}

void tst_UpdateCheck::noAddressNoRequest()
{
    QFETCH(QByteArray, address);
    if (!QString::fromUtf16(product::VersionDocument).isEmpty() && address.isEmpty())
        QSKIP("this build names an update address");
    if (address.isEmpty())
        qunsetenv("VELMORA_UPDATE_URL");
    else
        qputenv("VELMORA_UPDATE_URL", address);
    QVERIFY(updateVersionUrl().isEmpty());

    ProgramFixture fx;
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.5.0"));
    fx.dialUp().connections = {{u"modem"_s, true}};
    frmMain &w = startArmed(fx);
    tick(w);
    QVERIFY(!w.tmrUpd->isActive());
    QCOMPARE(fx.dialUp().connectionQueries, 0);
    QCOMPARE(fx.program().settings().GetSetting(general, lastKey), QString());
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    QVERIFY(m_server->requestedPaths().isEmpty());
}

void tst_UpdateCheck::unarmedTickDoesNothing()
{
    ProgramFixture fx;
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.5.0"));
    frmMain &w = fx.start();
    QVERIFY(w.tmrUpd->isActive());
    QCOMPARE(w.tmrUpd->interval(), 60000);
    w.updateArmed = false;
    tick(w);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), 0);
    QVERIFY(w.tmrUpd->isActive());
    QCOMPARE(fx.program().settings().GetSetting(general, lastKey), QString());
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void tst_UpdateCheck::dialUpConnectionIsOnline_data()
{
    QTest::addColumn<QList<bool>>("connections"); // the platform's order
    QTest::addColumn<bool>("checks");
    QTest::newRow("none") << QList<bool>{} << false;
    QTest::newRow("first up") << QList<bool>{true} << true;
    QTest::newRow("first dialling") << QList<bool>{false} << false;
    QTest::newRow("only the first counts") << QList<bool>{false, true} << false;
}

void tst_UpdateCheck::dialUpConnectionIsOnline()
{
    QFETCH(QList<bool>, connections);
    QFETCH(bool, checks);
    ProgramFixture fx;
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.4.7"));
    for (qsizetype i = 0; i < connections.size(); ++i)
        fx.dialUp().connections.append({QString::number(i), connections[i]});
    frmMain &w = fx.start();
    w.updateArmed = false;
    tick(w);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), checks ? 1 : 0);
    QCOMPARE(w.tmrUpd->isActive(), !checks);
}

void tst_UpdateCheck::firstArmedTickAnnouncesAndOpensDownloadPage()
{
    ProgramFixture fx;
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.5.0"));
    frmMain &w = startArmed(fx);
    const int tabsBefore = w.webCount();
    const QString page = downloadPage(fx);
    fx.dialogs().answerMsgBox(MsgResult::Yes);

    tick(w);

    QCOMPARE(m_server->requestCount(u"/version.txt"_s), 1);
    QVERIFY(!w.tmrUpd->isActive());
    SettingsStore &settings = fx.program().settings();
    QCOMPARE(settings.GetSetting(general, lastKey), checkDateText(today()));
    QCOMPARE(settings.GetSetting(general, versionKey), u"1.5.0"_s);
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    const auto &call = fx.dialogs().msgCalls.first();
    QCOMPARE(call.text, updateNoticeText(u"1.5.0"_s, u"1.4.7"_s));
    QCOMPARE(call.buttons, MsgButtons::YesNo);
    QCOMPARE(call.icon, MsgIcon::Information);
    QCOMPARE(call.title, fx.program().language().langText(5));
    // A new selected tab, and it alone goes to the download page.
    QCOMPARE(w.webCount(), tabsBefore + 1);
    const int newest = w.webCount() - 1;
    QCOMPARE(w.currentTabNumber(), newest);
    QCOMPARE(fx.web(newest)->calls.navigations.last(), page);
    for (int i = 0; i < newest; ++i) {
        if (FakeWebBrowser *other = fx.web(i))
            QVERIFY(!other->calls.navigations.contains(page));
    }
}

void tst_UpdateCheck::checksAtMostEveryTwoDays_data()
{
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("checks");
    QTest::newRow("default") << u"01.01.0001"_s << true;
    QTest::newRow("today") << checkDateText(today()) << false;
    QTest::newRow("yesterday") << checkDateText(today().addDays(-1)) << false;
    QTest::newRow("two days ago") << checkDateText(today().addDays(-2)) << true;
    QTest::newRow("without leading zeros")
        << today().addDays(-2).toString(u"d.M.yyyy"_s) << true;
    QTest::newRow("a year ago") << checkDateText(today().addYears(-1)) << true;
    QTest::newRow("in the future") << checkDateText(today().addDays(3)) << false;
}

void tst_UpdateCheck::checksAtMostEveryTwoDays()
{
    QFETCH(QString, last);
    QFETCH(bool, checks);
    ProgramFixture fx;
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.4.7"));
    fx.program().settings().SaveSetting(general, lastKey, last);
    frmMain &w = startArmed(fx);
    tick(w);
    QVERIFY(!w.updateArmed);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), checks ? 1 : 0);
    QCOMPARE(w.tmrUpd->isActive(), !checks);
    QCOMPARE(fx.program().settings().GetSetting(general, lastKey),
             checks ? checkDateText(today()) : last);
    QVERIFY(fx.dialogs().msgCalls.isEmpty()); // the same version as running
}

void tst_UpdateCheck::unreadableLastCheckKeepsTimerOn()
{
    ProgramFixture fx;
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.5.0"));
    fx.program().settings().SaveSetting(general, lastKey, u"yesterday"_s);
    frmMain &w = startArmed(fx);
    tick(w);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), 0);
    QVERIFY(w.tmrUpd->isActive());
    QVERIFY(!w.updateArmed);
    QCOMPARE(fx.program().settings().GetSetting(general, lastKey), u"yesterday"_s);
}

void tst_UpdateCheck::replyWithoutNewVersion_data()
{
    QTest::addColumn<QString>("path"); // what the server holds at the address
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("announced");
    QTest::newRow("older") << u"/version.txt"_s << reply("1.3.9") << QString();
    QTest::newRow("same") << u"/version.txt"_s << reply("1.4.7") << QString();
    QTest::newRow("already announced") << u"/version.txt"_s << reply("1.5.0") << u"1.5.0"_s;
    QTest::newRow("older than announced") << u"/version.txt"_s << reply("1.5.0") << u"1.6.0"_s;
    QTest::newRow("error page") << u"/elsewhere"_s << QByteArray() << QString();
    QTest::newRow("no marker") << u"/version.txt"_s << QByteArray("1.5.0\r\n") << QString();
}

void tst_UpdateCheck::replyWithoutNewVersion()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(QString, announced);
    ProgramFixture fx;
    m_server->setResource(path, "text/plain", body);
    if (!announced.isEmpty())
        fx.program().settings().SaveSetting(general, versionKey, announced);
    frmMain &w = startArmed(fx);
    const int tabsBefore = w.webCount();
    tick(w);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), 1);
    QVERIFY(!w.tmrUpd->isActive());
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    QCOMPARE(w.webCount(), tabsBefore);
    QCOMPARE(fx.program().settings().GetSetting(general, versionKey), announced);
    QCOMPARE(fx.program().settings().GetSetting(general, lastKey), checkDateText(today()));
}

void tst_UpdateCheck::answerNoAnnouncesOnce()
{
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.5.0"));
    ProgramFixture fx;
    frmMain &w = startArmed(fx);
    const int tabsBefore = w.webCount();
    fx.dialogs().answerMsgBox(MsgResult::No);
    tick(w);
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(w.webCount(), tabsBefore);
    QCOMPARE(fx.program().settings().GetSetting(general, versionKey), u"1.5.0"_s);

    // A later run, two days on: the same version is not announced again...
    fx.program().settings().SaveSetting(general, lastKey, checkDateText(today().addDays(-2)));
    w.tmrUpd->start();
    w.updateArmed = true;
    tick(w);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), 2);
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QVERIFY(!w.tmrUpd->isActive());

    // ...but a newer one is.
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.5.1"));
    fx.program().settings().SaveSetting(general, lastKey, checkDateText(today().addDays(-2)));
    w.tmrUpd->start();
    w.updateArmed = true;
    fx.dialogs().answerMsgBox(MsgResult::No);
    tick(w);
    QCOMPARE(fx.dialogs().msgCalls.size(), 2);
    QCOMPARE(fx.program().settings().GetSetting(general, versionKey), u"1.5.1"_s);
}

void tst_UpdateCheck::malformedVersionChecksAgainNextRun()
{
    QCoreApplication::setApplicationVersion(u"2.0.0"_s);
    const auto restore = qScopeGuard([] { QCoreApplication::setApplicationVersion(u"1.4.7"_s); });
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("2.0"));
    ProgramFixture fx;
    fx.program().settings().SaveSetting(general, versionKey, u"1.9.0"_s);
    frmMain &w = startArmed(fx);
    tick(w);
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    QVERIFY(!w.tmrUpd->isActive());
    SettingsStore &settings = fx.program().settings();
    QCOMPARE(settings.GetSetting(general, versionKey), QString());
    // Back at its default: the next armed tick checks at once.
    QCOMPARE(settings.GetSetting(general, lastKey), QString());
    w.tmrUpd->start();
    w.updateArmed = true;
    tick(w);
    QCOMPARE(m_server->requestCount(u"/version.txt"_s), 2);
}

void tst_UpdateCheck::tabLimitLeavesLastTabAlone()
{
    m_server->setResource(u"/version.txt"_s, "text/plain", reply("1.5.0"));
    ProgramFixture fx;
    frmMain &w = startArmed(fx);
    // Every tab number has been given out: no new tab can open.
    w.Tabstrip1->setTabs(frmMain::MaxTab + 1);
    QCOMPARE(w.Tabstrip1->tabs().toInt(), frmMain::MaxTab + 1);
    const int tabsBefore = w.webCount();
    const int last = tabsBefore - 1;
    const QStringList navigationsBefore = fx.web(last)->calls.navigations;
    fx.dialogs().answerMsgBox(MsgResult::Yes);
    tick(w);
    QVERIFY(fx.dialogs().msgCalls.size() >= 1);
    QCOMPARE(fx.dialogs().msgCalls.first().text, updateNoticeText(u"1.5.0"_s, u"1.4.7"_s));
    QCOMPARE(w.webCount(), tabsBefore);
    QCOMPARE(fx.web(last)->calls.navigations, navigationsBefore);
    QVERIFY(!w.tmrUpd->isActive());
}

QTEST_MAIN(tst_UpdateCheck)
#include "tst_updatecheck.moc"
