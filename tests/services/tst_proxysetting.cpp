// The connection the user chose, as the settings store keeps it.

#include "ProxySetting.h"
#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QtTest>

using velmora::platform::ProxyChoice;
using namespace velmora::services;
using namespace Qt::StringLiterals;
using Kind = ProxyChoice::Kind;

Q_DECLARE_METATYPE(velmora::platform::ProxyChoice)

namespace {

ProxyChoice proxy(Kind kind, const QString &host = {}, int port = 0)
{
    ProxyChoice choice;
    choice.kind = kind;
    choice.host = host;
    choice.port = port;
    return choice;
}

} // namespace

class tst_ProxySetting : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<velmora::test::TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void nothingStoredIsTheSystems();
    void savedChoiceReadsBack_data();
    void savedChoiceReadsBack();
    void storedValues_data();
    void storedValues();
    void usable_data();
    void usable();

private:
    std::unique_ptr<velmora::test::TestEnvironment> m_env;
};

void tst_ProxySetting::nothingStoredIsTheSystems()
{
    SettingsStore store;
    QCOMPARE(readProxyChoice(store), ProxyChoice{});
}

void tst_ProxySetting::savedChoiceReadsBack_data()
{
    QTest::addColumn<ProxyChoice>("choice");
    QTest::newRow("system") << proxy(Kind::System);
    QTest::newRow("none") << proxy(Kind::None);
    QTest::newRow("http") << proxy(Kind::Http, u"proxy.lan"_s, 3128);
    QTest::newRow("socks") << proxy(Kind::Socks, u"10.0.0.1"_s, 1080);
}

void tst_ProxySetting::savedChoiceReadsBack()
{
    QFETCH(ProxyChoice, choice);
    SettingsStore store;
    // Another choice first: nothing of it may stay behind.
    QVERIFY(saveProxyChoice(store, proxy(Kind::Http, u"old.lan"_s, 8080)));
    QVERIFY(saveProxyChoice(store, choice));
    QCOMPARE(readProxyChoice(SettingsStore()), choice);
    if (choice.kind == Kind::System || choice.kind == Kind::None)
        QCOMPARE(store.GetSetting(u"general"_s, u"proxyHost"_s), QString());
}

void tst_ProxySetting::storedValues_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<ProxyChoice>("read");
    QTest::newRow("letter case and spaces")
        << u" HTTP "_s << u" proxy.lan "_s << u" 3128"_s << proxy(Kind::Http, u"proxy.lan"_s, 3128);
    QTest::newRow("unknown kind") << u"ftp"_s << u"proxy.lan"_s << u"21"_s << proxy(Kind::System);
    QTest::newRow("no host") << u"socks"_s << QString() << u"1080"_s << proxy(Kind::System);
    QTest::newRow("port not a number")
        << u"http"_s << u"proxy.lan"_s << u"80a"_s << proxy(Kind::System);
    QTest::newRow("port out of range")
        << u"http"_s << u"proxy.lan"_s << u"70000"_s << proxy(Kind::System);
    QTest::newRow("none ignores a host") << u"none"_s << u"proxy.lan"_s << u"1"_s
                                         << proxy(Kind::None);
}

void tst_ProxySetting::storedValues()
{
    QFETCH(QString, kind);
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(ProxyChoice, read);
    SettingsStore store;
    store.SaveSetting(u"general"_s, u"proxy"_s, kind);
    store.SaveSetting(u"general"_s, u"proxyHost"_s, host);
    store.SaveSetting(u"general"_s, u"proxyPort"_s, port);
    QCOMPARE(readProxyChoice(store), read);
}

void tst_ProxySetting::usable_data()
{
    QTest::addColumn<ProxyChoice>("choice");
    QTest::addColumn<bool>("usable");
    QTest::newRow("system") << proxy(Kind::System) << true;
    QTest::newRow("none") << proxy(Kind::None) << true;
    QTest::newRow("host and port") << proxy(Kind::Http, u"proxy.lan"_s, 1) << true;
    QTest::newRow("highest port") << proxy(Kind::Socks, u"::1"_s, 65535) << true;
    QTest::newRow("no host") << proxy(Kind::Http, QString(), 3128) << false;
    QTest::newRow("no port") << proxy(Kind::Http, u"proxy.lan"_s, 0) << false;
    QTest::newRow("an address, not a host")
        << proxy(Kind::Http, u"http://proxy.lan"_s, 3128) << false;
    QTest::newRow("a space in the host") << proxy(Kind::Socks, u"proxy lan"_s, 1080) << false;
}

void tst_ProxySetting::usable()
{
    QFETCH(ProxyChoice, choice);
    QFETCH(bool, usable);
    QCOMPARE(isUsable(choice), usable);
}

QTEST_MAIN(tst_ProxySetting)
#include "tst_proxysetting.moc"
