#include "ContentSettings.h"
#include "RegistryAccess.h"
#include "RegistryFake.h"
#include "RegistryFile.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

using namespace velmora::platform;
using namespace velmora::services;
using namespace Qt::StringLiterals;

namespace {

const QString mainKey = u"SOFTWARE\\Microsoft\\Internet Explorer\\Main"_s;

// One of the two stores, with a look at the bytes as stored.
struct Store
{
    explicit Store(bool file, const QString &configHome)
    {
        if (file) {
            auto registry =
                std::make_unique<FileRegistry>(QDir(configHome).filePath(u"olk_Browser"_s));
            fileStore = registry.get();
            store = std::move(registry);
        } else {
            auto registry = std::make_unique<FakeRegistry>();
            fake = registry.get();
            store = std::move(registry);
        }
    }

    // Stores a value as another program would.
    void put(quint32 root, const QString &key, const QString &name, const Registry::Value &value)
    {
        QVERIFY(store->createKey(root, key, Registry::Access::Full) == Registry::Success);
        QVERIFY(store->setValue(root, key, name, value) == Registry::Success);
    }

    std::optional<Registry::Value> raw(quint32 root, const QString &key, const QString &name) const
    {
        RegistryTree tree;
        if (fake) {
            tree = fake->tree();
        } else {
            QFile file(fileStore->filePath());
            if (file.open(QIODevice::ReadOnly))
                tree = RegistryTree::fromJson(file.readAll());
        }
        const Registry::Value *value = tree.value(root, key, name);
        return value ? std::optional(*value) : std::nullopt;
    }

    std::unique_ptr<Registry> store;
    FakeRegistry *fake = nullptr;
    FileRegistry *fileStore = nullptr;
};

Registry::Value text(const QByteArray &bytes)
{
    return {Registry::Type::String, bytes};
}

} // namespace

class tst_Registry : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<velmora::test::TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void readStringOfStoredBytes_data();
    void readStringOfStoredBytes();
    void writeStringStoresTextWithoutTerminator_data();
    void writeStringStoresTextWithoutTerminator();
    void missingKeyOrValueReadsEmpty_data();
    void missingKeyOrValueReadsEmpty();
    void dwordRoundTrip_data();
    void dwordRoundTrip();
    void deleteValue_data();
    void deleteValue();
    void namesIgnoreCase_data();
    void namesIgnoreCase();

    void readOnlyRootKeepsValuesAndHidesStrings();
    void instancesShareTheFile();
    void damagedFileReadsEmptyAndIsReplaced_data();
    void damagedFileReadsEmptyAndIsReplaced();
    void damagedFileStaysWhenNoCopyCanBeMade();
    void freshFileHoldsInstallValues();
    void existingFileIsNotReinstalled();
    void watchSeesChangesOfOtherInstances();

private:
    static void addStores();
    std::unique_ptr<velmora::test::TestEnvironment> m_env;
};

void tst_Registry::addStores()
{
    QTest::addColumn<bool>("file");
}

void tst_Registry::readStringOfStoredBytes_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("expected");
    struct Row
    {
        const char *name;
        QByteArray stored;
        QString expected;
    };
    const Row rows[] = {
        {"with terminator", QByteArray("yes\0", 4), u"yes"_s},
        {"without terminator", "yes", u"yes"_s},
        {"empty", "", QString()},
        {"terminator alone", QByteArray("\0", 1), QString()},
        // The reported length is taken to count one terminator only.
        {"two terminators", QByteArray("ab\0\0", 4), u"ab"_s + QChar(0)},
        {"254 bytes fit", QByteArray(254, 'x'), QString(254, u'x')},
        {"255 bytes do not", QByteArray(255, 'x'), QString()},
        {"ansi text", "\xcf\xf0\xe8\xe2\xe5\xf2", u"Привет"_s},
    };
    for (bool file : {false, true}) {
        for (const Row &row : rows) {
            QTest::addRow("%s, %s", file ? "file" : "fake", row.name)
                << file << row.stored << row.expected;
        }
    }
}

void tst_Registry::readStringOfStoredBytes()
{
    QFETCH(bool, file);
    QFETCH(QByteArray, stored);
    QFETCH(QString, expected);
    Store s(file, m_env->configHome());
    s.put(HKEY_CURRENT_USER, mainKey, u"Value"_s, text(stored));
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, mainKey, u"Value"_s), expected);
}

