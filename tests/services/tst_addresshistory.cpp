#include "AddressHistory.h"
#include "ProgramFolder.h"
#include "TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>

using namespace velmora::services;
using namespace Qt::StringLiterals;

namespace {

QStringList itemsOf(const QComboBox &combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items.append(combo.itemText(i));
    return items;
}

const QByteArray damaged("\"a\"\r\n\"b\"\r\n\"broken\r\nc\r\n");

} // namespace

class tst_AddressHistory : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env = std::make_unique<velmora::test::TestEnvironment>();
        m_history = std::make_unique<AddressHistory>(ProgramFolder());
    }
    void cleanup()
    {
        m_history.reset();
        m_env.reset();
    }

    void getHostPart_data();
    void getHostPart();
    void load_data();
    void load();
    void loadOfMissingFileCreatesIt();
    void saveWritesQuotedRecords_data();
    void saveWritesQuotedRecords();
    void emptyValuesAreDroppedByLoadAndSave();
    void loadYieldsBeforeEachValue();
    void damagedFileIsKeptBeforeRewrite();
    void openQuoteInTheMiddle();
    void copiesAreNeverOverwritten();
    void saveRefusedWhileCopyCannotBeMade();
    void laterGoodReadStillKeepsDamage();
    void unopenableFileIsMovedAside();

private:
    QString path(const QString &name) const { return m_env->programDir() + u'/' + name; }

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
    std::unique_ptr<AddressHistory> m_history;
};

void tst_AddressHistory::getHostPart_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("host");

    const QString host254(254, u'h');
    const QString host255(255, u'h');
    QTest::newRow("path") << u"http://intranet/a/b.html"_s << u"intranet"_s;
    QTest::newRow("no path, no slash") << u"http://intranet"_s << u"intranet"_s;
    QTest::newRow("https with port") << u"https://intranet:8080/"_s << u"intranet:8080"_s;
    QTest::newRow("ftp") << u"ftp://files/pub/"_s << u"files"_s;
    QTest::newRow("second http anywhere, any case") << u"http://HTTP://intranet/"_s
                                                    << u"intranet"_s;
    QTest::newRow("removal is one pass") << u"http://hthttp://tp://x"_s << u"http:"_s;
    QTest::newRow("scheme test is case-sensitive") << u"HTTP://intranet/"_s << u"HTTP:"_s;
    QTest::newRow("https keeps a later http") << u"https://a/http://b"_s << u"a"_s;
    QTest::newRow("http then ftp") << u"http://ftp://files/"_s << u"files"_s;
    QTest::newRow("slash at 255") << u"http://"_s + host254 + u"/x"_s << host254;
    QTest::newRow("slash beyond 255") << u"http://"_s + host255 + u"/x"_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("no scheme") << u"intranet"_s << u"intranet"_s;
    QTest::newRow("three slashes") << u"http:///"_s << QString();
}

void tst_AddressHistory::getHostPart()
{
    QFETCH(QString, address);
    QFETCH(QString, host);
    QCOMPARE(AddressHistory::getHostPart(address), host);
}

void tst_AddressHistory::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("empty record skipped") << QByteArray("\"a\"\r\n\"\"\r\n\"b\"\r\n")
                                          << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("last line without end") << QByteArray("\"a\"\r\n\"b\"")
                                           << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("Windows-1251") << QByteArray("\"\xf1\xe0\xe9\xf2.\xf0\xf4\"\r\n")
                                  << QStringList{u"сайт.рф"_s};
    QTest::newRow("unquoted with comma") << QByteArray("a,b\r\n") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void tst_AddressHistory::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, items);

    m_env->writeProgramFile(u"WebHis.dat"_s, bytes);
    QComboBox Combo1;
    Combo1.addItem(u"stale"_s);
    m_history->loadHistory(Combo1);
    QCOMPARE(itemsOf(Combo1), items);
    QVERIFY(!m_history->hasPendingDamage());
}

