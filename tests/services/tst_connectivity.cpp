#include "ProgramFixture.h"

#include "Connectivity.h"
#include "CacheAddress.h"
#include "EngineOfflineCache.h"
#include "FakeDialUp.h"
#include "FakeInternetCache.h"
#include "FakeInternetState.h"
#include "FileInternetState.h"
#include "NmcliDialUp.h"
#include "Program.h"
#include "Steps.h"
#include "frmMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <cstring>

using namespace velmora;
using namespace Qt::StringLiterals;
using velmora::platform::DialUpConnection;
using velmora::platform::FakeDialUp;
using velmora::test::ProgramFixture;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A stand-in for the network client: answers from files and logs its
// arguments, one call a line.
QString writeClient(const QString &dir, const QString &profiles, const QString &active,
                    int exitCode = 0)
{
    writeFile(dir + QStringLiteral("/profiles"), profiles.toUtf8());
    writeFile(dir + QStringLiteral("/active"), active.toUtf8());
    const QString script = QStringLiteral(
                               "#!/bin/sh\n"
                               "echo \"$LC_ALL|$*\" >> '%1/log'\n"
                               "case \"$*\" in\n"
                               "  *--active*) cat '%1/active' ;;\n"
                               "  *'connection show'*) cat '%1/profiles' ;;\n"
                               "esac\n"
                               "exit %2\n")
                               .arg(dir)
                               .arg(exitCode);
    const QString path = dir + QStringLiteral("/nmcli");
    writeFile(path, script.toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList logLines(const QString &dir)
{
    QFile file(dir + QStringLiteral("/log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
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

} // namespace

class TestConnectivity : public QObject
{
    Q_OBJECT
private slots:
    void fillConnections_data();
    void fillConnections();
    void mainWindowFillsTheDialUpMenuOnce();
    void mainWindowShowsNoConnectionsItemAlone();
    void dialAndHangUpReachThePlatform();
    void isConnected_data();
    void isConnected();
    void hangUpEndsEveryConnectionInOrder_data();
    void hangUpEndsEveryConnectionInOrder();
    void setOffline_data();
    void setOffline();
    void loadRestoresTheStartOfflineState_data();
    void loadRestoresTheStartOfflineState();
    void isUrlCachedForACachedAddress();
    void cacheLookupFailuresRaise26721_data();
    void cacheLookupFailuresRaise26721();
    void apiErrorText();
    void cacheAddressForm_data();
    void cacheAddressForm();
    void pageCacheFolderProblems();
    void terseLines_data();
    void terseLines();
    void networkClientPhoneBook();
    void networkClientMissingOrFailing();
    void networkClientDialsAndHangsUp();
};

void TestConnectivity::fillConnections_data()
{
    QTest::addColumn<QStringList>("phoneBook");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QStringList>("shown");

    const QString none = QStringLiteral("(нет соединений)");
    QTest::newRow("no entries") << QStringList() << false << QStringList{none};
    QTest::newRow("phone book unreadable")
        << QStringList{QStringLiteral("Ignored")} << true << QStringList{none};
    QTest::newRow("two entries, platform order")
        << QStringList{QStringLiteral("Work"), QStringLiteral("Home ISP")} << false
        << QStringList{QStringLiteral("Work"), QStringLiteral("Home ISP")};
    QTest::newRow("one entry") << QStringList{QStringLiteral("Модем")} << false
                               << QStringList{QStringLiteral("Модем")};
}

void TestConnectivity::fillConnections()
{
    QFETCH(QStringList, phoneBook);
    QFETCH(bool, unreadable);
    QFETCH(QStringList, shown);

    FakeDialUp dialUp;
    dialUp.phoneBook = phoneBook;
    dialUp.failEntries = unreadable;
    QMenu menu;
    QAction *none = menu.addAction(QStringLiteral("(нет соединений)"));
    none->setObjectName(QStringLiteral("MnuConnections_0"));
    none->setEnabled(false);
    std::vector<QAction *> elements{none};

    const int count = services::fillConnections(dialUp, menu, elements);

    QCOMPARE(count, unreadable ? 0 : int(phoneBook.size()));
    QCOMPARE(captions(elements, true), shown);
    QCOMPARE(int(elements.size()), count + 1);
    QCOMPARE(menu.actions().size(), count + 1);
    for (int i = 1; i <= count; ++i) {
        QCOMPARE(elements[size_t(i)]->objectName(), QStringLiteral("MnuConnections_%1").arg(i));
        QVERIFY(elements[size_t(i)]->isEnabled());
        QCOMPARE(menu.actions().at(i), elements[size_t(i)]);
    }
    QCOMPARE(none->isVisible(), count == 0);
}

void TestConnectivity::mainWindowFillsTheDialUpMenuOnce()
{
    ProgramFixture fx;
    fx.dialUp().phoneBook = {QStringLiteral("Work"), QStringLiteral("Home ISP")};
    auto &w = fx.start();

    QCOMPARE(fx.dialUp().entryQueries, 1);
    QMenu *menu = w.menuNamed(QStringLiteral("mnuConnect"));
    QVERIFY(menu);
    QStringList visible;
    for (QAction *item : menu->actions()) {
        if (item->isVisible())
            visible.append(item->text());
    }
    QCOMPARE(visible, fx.dialUp().phoneBook);
    QAction *first = w.actionNamed(QStringLiteral("MnuConnections_1"));
    QVERIFY(first && first->isEnabled());
    QCOMPARE(first->text(), QStringLiteral("Work"));
    QVERIFY(!w.actionNamed(QStringLiteral("MnuConnections_0"))->isVisible());

    // Entries added later do not appear.
    fx.dialUp().phoneBook.append(QStringLiteral("Later"));
    w.Timer1_Timer();
    QVERIFY(!w.actionNamed(QStringLiteral("MnuConnections_3")));
}

void TestConnectivity::mainWindowShowsNoConnectionsItemAlone()
{
    ProgramFixture fx;
    auto &w = fx.start();

    QMenu *menu = w.menuNamed(QStringLiteral("mnuConnect"));
    QCOMPARE(menu->actions().size(), 1);
    QAction *none = w.actionNamed(QStringLiteral("MnuConnections_0"));
    QVERIFY(none->isVisible());
    QVERIFY(!none->isEnabled());
    QCOMPARE(none->text(), QStringLiteral("(нет соединений)"));
}

void TestConnectivity::dialAndHangUpReachThePlatform()
{
    ProgramFixture fx;
    fx.dialUp().phoneBook = {QStringLiteral("Work"), QStringLiteral("Home ISP")};
    auto &w = fx.start();

    w.actionNamed(QStringLiteral("MnuConnections_2"))->trigger();
    QCOMPARE(fx.dialUp().dialled, QStringList{QStringLiteral("Home ISP")});
    w.actionNamed(QStringLiteral("MnuConnections_1"))->trigger();
    QCOMPARE(fx.dialUp().dialled, (QStringList{QStringLiteral("Home ISP"), QStringLiteral("Work")}));
    // The disabled item dials nothing.
    w.actionNamed(QStringLiteral("MnuConnections_0"))->trigger();
    QCOMPARE(fx.dialUp().dialled.size(), 2);

    fx.dialUp().connections = {{QStringLiteral("a"), true}, {QStringLiteral("b"), false}};
    w.actionNamed(QStringLiteral("mnuHangUp"))->trigger();
    QCOMPARE(fx.dialUp().hungUp, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

void TestConnectivity::isConnected_data()
{
    QTest::addColumn<QList<DialUpConnection>>("connections");
    QTest::addColumn<bool>("unlistable");
    QTest::addColumn<bool>("connected");

    const DialUpConnection up{QStringLiteral("up"), true};
    const DialUpConnection dialling{QStringLiteral("dialling"), false};
    QTest::newRow("none") << QList<DialUpConnection>{} << false << false;
    QTest::newRow("one up") << QList<DialUpConnection>{up} << false << true;
    QTest::newRow("only the second is up")
        << QList<DialUpConnection>{dialling, up} << false << false;
    QTest::newRow("first up, second not")
        << QList<DialUpConnection>{up, dialling} << false << true;
    QTest::newRow("cannot be listed") << QList<DialUpConnection>{up} << true << false;
}

void TestConnectivity::isConnected()
{
    QFETCH(QList<DialUpConnection>, connections);
    QFETCH(bool, unlistable);
    QFETCH(bool, connected);

    FakeDialUp dialUp;
    dialUp.connections = connections;
    dialUp.failConnections = unlistable;
    QCOMPARE(services::isConnected(dialUp), connected);
}

void TestConnectivity::hangUpEndsEveryConnectionInOrder_data()
{
    QTest::addColumn<QList<DialUpConnection>>("connections");
    QTest::addColumn<bool>("unlistable");
    QTest::addColumn<QStringList>("hungUp");

    QTest::newRow("no active connection") << QList<DialUpConnection>{} << false << QStringList();
    QTest::newRow("three, in order")
        << QList<DialUpConnection>{{QStringLiteral("c1"), true},
                                   {QStringLiteral("c2"), false},
                                   {QStringLiteral("c3"), true}}
        << false << QStringList{QStringLiteral("c1"), QStringLiteral("c2"), QStringLiteral("c3")};
    QTest::newRow("cannot be listed")
        << QList<DialUpConnection>{{QStringLiteral("c1"), true}} << true << QStringList();
}

void TestConnectivity::hangUpEndsEveryConnectionInOrder()
{
    QFETCH(QList<DialUpConnection>, connections);
    QFETCH(bool, unlistable);
    QFETCH(QStringList, hungUp);

    FakeDialUp dialUp;
    dialUp.connections = connections;
    dialUp.failConnections = unlistable;
    services::hangUp(dialUp);
    QCOMPARE(dialUp.hungUp, hungUp);
}

void TestConnectivity::setOffline_data()
{
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("force");

    for (bool before : {false, true}) {
        for (bool offline : {false, true}) {
            for (bool force : {false, true}) {
                QTest::addRow("from %s: offline %d force %d", before ? "offline" : "online",
                              int(offline), int(force))
                    << before << offline << force;
            }
        }
    }
}

void TestConnectivity::setOffline()
{
    QFETCH(bool, before);
    QFETCH(bool, offline);
    QFETCH(bool, force);

    // The state shared through the file, as other instances would see it.
    QTemporaryDir dir;
    platform::FileInternetState state(dir.path());
    state.setOffline(before);
    services::setOffline(state, offline, force);
    QCOMPARE(services::isOffline(state), offline);
    platform::FileInternetState other(dir.path());
    QCOMPARE(services::isOffline(other), offline);
}

void TestConnectivity::loadRestoresTheStartOfflineState_data()
{
    QTest::addColumn<bool>("startOffline");
    QTest::newRow("offline at start") << true;
    QTest::newRow("online at start") << false;
}

void TestConnectivity::loadRestoresTheStartOfflineState()
{
    QFETCH(bool, startOffline);

    // The start runs online; the main window's load puts the state back.
    ProgramFixture fx;
    fx.internet().offline = startOffline;
    fx.start();
    QCOMPARE(fx.program().startOffline, startOffline);
    QCOMPARE(fx.internet().setOfflineCalls, (QList<bool>{false, startOffline}));
    QCOMPARE(fx.internet().offline, startOffline);
}

void TestConnectivity::isUrlCachedForACachedAddress()
{
    platform::FakeInternetCache cache;
    cache.cached = {QStringLiteral("http://example.com/")};
    QVERIFY(services::isUrlCached(cache, QStringLiteral("http://example.com/")));
    QCOMPARE(cache.lookups, QStringList{QStringLiteral("http://example.com/")});
}

void TestConnectivity::cacheLookupFailuresRaise26721_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("reported");

    QTest::newRow("never cached") << 0 << ENOENT;
    QTest::newRow("cache unreadable") << EACCES << EACCES;
    QTest::newRow("cache path is a file") << ENOTDIR << ENOTDIR;
}

void TestConnectivity::cacheLookupFailuresRaise26721()
{
    QFETCH(int, failure);
    QFETCH(int, reported);

    platform::FakeInternetCache cache;
    cache.failure = failure;
    try {
        services::isUrlCached(cache, QStringLiteral("http://never.example/"));
        QFAIL("no error raised");
    } catch (const services::CacheLookupError &e) {
        QCOMPARE(e.number(), 26721);
        QCOMPARE(e.number(), int(services::RuntimeError::CacheEntryMissing));
        QCOMPARE(e.source(), QStringLiteral("tst_connectivity.mCacheEntry"));
        QCOMPARE(e.description(), QString::fromLocal8Bit(std::strerror(reported)));
        QVERIFY(!e.description().isEmpty());
        QCOMPARE(QString::fromStdString(e.what()), e.description());
    }
    // Callers that ignore failures step by step go on.
    QVERIFY(!services::step([&] { services::isUrlCached(cache, QStringLiteral("x:")); }));
}

void TestConnectivity::apiErrorText()
{
    QCOMPARE(services::apiErrorText(ENOENT), QString::fromLocal8Bit(std::strerror(ENOENT)));
    QVERIFY(!services::apiErrorText(ENOENT).isEmpty());
    QVERIFY(services::apiErrorText(EACCES) != services::apiErrorText(ENOENT));
    QCOMPARE(services::apiErrorText(987654), QString());
    QCOMPARE(services::apiErrorText(-1), QString());
}

void TestConnectivity::cacheAddressForm_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("form");

    QTest::newRow("as it is") << u"http://127.0.0.1:8765/index.html"_s
                              << u"http://127.0.0.1:8765/index.html"_s;
    QTest::newRow("fragment dropped") << u"http://127.0.0.1:8765/index.html#top"_s
                                      << u"http://127.0.0.1:8765/index.html"_s;
    QTest::newRow("upper-case scheme and host") << u"HTTP://Example.COM/page?q=1"_s
                                                << u"http://example.com/page?q=1"_s;
    QTest::newRow("empty path and default port") << u"https://secure.test:443"_s
                                                 << u"https://secure.test/"_s;
    QTest::newRow("other port kept") << u"http://127.0.0.1:8766"_s << u"http://127.0.0.1:8766/"_s;
    QTest::newRow("not an address") << QString() << QString();
    QTest::newRow("no scheme") << u"example.com"_s << QString();
}

void TestConnectivity::cacheAddressForm()
{
    QFETCH(QString, address);
    QFETCH(QString, form);
    QCOMPARE(platform::cacheForm(address), form);
}

void TestConnectivity::pageCacheFolderProblems()
{
    QTemporaryDir dir;
    const platform::EngineOfflineCache missing(dir.path() + u"/never-made"_s);
    QCOMPARE(missing.findEntry(u"http://example.com/"_s), ENOENT);

    writeFile(dir.path() + u"/plain"_s, "not a folder");
    const platform::EngineOfflineCache file(dir.path() + u"/plain"_s);
    QCOMPARE(file.findEntry(u"http://example.com/"_s), ENOTDIR);

    // What the program raises for a folder that was never made.
    try {
        services::isUrlCached(missing, u"http://example.com/"_s);
        QFAIL("no error raised");
    } catch (const services::CacheLookupError &e) {
        QCOMPARE(e.description(), services::apiErrorText(ENOENT));
    }
}

void TestConnectivity::terseLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("plain") << u"Work:gsm"_s << QStringList{u"Work"_s, u"gsm"_s};
    QTest::newRow("escaped colon")
        << u"VPN\\: office:vpn"_s << QStringList{u"VPN: office"_s, u"vpn"_s};
    QTest::newRow("escaped backslash")
        << u"a\\\\b:pppoe"_s << QStringList{u"a\\b"_s, u"pppoe"_s};
    QTest::newRow("empty fields") << u"::"_s << QStringList{QString(), QString(), QString()};
    QTest::newRow("trailing backslash") << u"x\\"_s << QStringList{u"x\\"_s};
}

void TestConnectivity::terseLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(platform::NmcliDialUp::splitTerseLine(line), fields);
}

void TestConnectivity::networkClientPhoneBook()
{
    QTemporaryDir dir;
    const QString client = writeClient(
        dir.path(),
        QStringLiteral("Wired connection 1:802-3-ethernet\n"
                       "Мобильный:gsm\n"
                       "Home\\:DSL:pppoe\n"
                       "Cafe:802-11-wireless\n"
                       "Office VPN:vpn\n"),
        QStringLiteral("1111:802-3-ethernet:activated\n"
                       "2222:gsm:activating\n"
                       "3333:vpn:activated\n"));
    platform::NmcliDialUp dialUp(client);

    QStringList names;
    QCOMPARE(services::enumEntries(dialUp, names), 3);
    QCOMPARE(names, (QStringList{QStringLiteral("Мобильный"), QStringLiteral("Home:DSL"),
                                 QStringLiteral("Office VPN")}));

    const auto connections = dialUp.activeConnections();
    QVERIFY(connections);
    QCOMPARE(connections->size(), 2);
    QCOMPARE(connections->at(0).handle, QStringLiteral("2222"));
    QVERIFY(!connections->at(0).connected);
    QCOMPARE(connections->at(1).handle, QStringLiteral("3333"));
    QVERIFY(connections->at(1).connected);
    // The first dialled connection is still coming up.
    QVERIFY(!services::isConnected(dialUp));

    // State names are asked for untranslated.
    for (const QString &line : logLines(dir.path()))
        QVERIFY2(line.startsWith(QStringLiteral("C|-t -f ")), qPrintable(line));
}

void TestConnectivity::networkClientMissingOrFailing()
{
    QTemporaryDir dir;
    platform::NmcliDialUp missing(dir.path() + QStringLiteral("/no-such-client"));
    QVERIFY(!missing.entries());
    QVERIFY(!missing.activeConnections());
    QStringList names{QStringLiteral("stale")};
    QCOMPARE(services::enumEntries(missing, names), 0);
    QVERIFY(names.isEmpty());
    QVERIFY(!services::isConnected(missing));

    // A client whose service is not running fails its calls.
    const QString failing = writeClient(dir.path(), QStringLiteral("Modem:gsm\n"),
                                        QStringLiteral("1:gsm:activated\n"), 8);
    platform::NmcliDialUp down(failing);
    QVERIFY(!down.entries());
    QVERIFY(!down.activeConnections());
    QVERIFY(!services::isConnected(down));
}

void TestConnectivity::networkClientDialsAndHangsUp()
{
    QTemporaryDir dir;
    const QString client =
        writeClient(dir.path(), QStringLiteral("Modem:gsm\n"),
                    QStringLiteral("aaaa:gsm:activated\nbbbb:pppoe:activated\n"));
    platform::NmcliDialUp dialUp(client);

    services::dialConnection(dialUp, QStringLiteral("My \"modem\" 2"));
    QTRY_VERIFY(logLines(dir.path()).contains(
        QStringLiteral("C|connection up id My \"modem\" 2")));

    services::hangUp(dialUp);
    QTRY_VERIFY(logLines(dir.path()).contains(QStringLiteral("C|connection down uuid aaaa")));
    QTRY_VERIFY(logLines(dir.path()).contains(QStringLiteral("C|connection down uuid bbbb")));
}

QTEST_MAIN(TestConnectivity)
#include "tst_connectivity.moc"
