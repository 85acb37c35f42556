#include "ProgramFixture.h"

#include "Connectivity.h"
#include "FakeDialUp.h"
#include "FakeDialogs.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <optional>

using namespace velmora;
using namespace Qt::StringLiterals;
using velmora::platform::DialUpConnection;
using velmora::platform::DialUpError;
using velmora::platform::FakeDialUp;
using velmora::platform::MsgIcon;
using velmora::test::ProgramFixture;
using Kind = velmora::platform::DialUpError::Kind;

Q_DECLARE_METATYPE(velmora::platform::DialUpError::Kind)

namespace {

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

QTEST_MAIN(TestDialUp)
#include "tst_dialup.moc"