void tst_Registry::writeStringStoresTextWithoutTerminator_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QByteArray>("bytes");
    for (bool file : {false, true}) {
        const char *kind = file ? "file" : "fake";
        QTest::addRow("%s, no", kind) << file << u"no"_s << QByteArray("no");
        QTest::addRow("%s, yes", kind) << file << u"yes"_s << QByteArray("yes");
        QTest::addRow("%s, empty", kind) << file << QString() << QByteArray();
        QTest::addRow("%s, ansi", kind) << file << u"Да"_s << QByteArray("\xc4\xe0");
    }
}

void tst_Registry::writeStringStoresTextWithoutTerminator()
{
    QFETCH(bool, file);
    QFETCH(QString, data);
    QFETCH(QByteArray, bytes);
    Store s(file, m_env->configHome());
    // The key does not exist yet: the writer makes it.
    regWriteString(*s.store, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s, data);
    const auto raw = s.raw(HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s);
    QVERIFY(raw);
    QCOMPARE(raw->type, Registry::Type::String);
    QCOMPARE(raw->data, bytes);
    // And it reads back whole.
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s), data);
}

void tst_Registry::missingKeyOrValueReadsEmpty_data()
{
    addStores();
    QTest::newRow("fake") << false;
    QTest::newRow("file") << true;
}

void tst_Registry::missingKeyOrValueReadsEmpty()
{
    QFETCH(bool, file);
    Store s(file, m_env->configHome());
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, mainKey, u"Display Inline Images"_s),
             QString());
    QCOMPARE(regReadDword(*s.store, HKEY_CURRENT_USER, mainKey, u"Display Inline Images"_s), 0);
    regWriteString(*s.store, HKEY_CURRENT_USER, mainKey, u"Other"_s, u"yes"_s);
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, mainKey, u"Display Inline Images"_s),
             QString());
    QCOMPARE(regReadDword(*s.store, HKEY_CURRENT_USER, mainKey, u"Display Inline Images"_s), 0);
    // A parent of a key exists as a key, but holds nothing.
    QCOMPARE(s.store->openKey(HKEY_CURRENT_USER, u"SOFTWARE\\Microsoft"_s,
                              Registry::Access::Read),
             long(Registry::Success));
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, u"SOFTWARE\\Microsoft"_s, u"Other"_s),
             QString());
    // Another root is another tree.
    QCOMPARE(regReadString(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Other"_s), QString());
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, mainKey, u"Other"_s), u"yes"_s);
}

void tst_Registry::dwordRoundTrip_data()
{
    QTest::addColumn<bool>("file");
    QTest::addColumn<qint32>("number");
    for (bool file : {false, true}) {
        const char *kind = file ? "file" : "fake";
        QTest::addRow("%s, 0x400", kind) << file << qint32(0x400);
        QTest::addRow("%s, 0", kind) << file << qint32(0);
        QTest::addRow("%s, -1", kind) << file << qint32(-1);
        QTest::addRow("%s, 0x7fffffff", kind) << file << qint32(0x7fffffff);
    }
}

void tst_Registry::dwordRoundTrip()
{
    QFETCH(bool, file);
    QFETCH(qint32, number);
    Store s(file, m_env->configHome());
    regWriteDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s, number);
    const auto raw = s.raw(HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s);
    QVERIFY(raw);
    QCOMPARE(raw->type, Registry::Type::Dword);
    QCOMPARE(raw->data.size(), 4);
    QCOMPARE(regReadDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s),
             number);
    // Rewriting replaces the value rather than adding one.
    regWriteDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s, 7);
    QCOMPARE(regReadDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s), 7);
    // A string longer than four bytes does not fit a number.
    regWriteString(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s, u"1024"_s);
    QCOMPARE(regReadDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s), 0);
}

void tst_Registry::deleteValue_data()
{
    addStores();
    QTest::newRow("fake") << false;
    QTest::newRow("file") << true;
}