void tst_AddressHistory::loadOfMissingFileCreatesIt()
{
    QComboBox Combo1;
    Combo1.addItem(u"stale"_s);
    m_history->loadHistory(Combo1);
    QCOMPARE(Combo1.count(), 0);
    QVERIFY(QFile::exists(m_history->filePath()));
    QCOMPARE(QFileInfo(m_history->filePath()).size(), 0);
}

void tst_AddressHistory::saveWritesQuotedRecords_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("two hosts") << QStringList{u"intranet"_s, u"files:21"_s}
                               << QByteArray("\"intranet\"\r\n\"files:21\"\r\n");
    QTest::newRow("none") << QStringList{} << QByteArray();
    QTest::newRow("Cyrillic") << QStringList{u"сайт.рф"_s}
                              << QByteArray("\"\xf1\xe0\xe9\xf2.\xf0\xf4\"\r\n");
    // The host read back is the same host, and the file stays Windows-1251.
    QTest::newRow("internationalised host")
        << QStringList{u"例え.jp:8080"_s, u"сайт.рф"_s}
        << QByteArray("\"xn--r8jz45g.jp:8080\"\r\n\"\xf1\xe0\xe9\xf2.\xf0\xf4\"\r\n");
    QTest::newRow("quote written as is") << QStringList{u"a\"b"_s} << QByteArray("\"a\"b\"\r\n");
}

void tst_AddressHistory::saveWritesQuotedRecords()
{
    QFETCH(QStringList, items);
    QFETCH(QByteArray, bytes);

    m_env->writeProgramFile(u"WebHis.dat"_s, "\"old\"\r\n\"older\"\r\n\"oldest\"\r\n");
    QComboBox Combo1;
    Combo1.addItems(items);
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s), bytes);
}

void tst_AddressHistory::emptyValuesAreDroppedByLoadAndSave()
{
    m_env->writeProgramFile(u"WebHis.dat"_s, "\"a\"\r\n\"\"\r\n\"b\"\r\n");
    QCOMPARE(m_history->readItems(), (QStringList{u"a"_s, QString(), u"b"_s}));

    QComboBox Combo1;
    m_history->loadHistory(Combo1);
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s), QByteArray("\"a\"\r\n\"b\"\r\n"));
}

void tst_AddressHistory::loadYieldsBeforeEachValue()
{
    m_env->writeProgramFile(u"WebHis.dat"_s, "\"a\"\r\n\"b\"\r\n\"c\"\r\n\"d\"\r\n");
    QComboBox Combo1;
    int seen = -1;
    QTimer::singleShot(0, &Combo1, [&] { seen = Combo1.count(); });
    m_history->loadHistory(Combo1);
    // The timer ran inside the load, before the list was complete.
    QVERIFY(seen >= 0);
    QVERIFY(seen < 4);
    QCOMPARE(Combo1.count(), 4);
}

void tst_AddressHistory::damagedFileIsKeptBeforeRewrite()
{
    m_env->writeProgramFile(u"WebHis.dat"_s, damaged);
    QComboBox Combo1;
    m_history->loadHistory(Combo1);
    // The records on both sides of the open quote are read.
    QCOMPARE(itemsOf(Combo1), (QStringList{u"a"_s, u"b"_s, u"broken"_s, u"c"_s}));
    QVERIFY(m_history->hasPendingDamage());
    QVERIFY(!QFile::exists(path(u"WebHis.dat.bad"_s)));  // nothing written by a load

    Combo1.insertItem(0, u"new"_s);
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad"_s), damaged);
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s),
             QByteArray("\"new\"\r\n\"a\"\r\n\"b\"\r\n\"broken\"\r\n\"c\"\r\n"));
    QVERIFY(!m_history->hasPendingDamage());

    // Later saves leave the copy alone and make no more.
    Combo1.clear();
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad"_s), damaged);
    QCOMPARE(QDir(m_env->programDir()).entryList({u"WebHis.dat.bad*"_s}).size(), 1);
}

