#include "ProgramFixture.h"

#include "Connectivity.h"
#include "FakeDialUp.h"
#include "FakeDialogs.h"
#include "Language.h"
#include "NmcliDialUp.h"
#include "PostedKeys.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>

using namespace velmora;
using namespace Qt::StringLiterals;
using velmora::platform::DialUpConnection;
using velmora::platform::DialUpError;
using velmora::platform::FakeDialUp;
using velmora::platform::MsgIcon;
using velmora::platform::NmcliDialUp;
using velmora::test::ProgramFixture;
using Kind = velmora::platform::DialUpError::Kind;

Q_DECLARE_METATYPE(velmora::platform::DialUpError::Kind)

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
    return pid > 0 && ::kill(pid, 0) == 0;
}

QStringList captions(const std::vector<QAction *> &elements, bool visibleOnly)
{
    QStringList result;
    for (const QAction *element : elements) {
        if (!visibleOnly || element->isVisible())
            result.append(element->text());
    }
    return result;
}

QStringList visibleItems(QMenu *menu)
{
    QStringList visible;
    for (QAction *item : menu->actions()) {
        if (item->isVisible())
            visible.append(item->text());
    }
    return visible;
}

// Short enough for a test, long enough for a loaded machine to start a shell.
constexpr NmcliDialUp::Timeouts TestTimeouts{2000, 2000};

} // namespace

class TestDialUp : public QObject
{
    Q_OBJECT
private slots:
    void fillConnections_data();
    void fillConnections();
    void isConnected_data();
    void isConnected();
    void hangUpEndsEveryConnectionInOrder_data();
    void hangUpEndsEveryConnectionInOrder();

