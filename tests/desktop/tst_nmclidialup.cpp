#include "ProgramFixture.h"

#include "Connectivity.h"
#include "FakeDialogs.h"
#include "NmcliDialUp.h"
#include "PostedKeys.h"
#include "Program.h"
#include "frmMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

using namespace velmora;
using namespace Qt::StringLiterals;
using velmora::platform::DialUpConnection;
using velmora::platform::DialUpError;
using velmora::platform::NmcliDialUp;
using velmora::test::ProgramFixture;
using Kind = velmora::platform::DialUpError::Kind;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A stand-in for the network client: logs its arguments, one call a line,
// and its process number, then runs body.
QString writeScript(const QString &dir, const QString &body)
{
    const QString script = u"#!/bin/sh\n"
                           u"echo \"$LC_ALL|$*\" >> '%1/log'\n"
                           u"echo $$ > '%1/pid'\n"_s.arg(dir)
                           + body;
    const QString path = dir + u"/nmcli"_s;
    writeFile(path, script.toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Answers the listings from files.
QString writeClient(const QString &dir, const QString &profiles, const QString &active,
                    int exitCode = 0)
{
    writeFile(dir + u"/profiles"_s, profiles.toUtf8());
    writeFile(dir + u"/active"_s, active.toUtf8());
    return writeScript(dir, u"case \"$*\" in\n"
                            u"  *--active*) cat '%1/active' ;;\n"
                            u"  *'connection show'*) cat '%1/profiles' ;;\n"
                            u"esac\n"
                            u"exit %2\n"_s.arg(dir)
                                .arg(exitCode));
}

QStringList logLines(const QString &dir)
{
    QFile file(dir + u"/log"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// The last client started, while it runs.
bool clientRunning(const QString &dir)
{
    QFile file(dir + u"/pid"_s);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const int pid = file.readAll().trimmed().toInt();
    if (pid <= 0 || ::kill(pid, 0) != 0)
        return false;
    // A killed client not yet reaped runs no more.
    QFile stat(u"/proc/%1/stat"_s.arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

// Short enough for a test, long enough for a loaded machine to start a shell.
constexpr NmcliDialUp::Timeouts TestTimeouts{2000, 2000};

} // namespace

// NetworkManager's client as the dial-up: stand-ins that answer, fail,
// hang or flood, and a window that keeps answering meanwhile.
class TestNmcliDialUp : public QObject
{
    Q_OBJECT
private slots:
    void terseLines_data();
    void terseLines();
    void networkClientPhoneBook();
    void networkClientMissingOrFailing();
    void networkClientDialsAndHangsUp();
    void networkClientThatHangsIsKilled();
    void networkClientFloodIsCut();
    void windowAnswersWhileTheClientHangs();
    void failingClientIsTold();
};

void TestNmcliDialUp::terseLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("plain") << u"Work:gsm"_s << QStringList{u"Work"_s, u"gsm"_s};
    QTest::newRow("escaped colon")
        << u"VPN\\: office:vpn"_s << QStringList{u"VPN: office"_s, u"vpn"_s};
    QTest::newRow("escaped backslash") << u"a\\\\b:pppoe"_s << QStringList{u"a\\b"_s, u"pppoe"_s};
    QTest::newRow("empty fields") << u"::"_s << QStringList{QString(), QString(), QString()};
    QTest::newRow("trailing backslash") << u"x\\"_s << QStringList{u"x\\"_s};
}

void TestNmcliDialUp::terseLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(NmcliDialUp::splitTerseLine(line), fields);
}

void TestNmcliDialUp::networkClientPhoneBook()
{
    QTemporaryDir dir;
    const QString client = writeClient(dir.path(),
                                       u"Wired connection 1:802-3-ethernet\n"
                                       u"Мобильный:gsm\n"
                                       u"Home\\:DSL:pppoe\n"
                                       u"Cafe:802-11-wireless\n"
                                       u"Office VPN:vpn\n"_s,
                                       u"1111:802-3-ethernet:activated\n"
                                       u"2222:gsm:activating\n"
                                       u"3333:vpn:activated\n"_s);
    NmcliDialUp dialUp(client);

    std::optional<QStringList> names;
    services::enumEntries(dialUp, [&](const QStringList &answer, const DialUpError &error) {
        QVERIFY(!error.failed());
        names = answer;
    });
    QTRY_VERIFY(names);
    QCOMPARE(*names, (QStringList{u"Мобильный"_s, u"Home:DSL"_s, u"Office VPN"_s}));

    std::optional<QList<DialUpConnection>> connections;
    bool answered = false;
    dialUp.activeConnections(
        [&](const std::optional<QList<DialUpConnection>> &list, const DialUpError &) {
            connections = list;
            answered = true;
        });
    QTRY_VERIFY(answered);
    QVERIFY(connections);
    QCOMPARE(connections->size(), 2);
    QCOMPARE(connections->at(0).handle, u"2222"_s);
    QVERIFY(!connections->at(0).connected);
    QCOMPARE(connections->at(1).handle, u"3333"_s);
    QVERIFY(connections->at(1).connected);
    // The first dialled connection is still coming up.
    std::optional<bool> up;
    services::isConnected(dialUp, [&](bool connected) { up = connected; });
    QTRY_VERIFY(up);
    QVERIFY(!*up);

    // State names are asked for untranslated.
    for (const QString &line : logLines(dir.path()))
        QVERIFY2(line.startsWith(u"C|-t -f "_s), qPrintable(line));
}

void TestNmcliDialUp::networkClientMissingOrFailing()
{
    QTemporaryDir dir;
    const auto entriesOf = [](NmcliDialUp &dialUp) {
        std::optional<std::pair<bool, DialUpError>> result;
        dialUp.entries([&](const std::optional<QStringList> &entries, const DialUpError &error) {
            result = {entries.has_value(), error};
        });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 10000))
            return std::pair<bool, DialUpError>{true, {}};
        return *result;
    };

    NmcliDialUp missing(dir.path() + u"/no-such-client"_s, TestTimeouts);
    const auto [missingListed, missingError] = entriesOf(missing);
    QVERIFY(!missingListed);
    QCOMPARE(missingError.kind, Kind::Unavailable);

    // A client whose service is not running fails its calls, and says why.
    writeFile(dir.path() + u"/profiles"_s, "Modem:gsm\n");
    const QString failing = writeScript(
        dir.path(), u"cat '%1/profiles'\n"
                    u"printf 'Warning: ignored\\n\\nError: NetworkManager is not running.\\n' >&2\n"
                    u"exit 8\n"_s.arg(dir.path()));
    NmcliDialUp down(failing, TestTimeouts);
    const auto [downListed, downError] = entriesOf(down);
    QVERIFY(!downListed);
    QCOMPARE(downError.kind, Kind::Failed);
    QCOMPARE(downError.detail, u"Error: NetworkManager is not running."_s);
    std::optional<bool> up;
    services::isConnected(down, [&](bool connected) { up = connected; });
    QTRY_VERIFY(up);
    QVERIFY(!*up);
}

void TestNmcliDialUp::networkClientDialsAndHangsUp()
{
    QTemporaryDir dir;
    const QString client = writeClient(dir.path(), u"Modem:gsm\n"_s,
                                       u"aaaa:gsm:activated\nbbbb:pppoe:activated\n"_s);
    NmcliDialUp dialUp(client, {2000, 12000});

    std::optional<DialUpError> dialled;
    services::dialConnection(dialUp, u"My \"modem\" 2"_s,
                             [&](const DialUpError &error) { dialled = error; });
    QTRY_VERIFY(dialled);
    QVERIFY(!dialled->failed());
    // The client gives up a little before it would be killed.
    QVERIFY(logLines(dir.path()).contains(u"C|--wait 7 connection up id My \"modem\" 2"_s));

    std::optional<services::HangUpResult> result;
    services::hangUp(dialUp, [&](const services::HangUpResult &answer) { result = answer; });
    QTRY_VERIFY(result);
    QCOMPARE(result->ended, 2);
    QVERIFY(logLines(dir.path()).contains(u"C|--wait 7 connection down uuid aaaa"_s));
    QVERIFY(logLines(dir.path()).contains(u"C|--wait 7 connection down uuid bbbb"_s));
}

void TestNmcliDialUp::networkClientThatHangsIsKilled()
{
    QTemporaryDir dir;
    const QString client = writeScript(dir.path(), u"exec sleep 60\n"_s);
    NmcliDialUp dialUp(client, {3000, 3000});
    std::optional<DialUpError> answer;
    dialUp.dial(u"Modem"_s, [&](const DialUpError &error) { answer = error; });
    QTRY_VERIFY_WITH_TIMEOUT(clientRunning(dir.path()), 30000);
    QVERIFY(!answer);
    QTRY_VERIFY(answer);
    QCOMPARE(answer->kind, Kind::TimedOut);
    QTRY_VERIFY_WITH_TIMEOUT(!clientRunning(dir.path()), 30000);

    // One still running when the object goes is killed, and never answers.
    bool late = false;
    auto quitting = std::make_unique<NmcliDialUp>(client, NmcliDialUp::Timeouts{60000, 60000});
    QFile::remove(dir.path() + u"/pid"_s);
    quitting->entries(
        [&](const std::optional<QStringList> &, const DialUpError &) { late = true; });
    QTRY_VERIFY_WITH_TIMEOUT(clientRunning(dir.path()), 30000);
    quitting.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!clientRunning(dir.path()), 30000);
    QTest::qWait(50);
    QVERIFY(!late);
}