void tst_AddressHistory::openQuoteInTheMiddle()
{
    // The open quote would swallow the next record's line break and lose the
    // host behind it, with no sign that anything was wrong.
    const QByteArray bytes("\"a\"\r\n\"lost\r\n\"host.example\"\r\n\"d\",\"e\"\r\n");
    m_env->writeProgramFile(u"WebHis.dat"_s, bytes);
    bool complete = true;
    QCOMPARE(m_history->readItems(&complete),
             (QStringList{u"a"_s, u"lost"_s, u"host.example"_s, u"d"_s, u"e"_s}));
    QVERIFY(!complete);
    QVERIFY(m_history->hasPendingDamage());
    QVERIFY(m_history->saveItems({u"a"_s}));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad"_s), bytes);
}

void tst_AddressHistory::copiesAreNeverOverwritten()
{
    QComboBox Combo1;
    m_env->writeProgramFile(u"WebHis.dat"_s, damaged);
    m_history->loadHistory(Combo1);
    QVERIFY(m_history->saveHistory(Combo1));

    // The same damage seen again is not copied twice.
    m_env->writeProgramFile(u"WebHis.dat"_s, damaged);
    m_history->loadHistory(Combo1);
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(QDir(m_env->programDir()).entryList({u"WebHis.dat.bad*"_s}),
             QStringList{u"WebHis.dat.bad"_s});

    // Other damage gets a name of its own.
    const QByteArray other("\"x\"\r\n\"y");
    m_env->writeProgramFile(u"WebHis.dat"_s, other);
    m_history->loadHistory(Combo1);
    QCOMPARE(itemsOf(Combo1), (QStringList{u"x"_s, u"y"_s}));
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad"_s), damaged);
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad.2"_s), other);
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s), QByteArray("\"x\"\r\n\"y\"\r\n"));
}

void tst_AddressHistory::saveRefusedWhileCopyCannotBeMade()
{
    // Every name a copy could take is in use by something else.
    m_env->writeProgramFile(u"WebHis.dat.bad"_s, "other");
    for (int n = 2; n <= 1000; ++n)
        m_env->writeProgramFile(u"WebHis.dat.bad."_s + QString::number(n), "other");

    m_env->writeProgramFile(u"WebHis.dat"_s, damaged);
    QComboBox Combo1;
    m_history->loadHistory(Combo1);
    QVERIFY(!m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s), damaged);
    QVERIFY(m_history->hasPendingDamage());

    QFile::remove(path(u"WebHis.dat.bad.500"_s));
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad.500"_s), damaged);
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s),
             QByteArray("\"a\"\r\n\"b\"\r\n\"broken\"\r\n\"c\"\r\n"));
}

void tst_AddressHistory::laterGoodReadStillKeepsDamage()
{
    QComboBox Combo1;
    m_env->writeProgramFile(u"WebHis.dat"_s, damaged);
    m_history->loadHistory(Combo1);

    // Another instance rewrote the file in between; what this one could not
    // read still reaches the copy.
    m_env->writeProgramFile(u"WebHis.dat"_s, "\"z\"\r\n");
    m_history->loadHistory(Combo1);
    QCOMPARE(itemsOf(Combo1), QStringList{u"z"_s});
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad"_s), damaged);
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s), QByteArray("\"z\"\r\n"));
}

void tst_AddressHistory::unopenableFileIsMovedAside()
{
    // A folder in the file's place cannot be opened or copied.
    QDir(m_env->programDir()).mkpath(u"WebHis.dat"_s);
    m_env->writeProgramFile(u"WebHis.dat/inside"_s, "keep me");

    QComboBox Combo1;
    m_history->loadHistory(Combo1);
    QCOMPARE(Combo1.count(), 0);
    QVERIFY(m_history->hasPendingDamage());

    Combo1.addItem(u"intranet"_s);
    QVERIFY(m_history->saveHistory(Combo1));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat.bad/inside"_s), QByteArray("keep me"));
    QCOMPARE(m_env->readProgramFile(u"WebHis.dat"_s), QByteArray("\"intranet\"\r\n"));
}

QTEST_MAIN(tst_AddressHistory)
#include "tst_addresshistory.moc"