void tst_Registry::deleteValue()
{
    QFETCH(bool, file);
    Store s(file, m_env->configHome());
    // No key: nothing to open, 0, and no key made.
    QCOMPARE(regDeleteValue(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s), 0L);
    QCOMPARE(s.store->openKey(HKEY_LOCAL_MACHINE, mainKey, Registry::Access::Read),
             long(Registry::FileNotFound));

    regWriteDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s, 1025);
    regWriteDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Keep"_s, 1);
    QCOMPARE(regDeleteValue(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s), 0L);
    QVERIFY(!s.raw(HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s));
    QCOMPARE(regReadDword(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Keep"_s), 1);
    // The key is there, the value is not: the store's own answer.
    QCOMPARE(regDeleteValue(*s.store, HKEY_LOCAL_MACHINE, mainKey, u"Compatibility Flags"_s),
             long(Registry::FileNotFound));
}

void tst_Registry::namesIgnoreCase_data()
{
    addStores();
    QTest::newRow("fake") << false;
    QTest::newRow("file") << true;
}

void tst_Registry::namesIgnoreCase()
{
    QFETCH(bool, file);
    Store s(file, m_env->configHome());
    regWriteString(*s.store, HKEY_CURRENT_USER, mainKey, u"Play_Background_Sounds"_s, u"no"_s);
    const QString otherSpelling = u"\\software\\MICROSOFT\\internet explorer\\main\\"_s;
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, otherSpelling,
                           u"PLAY_BACKGROUND_SOUNDS"_s),
             u"no"_s);
    regWriteString(*s.store, HKEY_CURRENT_USER, otherSpelling, u"play_background_sounds"_s,
                   u"yes"_s);
    QCOMPARE(regReadString(*s.store, HKEY_CURRENT_USER, mainKey, u"Play_Background_Sounds"_s),
             u"yes"_s);
    const auto raw = s.raw(HKEY_CURRENT_USER, mainKey, u"Play_Background_Sounds"_s);
    QVERIFY(raw);
    QCOMPARE(raw->data, QByteArray("yes"));
}

void tst_Registry::readOnlyRootKeepsValuesAndHidesStrings()
{
    FakeRegistry registry;
    registry.putString(HKEY_LOCAL_MACHINE, mainKey, u"Display Inline Images"_s, "yes");
    registry.putDword(HKEY_LOCAL_MACHINE, mainKey, u"Flags"_s, 1024);
    registry.readOnlyRoots.insert(HKEY_LOCAL_MACHINE);

    regWriteString(registry, HKEY_LOCAL_MACHINE, mainKey, u"Display Inline Images"_s, u"no"_s);
    regWriteDword(registry, HKEY_LOCAL_MACHINE, mainKey, u"Flags"_s, 1);
    regWriteString(registry, HKEY_LOCAL_MACHINE, u"SOFTWARE\\New"_s, u"Value"_s, u"no"_s);
    QCOMPARE(regDeleteValue(registry, HKEY_LOCAL_MACHINE, mainKey, u"Flags"_s),
             long(Registry::AccessDenied));

    QCOMPARE(registry.stored(HKEY_LOCAL_MACHINE, mainKey, u"Display Inline Images"_s).data,
             QByteArray("yes"));
    QCOMPARE(registry.stored(HKEY_LOCAL_MACHINE, mainKey, u"Flags"_s).data,
             QByteArray("\x00\x04\x00\x00", 4));
    QVERIFY(!registry.tree().hasKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\New"_s));
    // The string reader asks for full access and so sees nothing; the number
    // reader's plain open reads.
    QCOMPARE(regReadString(registry, HKEY_LOCAL_MACHINE, mainKey, u"Display Inline Images"_s),
             QString());
    QCOMPARE(regReadDword(registry, HKEY_LOCAL_MACHINE, mainKey, u"Flags"_s), 1024);
    // The user's own root is still writable.
    regWriteString(registry, HKEY_CURRENT_USER, mainKey, u"Display Inline Images"_s, u"no"_s);
    QCOMPARE(regReadString(registry, HKEY_CURRENT_USER, mainKey, u"Display Inline Images"_s),
             u"no"_s);
}

void tst_Registry::instancesShareTheFile()
{
    FileRegistry first;
    FileRegistry second;
    QCOMPARE(first.filePath(),
             QDir(m_env->configHome()).filePath(u"olk_Browser/registry.json"_s));
    regWriteString(first, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s, u"no"_s);
    QCOMPARE(regReadString(second, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s), u"no"_s);
    // Each change re-reads the file: neither writer loses the other's value.
    regWriteString(second, HKEY_CURRENT_USER, mainKey, u"Display Inline Videos"_s, u"yes"_s);
    regWriteDword(first, HKEY_LOCAL_MACHINE, mainKey, u"Flags"_s, 3);
    FileRegistry third;
    QCOMPARE(regReadString(third, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s), u"no"_s);
    QCOMPARE(regReadString(third, HKEY_CURRENT_USER, mainKey, u"Display Inline Videos"_s),
             u"yes"_s);
    QCOMPARE(regReadDword(third, HKEY_LOCAL_MACHINE, mainKey, u"Flags"_s), 3);
}

void tst_Registry::damagedFileReadsEmptyAndIsReplaced_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("cut short") << QByteArray("{ \"HKEY_CURRENT_USER\": { \"Software\\\\X\": {");
    QTest::newRow("not an object") << QByteArray("[1, 2]");
    QTest::newRow("not json") << QByteArray("\xff\xfe garbage");
}

