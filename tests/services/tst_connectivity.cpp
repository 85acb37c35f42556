#include "ProgramFixture.h"

#include "Connectivity.h"
#include "CacheAddress.h"
#include "EngineOfflineCache.h"
#include "FakeInternetCache.h"
#include "FakeInternetState.h"
#include "FileInternetState.h"
#include "Program.h"
#include "Steps.h"
#include "frmMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <cstring>

using namespace velmora;
using namespace Qt::StringLiterals;
using velmora::test::ProgramFixture;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestConnectivity : public QObject
{
    Q_OBJECT
private slots:
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
};

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

QTEST_MAIN(TestConnectivity)
#include "tst_connectivity.moc"