    void mainWindowFillsTheDialUpMenuOnceWithoutWaiting();
    void mainWindowSaysWhyTheListIsEmpty_data();
    void mainWindowSaysWhyTheListIsEmpty();
    void dialAndHangUpReachThePlatform();
    void failuresAreTold_data();
    void failuresAreTold();

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

void TestDialUp::fillConnections_data()
{
    QTest::addColumn<QStringList>("phoneBook");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QStringList>("shown");

    const QString none = u"(нет соединений)"_s;
    QTest::newRow("no entries") << QStringList() << false << QStringList{none};
    QTest::newRow("phone book unreadable")
        << QStringList{u"Ignored"_s} << true << QStringList{none};
    QTest::newRow("two entries, platform order")
        << QStringList{u"Work"_s, u"Home ISP"_s} << false << QStringList{u"Work"_s, u"Home ISP"_s};
    QTest::newRow("one entry") << QStringList{u"Модем"_s} << false << QStringList{u"Модем"_s};
}

void TestDialUp::fillConnections()
{
    QFETCH(QStringList, phoneBook);
    QFETCH(bool, unreadable);
    QFETCH(QStringList, shown);

    FakeDialUp dialUp;
    dialUp.phoneBook = phoneBook;
    dialUp.failEntries = unreadable;
    QMenu menu;
    QAction *none = menu.addAction(u"(нет соединений)"_s);
    none->setObjectName(u"MnuConnections_0"_s);
    none->setEnabled(false);
    std::vector<QAction *> elements{none};

    std::optional<QStringList> names;
    DialUpError error;
    services::enumEntries(dialUp, [&](const QStringList &answer, const DialUpError &failure) {
        names = answer;
        error = failure;
    });
    QVERIFY(!names); // never from within the call
    QTRY_VERIFY(names);
    QCOMPARE(error.failed(), unreadable);
    const int count = services::addConnections(menu, elements, *names);

    QCOMPARE(count, unreadable ? 0 : int(phoneBook.size()));
    QCOMPARE(captions(elements, true), shown);
    QCOMPARE(int(elements.size()), count + 1);
    QCOMPARE(menu.actions().size(), count + 1);
    for (int i = 1; i <= count; ++i) {
        QCOMPARE(elements[size_t(i)]->objectName(), u"MnuConnections_%1"_s.arg(i));
        QVERIFY(elements[size_t(i)]->isEnabled());
        QCOMPARE(menu.actions().at(i), elements[size_t(i)]);
    }
    QCOMPARE(none->isVisible(), count == 0);
}

void TestDialUp::isConnected_data()
{
    QTest::addColumn<QList<DialUpConnection>>("connections");
    QTest::addColumn<bool>("unlistable");
    QTest::addColumn<bool>("connected");

    const DialUpConnection up{u"up"_s, true};
    const DialUpConnection dialling{u"dialling"_s, false};
    QTest::newRow("none") << QList<DialUpConnection>{} << false << false;
    QTest::newRow("one up") << QList<DialUpConnection>{up} << false << true;
    QTest::newRow("only the second is up")
        << QList<DialUpConnection>{dialling, up} << false << false;
    QTest::newRow("first up, second not") << QList<DialUpConnection>{up, dialling} << false << true;
    QTest::newRow("cannot be listed") << QList<DialUpConnection>{up} << true << false;
}

void TestDialUp::isConnected()
{
    QFETCH(QList<DialUpConnection>, connections);
    QFETCH(bool, unlistable);
    QFETCH(bool, connected);

    FakeDialUp dialUp;
    dialUp.connections = connections;
    dialUp.failConnections = unlistable;
    std::optional<bool> answer;
    services::isConnected(dialUp, [&](bool up) { answer = up; });
    QVERIFY(!answer);
    QTRY_VERIFY(answer);
    QCOMPARE(*answer, connected);
}

void TestDialUp::hangUpEndsEveryConnectionInOrder_data()
{
    QTest::addColumn<QList<DialUpConnection>>("connections");
    QTest::addColumn<bool>("unlistable");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QStringList>("hungUp");
    QTest::addColumn<int>("ended");
    QTest::addColumn<bool>("noneActive");

    const QList<DialUpConnection> three{{u"c1"_s, true}, {u"c2"_s, false}, {u"c3"_s, true}};
    const QStringList all{u"c1"_s, u"c2"_s, u"c3"_s};
    QTest::newRow("no active connection")
        << QList<DialUpConnection>{} << false << false << QStringList() << 0 << true;
    QTest::newRow("three, in order") << three << false << false << all << 3 << false;
    QTest::newRow("cannot be listed")
        << QList<DialUpConnection>{{u"c1"_s, true}} << true << false << QStringList() << 0 << false;
    // Every connection is still asked to end.
    QTest::newRow("refused") << three << false << true << all << 0 << false;
}

void TestDialUp::hangUpEndsEveryConnectionInOrder()
{
    QFETCH(QList<DialUpConnection>, connections);
    QFETCH(bool, unlistable);
    QFETCH(bool, refused);
    QFETCH(QStringList, hungUp);
    QFETCH(int, ended);
    QFETCH(bool, noneActive);

    FakeDialUp dialUp;
    dialUp.connections = connections;
    dialUp.failConnections = unlistable;
    dialUp.failHangUp = refused;
    std::optional<services::HangUpResult> result;
    services::hangUp(dialUp, [&](const services::HangUpResult &answer) {
        QVERIFY(!result); // once
        result = answer;
    });
    QTRY_VERIFY(result);
    QCOMPARE(dialUp.hungUp, hungUp);
    QCOMPARE(result->ended, ended);
    QCOMPARE(result->noneActive, noneActive);
    QCOMPARE(result->error.failed(), unlistable || refused);
}

void TestDialUp::mainWindowFillsTheDialUpMenuOnceWithoutWaiting()
{
    ProgramFixture fx;
    fx.dialUp().phoneBook = {u"Work"_s, u"Home ISP"_s};
    fx.dialUp().hold = true;
    auto &w = fx.start();

    // The load has not waited for the phone book.
    QCOMPARE(fx.dialUp().entryQueries, 1);
    QMenu *menu = w.menuNamed(u"mnuConnect"_s);
    QVERIFY(menu);
    QCOMPARE(visibleItems(menu), QStringList{u"(нет соединений)"_s});

    fx.dialUp().release();
    QTRY_COMPARE(visibleItems(menu), fx.dialUp().phoneBook);
    QAction *first = w.actionNamed(u"MnuConnections_1"_s);
    QVERIFY(first && first->isEnabled());
    QCOMPARE(first->text(), u"Work"_s);
    QVERIFY(!w.actionNamed(u"MnuConnections_0"_s)->isVisible());

    // Entries added later do not appear.
    fx.dialUp().hold = false;
    fx.dialUp().phoneBook.append(u"Later"_s);
    w.Timer1_Timer();
    QTest::qWait(50);
    QCOMPARE(fx.dialUp().entryQueries, 1);
    QVERIFY(!w.actionNamed(u"MnuConnections_3"_s));
}

void TestDialUp::mainWindowSaysWhyTheListIsEmpty_data()
{
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QString>("caption");
    QTest::newRow("empty phone book") << false << u"(нет соединений)"_s;
    QTest::newRow("phone book unreadable") << true << u"(нет соединений: список недоступен)"_s;
}

void TestDialUp::mainWindowSaysWhyTheListIsEmpty()
{
    QFETCH(bool, unreadable);
    QFETCH(QString, caption);
    ProgramFixture fx;
    fx.dialUp().failEntries = unreadable;
    fx.dialUp().failure = {Kind::TimedOut, {}};
    auto &w = fx.start();

    QMenu *menu = w.menuNamed(u"mnuConnect"_s);
    QAction *none = w.actionNamed(u"MnuConnections_0"_s);
    QTRY_COMPARE(none->text(), caption);
    QCOMPARE(menu->actions().size(), 1);
    QVERIFY(none->isVisible());
    QVERIFY(!none->isEnabled());
    QCOMPARE(none->toolTip().contains(u"не ответила"_s), unreadable);
    // Not a box at start-up: most desktops dial nothing.
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void TestDialUp::dialAndHangUpReachThePlatform()
{
    ProgramFixture fx;
    fx.dialUp().phoneBook = {u"Work"_s, u"Home ISP"_s};
    auto &w = fx.start();
    QTRY_VERIFY(w.actionNamed(u"MnuConnections_2"_s));

    w.actionNamed(u"MnuConnections_2"_s)->trigger();
    QCOMPARE(fx.dialUp().dialled, QStringList{u"Home ISP"_s});
    w.actionNamed(u"MnuConnections_1"_s)->trigger();
    QCOMPARE(fx.dialUp().dialled, (QStringList{u"Home ISP"_s, u"Work"_s}));
    // The disabled item dials nothing.
    w.actionNamed(u"MnuConnections_0"_s)->trigger();
    QCOMPARE(fx.dialUp().dialled.size(), 2);

    fx.dialUp().connections = {{u"a"_s, true}, {u"b"_s, false}};
    w.actionNamed(u"mnuHangUp"_s)->trigger();
    QTRY_COMPARE(fx.dialUp().hungUp, (QStringList{u"a"_s, u"b"_s}));
    QTest::qWait(50);
    // What went well needs no box.
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void TestDialUp::failuresAreTold_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("hangUp"); // else dial "Work"
    QTest::addColumn<int>("connections");
    QTest::addColumn<bool>("unlistable");
    QTest::addColumn<Kind>("kind"); // of the failing call's error
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("text");
    QTest::addColumn<MsgIcon>("icon");

    const QString ru = u"Russian"_s;
    const QString en = u"English"_s;
    QTest::newRow("dial refused")
        << ru << false << 0 << false << Kind::Failed << u"Error: no modem."_s
        << u"Не удалось подключиться к «Work».\r\nОтвет службы соединений: Error: no modem."_s
        << MsgIcon::Exclamation;
    QTest::newRow("dial refused, English")
        << en << false << 0 << false << Kind::Failed << u"Error: no modem."_s
        << u"Could not connect to “Work”.\r\nThe connection service answered: Error: no modem."_s
        << MsgIcon::Exclamation;
    QTest::newRow("dial timed out")
        << ru << false << 0 << false << Kind::TimedOut << QString()
        << u"Не удалось подключиться к «Work».\r\nСлужба соединений не ответила вовремя."_s
        << MsgIcon::Exclamation;
    QTest::newRow("hang-up refused")
        << ru << true << 2 << false << Kind::Failed << QString()
        << u"Не удалось отключиться от интернета.\r\nСлужба соединений сообщила об ошибке."_s
        << MsgIcon::Exclamation;
    QTest::newRow("hang-up, connections unlistable, English")
        << en << true << 1 << true << Kind::Unavailable << QString()
        << u"Could not disconnect from the Internet.\r\nThe system's connection service cannot "
           u"be reached."_s
        << MsgIcon::Exclamation;
    QTest::newRow("nothing to hang up")
        << ru << true << 0 << false << Kind::None << QString()
        << u"Нет активных соединений: отключаться не от чего."_s << MsgIcon::Information;
    QTest::newRow("nothing to hang up, English")
        << en << true << 0 << false << Kind::None << QString()
        << u"No connection is active: there is nothing to hang up."_s << MsgIcon::Information;
}

void TestDialUp::failuresAreTold()
{
    QFETCH(QString, language);
    QFETCH(bool, hangUp);
    QFETCH(int, connections);
    QFETCH(bool, unlistable);
    QFETCH(Kind, kind);
    QFETCH(QString, detail);
    QFETCH(QString, text);
    QFETCH(MsgIcon, icon);

    ProgramFixture fx;
    fx.program().settings().SaveSetting(u"general"_s, u"language"_s, language);
    FakeDialUp &dialUp = fx.dialUp();
    dialUp.phoneBook = {u"Work"_s};
    for (int i = 0; i < connections; ++i)
        dialUp.connections.append({QString::number(i), true});
    dialUp.failConnections = unlistable;
    dialUp.failure = {kind, detail};
    auto &w = fx.start();
    QTRY_VERIFY(w.actionNamed(u"MnuConnections_1"_s));

    if (hangUp) {
        dialUp.failHangUp = kind != Kind::None && !unlistable;
        w.actionNamed(u"mnuHangUp"_s)->trigger();
    } else {
        dialUp.failDial = true;
        w.actionNamed(u"MnuConnections_1"_s)->trigger();
    }
    // Told once the platform has answered, not within the command.
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    QTRY_COMPARE(fx.dialogs().msgCalls.size(), 1);
    const auto &call = fx.dialogs().msgCalls.first();
    QCOMPARE(call.text, text);
    QCOMPARE(call.icon, icon);
    QCOMPARE(call.title, fx.program().language().langText(5));
    // Every connection was still asked to end.
    if (hangUp && !unlistable)
        QCOMPARE(dialUp.hungUp.size(), connections);
}

void TestDialUp::terseLines_data()
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

void TestDialUp::terseLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(NmcliDialUp::splitTerseLine(line), fields);
}

void TestDialUp::networkClientPhoneBook()
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

void TestDialUp::networkClientMissingOrFailing()
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

void TestDialUp::networkClientDialsAndHangsUp()
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

void TestDialUp::networkClientThatHangsIsKilled()
{
    QTemporaryDir dir;
    const QString client = writeScript(dir.path(), u"exec sleep 60\n"_s);
    NmcliDialUp dialUp(client, {300, 300});
    std::optional<DialUpError> answer;
    dialUp.dial(u"Modem"_s, [&](const DialUpError &error) { answer = error; });
    QTRY_VERIFY(clientRunning(dir.path()));
    QVERIFY(!answer);
    QTRY_VERIFY(answer);
    QCOMPARE(answer->kind, Kind::TimedOut);
    QTRY_VERIFY(!clientRunning(dir.path()));

    // One still running when the object goes is killed, and never answers.
    bool late = false;
    auto quitting = std::make_unique<NmcliDialUp>(client, NmcliDialUp::Timeouts{60000, 60000});
    quitting->entries(
        [&](const std::optional<QStringList> &, const DialUpError &) { late = true; });
    QFile::remove(dir.path() + u"/pid"_s);
    QTRY_VERIFY(clientRunning(dir.path()));
    quitting.reset();
    QTRY_VERIFY(!clientRunning(dir.path()));
    QTest::qWait(50);
    QVERIFY(!late);
}

void TestDialUp::networkClientFloodIsCut()
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
    QTRY_VERIFY(!clientRunning(dir.path()));
}