void tst_Registry::damagedFileReadsEmptyAndIsReplaced()
{
    QFETCH(QByteArray, bytes);
    FileRegistry registry;
    QDir().mkpath(QFileInfo(registry.filePath()).absolutePath());
    {
        QFile file(registry.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    auto read = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QString bad = registry.filePath() + u".bad"_s;
    QCOMPARE(regReadString(registry, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s),
             QString());
    QCOMPARE(regReadDword(registry, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s), 0);
    // Reading changes nothing.
    QCOMPARE(read(registry.filePath()), bytes);
    QVERIFY(!QFile::exists(bad));

    // The first change keeps the damaged bytes beside the file.
    regWriteString(registry, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s, u"yes"_s);
    QCOMPARE(regReadString(FileRegistry(), HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s),
             u"yes"_s);
    QCOMPARE(read(bad), bytes);
    regWriteString(registry, HKEY_CURRENT_USER, mainKey, u"Play_Videos"_s, u"no"_s);
    QCOMPARE(read(bad), bytes);
    QVERIFY(!QFile::exists(registry.filePath() + u".bad.2"_s));
}

void tst_Registry::damagedFileStaysWhenNoCopyCanBeMade()
{
    // A copy that cannot be made stops the write: nothing is lost.
    const QByteArray bytes("{ broken");
    FileRegistry registry;
    const QString bad = registry.filePath() + u".bad"_s;
    QVERIFY(QDir().mkpath(bad));
    for (int n = 2; n <= 1000; ++n)
        QVERIFY(QDir().mkpath(registry.filePath() + u".bad."_s + QString::number(n)));
    {
        QFile file(registry.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    regWriteString(registry, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s, u"no"_s);
    QFile file(registry.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
}

void tst_Registry::freshFileHoldsInstallValues()
{
    FileRegistry registry;
    QVERIFY(!QFile::exists(registry.filePath()));
    QVERIFY(registry.createFile(FileRegistry::engineInstallValues()));
    // Every switch of the tools menu reads on, under either root, as pages show.
    for (const quint32 root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        for (const char16_t *name : {content::Pictures, content::Videos, content::Sounds,
                                     content::Animations})
            QVERIFY2(readTextSwitch(registry, root, QString::fromUtf16(name)),
                     qPrintable(QString::fromUtf16(name)));
        QCOMPARE(engineContentSettings(registry, root), ContentSettings{});
    }
    QVERIFY(readFlashSwitch(registry));
}

void tst_Registry::existingFileIsNotReinstalled()
{
    FileRegistry registry;
    QVERIFY(registry.createFile(FileRegistry::engineInstallValues()));
    writeTextSwitch(registry, HKEY_LOCAL_MACHINE, QString::fromUtf16(content::Pictures), false);
    regDeleteValue(registry, HKEY_LOCAL_MACHINE, mainKey, QString::fromUtf16(content::Sounds));
    // The next start finds the file: the user's choice and the missing value stay.
    QVERIFY(!FileRegistry().createFile(FileRegistry::engineInstallValues()));
    QVERIFY(!readTextSwitch(registry, HKEY_LOCAL_MACHINE, QString::fromUtf16(content::Pictures)));
    QVERIFY(!readTextSwitch(registry, HKEY_LOCAL_MACHINE, QString::fromUtf16(content::Sounds)));
    QVERIFY(readTextSwitch(registry, HKEY_LOCAL_MACHINE, QString::fromUtf16(content::Videos)));

    // A file that another write made first is left as it is.
    const velmora::test::TestEnvironment other;
    FileRegistry written;
    regWriteString(written, HKEY_CURRENT_USER, mainKey, u"Play_Animations"_s, u"no"_s);
    QVERIFY(!written.createFile(FileRegistry::engineInstallValues()));
    QVERIFY(!readTextSwitch(written, HKEY_CURRENT_USER, QString::fromUtf16(content::Pictures)));
}

void tst_Registry::watchSeesChangesOfOtherInstances()
{
    FileRegistry watched;
    QVERIFY(watched.createFile(FileRegistry::engineInstallValues()));
    int calls = 0;
    watched.watch([&] { ++calls; });
    FileRegistry other;
    writeTextSwitch(other, HKEY_LOCAL_MACHINE, QString::fromUtf16(content::Sounds), false);
    QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 1000);
    // The same value written again changes nothing and is not reported.
    writeTextSwitch(other, HKEY_LOCAL_MACHINE, QString::fromUtf16(content::Sounds), false);
    QTest::qWait(300);
    QCOMPARE(calls, 1);
    writeTextSwitch(other, HKEY_LOCAL_MACHINE, QString::fromUtf16(content::Sounds), true);
    QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 1000);
}

QTEST_GUILESS_MAIN(tst_Registry)
#include "tst_registry.moc"
