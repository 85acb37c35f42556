// Every kind of file the program writes whole, written on a disk that is full.
#include "AddressHistory.h"
#include "FavoritesFiles.h"
#include "FileInternetState.h"
#include "OneValueFiles.h"
#include "ProgramFolder.h"
#include "RegistryFile.h"
#include "SettingsStore.h"
#include "SmallDisk.h"
#include "TextDataBase.h"
#include "WriteFailures.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <exception>

using namespace velmora;
using namespace velmora::services;
using platform::DataFile;
using platform::WriteFailure;
using platform::WriteFailures;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(velmora::platform::DataFile)

namespace {

// One write of the kind into folder; n makes every write's bytes differ.
void writeOnce(DataFile kind, const QString &folder, WriteFailures &failures, int n)
{
    const QString number = QString::number(n);
    try {
        switch (kind) {
        case DataFile::Settings: {
            SettingsStore store(folder);
            store.setWriteFailures(&failures);
            store.SaveSetting(u"general"_s, u"key"_s + number, u"value"_s);
            break;
        }
        case DataFile::AddressHistory:
            AddressHistory(ProgramFolder(folder), &failures)
                .saveItems({u"a.example"_s, u"host"_s + number + u".example"_s});
            break;
        case DataFile::HomePage:
            OneValueFiles(ProgramFolder(folder), &failures)
                .setHomePage(u"http://home"_s + number + u".example/"_s);
            break;
        case DataFile::Options:
            OneValueFiles(ProgramFolder(folder), &failures).setExitFlag(n % 2 == 0);
            break;
        case DataFile::HotWords: {
            cTextDataBase table;
            table.dataTextFile = QDir(folder).filePath(u"db.tdb"_s);
            table.writeFailures = &failures;
            table.write_setting(u"w"_s, u"http://x.example/"_s + number, 1, 1, true);
            break;
        }
        case DataFile::Favorites:
            writeInternetShortcut(QDir(folder).filePath(u"Link.url"_s),
                                  u"http://x.example/"_s + number, &failures);
            break;
        case DataFile::Registry: {
            platform::FileRegistry registry(folder);
            registry.setWriteFailures(&failures);
            const QString key = u"Software\\Velmora"_s;
            if (n == 0)
                registry.createKey(platform::HKEY_CURRENT_USER, key,
                                   platform::Registry::Access::Full);
            registry.setValue(platform::HKEY_CURRENT_USER, key, u"v"_s,
                              {platform::Registry::Type::String, number.toLatin1()});
            break;
        }
        case DataFile::OfflineState: {
            platform::FileInternetState state(folder);
            state.setWriteFailures(&failures);
            state.setOffline(n % 2 == 0);
            break;
        }
        default:
            QFAIL("no writer for this kind");
        }
    } catch (const std::exception &) {
        // The callers' steps go on; what matters is the file and the report.
    }
}

QString fileOf(DataFile kind, const QString &folder)
{
    switch (kind) {
    case DataFile::Settings: return folder + u"/olk_Browser/olk_Browser.conf"_s;
    case DataFile::AddressHistory: return folder + u"/WebHis.dat"_s;
    case DataFile::HomePage: return folder + u"/home.dat"_s;
    case DataFile::Options: return folder + u"/exit.dat"_s;
    case DataFile::HotWords: return folder + u"/db.tdb"_s;
    case DataFile::Favorites: return folder + u"/Link.url"_s;
    case DataFile::Registry: return folder + u"/registry.json"_s;
    case DataFile::OfflineState: return folder + u"/offline"_s;
    default: return {};
    }
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every file under folder but the filler, relative.
QStringList filesUnder(const QString &folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = QDir(folder).relativeFilePath(it.next());
        if (name != u".filler"_s)
            names.append(name);
    }
    names.sort();
    return names;
}

} // namespace

class tst_FullDisk : public QObject
{
    Q_OBJECT

private slots:
    void oldBytesSurviveAndOneReport_data();
    void oldBytesSurviveAndOneReport();
    void settingsLockOnFullDiskDoesNotWait();
};

void tst_FullDisk::oldBytesSurviveAndOneReport_data()
{
    QTest::addColumn<DataFile>("kind");
    QTest::newRow("settings store") << DataFile::Settings;
    QTest::newRow("WebHis.dat") << DataFile::AddressHistory;
    QTest::newRow("home.dat") << DataFile::HomePage;
    QTest::newRow("exit.dat") << DataFile::Options;
    QTest::newRow("db.tdb") << DataFile::HotWords;
    QTest::newRow("exported shortcut") << DataFile::Favorites;
    QTest::newRow("registry.json") << DataFile::Registry;
    QTest::newRow("offline state") << DataFile::OfflineState;
}

void tst_FullDisk::oldBytesSurviveAndOneReport()
{
    QFETCH(DataFile, kind);
    QTemporaryDir root;
    velmora::test::SmallDisk disk(root.path());
    if (!disk.mounted())
        QSKIP(qPrintable(disk.why()));
    const QString folder = disk.path();
    const QString path = fileOf(kind, folder);

    WriteFailures failures;
    QList<WriteFailure> told;
    failures.setListener([&](const WriteFailure &failure) { told.append(failure); });

    writeOnce(kind, folder, failures, 0);
    const QByteArray before = bytesOf(path);
    QVERIFY2(!before.isEmpty() && before != "<unreadable>", qPrintable(path));
    const QStringList filesBefore = filesUnder(folder);
    QVERIFY(told.isEmpty());

    QVERIFY(disk.fill());
    writeOnce(kind, folder, failures, 1);
    writeOnce(kind, folder, failures, 2);
    QCOMPARE(bytesOf(path), before);
    // No temporary file is left beside it.
    QCOMPARE(filesUnder(folder), filesBefore);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told.first().kind, kind);
    QCOMPARE(told.first().outcome.error, ENOSPC);
    QVERIFY(!told.first().outcome.replaced);
    QVERIFY(failures.failing(kind));

    // Room again: the write goes through, and a later failure is told again.
    disk.release();
    writeOnce(kind, folder, failures, 3);
    QVERIFY(bytesOf(path) != before);
    QVERIFY(!failures.failing(kind));
    const QByteArray written = bytesOf(path);
    QVERIFY(disk.fill());
    writeOnce(kind, folder, failures, 4);
    QCOMPARE(bytesOf(path), written);
    QCOMPARE(told.size(), 2);
}

// A lock file that cannot be written is no lock another instance holds:
// the write is tried at once instead of after the ten seconds the wait for
// a held lock may take.
void tst_FullDisk::settingsLockOnFullDiskDoesNotWait()
{
    QTemporaryDir root;
    velmora::test::SmallDisk disk(root.path());
    if (!disk.mounted())
        QSKIP(qPrintable(disk.why()));
    SettingsStore store(disk.path());
    QVERIFY(store.SaveSetting(u"general"_s, u"language"_s, u"English"_s));
    QVERIFY(disk.fill());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!store.SaveSetting(u"general"_s, u"memMess"_s, u"False"_s));
    QVERIFY2(timer.elapsed() < 8000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(store.GetSetting(u"general"_s, u"language"_s), u"English"_s);
}

QTEST_MAIN(tst_FullDisk)
#include "tst_fulldisk.moc"