void TestNmcliDialUp::networkClientFloodIsCut()
{
    QTemporaryDir dir;
    const QString client = writeScript(dir.path(), u"exec yes 'Modem:gsm'\n"_s);
    NmcliDialUp dialUp(client, {10000, 10000});
    std::optional<DialUpError> answer;
    dialUp.entries([&](const std::optional<QStringList> &entries, const DialUpError &error) {
        QVERIFY(!entries);
        answer = error;
    });
    QTRY_VERIFY(answer);
    QCOMPARE(answer->kind, Kind::Failed);
    QTRY_VERIFY_WITH_TIMEOUT(!clientRunning(dir.path()), 30000);
}

void TestNmcliDialUp::windowAnswersWhileTheClientHangs()
{
    QTemporaryDir dir;
    const QString client = writeScript(dir.path(), u"exec sleep 60\n"_s);
    ProgramFixture fx;
    fx.program().platform().dialUp = std::make_unique<NmcliDialUp>(client, TestTimeouts);
    auto &w = fx.start();
    QVERIFY(velmora::test::activateForKeys(w));

    // The phone book is still being asked for: the window takes keys at once.
    QTRY_VERIFY_WITH_TIMEOUT(clientRunning(dir.path()), 30000);
    const int tabs = w.webCount();
    const qint64 delay = velmora::test::postedKeyDelayMs(w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY2(delay >= 0 && delay < 100, qPrintable(QString::number(delay)));
    QTRY_COMPARE(w.webCount(), tabs + 1);
    QVERIFY(clientRunning(dir.path()));

    // After its time the client is given up, and the menu says so.
    QAction *none = w.actionNamed(u"MnuConnections_0"_s);
    QTRY_COMPARE(none->text(), u"(нет соединений: список недоступен)"_s);
    QVERIFY(none->toolTip().contains(u"не ответила вовремя"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!clientRunning(dir.path()), 30000);
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void TestNmcliDialUp::failingClientIsTold()
{
    QTemporaryDir dir;
    // Lists one modem; dialling it hangs; hanging up is refused.
    const QString client = writeScript(
        dir.path(), u"case \"$*\" in\n"
                    u"  *--active*) echo 'aaaa:gsm:activated' ;;\n"
                    u"  *'connection show'*) echo 'Modem:gsm' ;;\n"
                    u"  *'connection up'*) exec sleep 60 ;;\n"
                    u"  *) echo 'Error: not authorized to deactivate.' >&2; exit 1 ;;\n"
                    u"esac\n"_s);
    ProgramFixture fx;
    fx.program().platform().dialUp = std::make_unique<NmcliDialUp>(client, TestTimeouts);
    auto &w = fx.start();
    QVERIFY(velmora::test::activateForKeys(w));
    QTRY_VERIFY(w.actionNamed(u"MnuConnections_1"_s));

    w.actionNamed(u"MnuConnections_1"_s)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(clientRunning(dir.path()), 30000);
    const int tabs = w.webCount();
    const qint64 delay = velmora::test::postedKeyDelayMs(w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY2(delay >= 0 && delay < 100, qPrintable(QString::number(delay)));
    QTRY_COMPARE(w.webCount(), tabs + 1);
    QTRY_COMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(fx.dialogs().msgCalls.at(0).text,
             u"Не удалось подключиться к «Modem».\r\nСлужба соединений не ответила вовремя."_s);

    w.actionNamed(u"mnuHangUp"_s)->trigger();
    QTRY_COMPARE(fx.dialogs().msgCalls.size(), 2);
    QCOMPARE(fx.dialogs().msgCalls.at(1).text,
             u"Не удалось отключиться от интернета.\r\nОтвет службы соединений: Error: not "
             u"authorized to deactivate."_s);
}

QTEST_MAIN(TestNmcliDialUp)
#include "tst_nmclidialup.moc"