void TestDialUp::windowAnswersWhileTheClientHangs()
{
    QTemporaryDir dir;
    const QString client = writeScript(dir.path(), u"exec sleep 60\n"_s);
    ProgramFixture fx;
    fx.program().platform().dialUp = std::make_unique<NmcliDialUp>(client, TestTimeouts);
    auto &w = fx.start();
    QVERIFY(velmora::test::activateForKeys(w));

    // The phone book is still being asked for: the window takes keys at once.
    QTRY_VERIFY(clientRunning(dir.path()));
    const int tabs = w.webCount();
    const qint64 delay = velmora::test::postedKeyDelayMs(w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY2(delay >= 0 && delay < 100, qPrintable(QString::number(delay)));
    QTRY_COMPARE(w.webCount(), tabs + 1);
    QVERIFY(clientRunning(dir.path()));

    // After its time the client is given up, and the menu says so.
    QAction *none = w.actionNamed(u"MnuConnections_0"_s);
    QTRY_COMPARE(none->text(), u"(нет соединений: список недоступен)"_s);
    QVERIFY(none->toolTip().contains(u"не ответила вовремя"_s));
    QTRY_VERIFY(!clientRunning(dir.path()));
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void TestDialUp::failingClientIsTold()
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
    QTRY_VERIFY(clientRunning(dir.path()));
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

QTEST_MAIN(TestDialUp)
#include "tst_dialup.moc"
