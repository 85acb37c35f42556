#include "FileInternetState.h"
#include "FileBytes.h"
#include "RegistryFile.h"
#include "ShellFavoritesDesktop.h"
#include "SmallDisk.h"
#include "TestEnvironment.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora::platform;
using namespace Qt::StringLiterals;

using velmora::test::bytesOf;
using velmora::test::writeBytes;
using velmora::test::modeOf;

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class tst_WholeFile : public QObject
{
    Q_OBJECT

private slots:
    void replacesWholeWithNothingLeftBeside();
    void modeOfNewAndExistingFiles_data();
    void modeOfNewAndExistingFiles();
    void symbolicLinkStaysALink();
    void ownerOfAnExistingFileKept();
    void keepingAnExistingFile();
    void missingFolderFails();
    void fullDiskKeepsOldBytes_data();
    void fullDiskKeepsOldBytes();
    void putInPlaceChecksSize();
    void newFoldersAreTheOwnersAlone();
    void platformFilesAreTheOwnersAlone();
};

void tst_WholeFile::replacesWholeWithNothingLeftBeside()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"WebHis.dat"_s);
    const QByteArray big(3 * 1024 * 1024 + 17, '\xe9');
    QVERIFY(writeWholeFile(path, big));
    QCOMPARE(bytesOf(path), big);
    QVERIFY(writeWholeFile(path, "\"a\"\r\n"));
    QCOMPARE(bytesOf(path), QByteArray("\"a\"\r\n"));
    QVERIFY(writeWholeFile(path, QByteArrayView()));
    QCOMPARE(QFileInfo(path).size(), 0);
    QCOMPARE(entries(dir.path()), QStringList{u"WebHis.dat"_s});
}

void tst_WholeFile::modeOfNewAndExistingFiles_data()
{
    QTest::addColumn<int>("existing"); // -1: no file yet
    QTest::addColumn<int>("expected");
    QTest::newRow("new file") << -1 << 0600;
    QTest::newRow("readable by all") << 0644 << 0644;
    QTest::newRow("readable by the group") << 0640 << 0640;
    QTest::newRow("the owner's alone") << 0600 << 0600;
    QTest::newRow("read-only") << 0400 << 0400;
}

void tst_WholeFile::modeOfNewAndExistingFiles()
{
    QFETCH(int, existing);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"home.dat"_s);
    if (existing >= 0) {
        writeBytes(path, "old");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(existing)), 0);
    }
    QVERIFY(writeWholeFile(path, "new"));
    QCOMPARE(bytesOf(path), QByteArray("new"));
    QCOMPARE(modeOf(path), expected);
}

void tst_WholeFile::symbolicLinkStaysALink()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(u"real.conf"_s);
    const QString link = dir.filePath(u"olk_Browser.conf"_s);
    writeBytes(target, "old");
    QVERIFY(QFile::link(target, link));
    QVERIFY(writeWholeFile(link, "new"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(bytesOf(target), QByteArray("new"));
}

// Root writing a user's file (a start with sudo) leaves it the user's.
void tst_WholeFile::ownerOfAnExistingFileKept()
{
    if (::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    QTemporaryDir dir;
    const QString path = dir.filePath(u"WebHis.dat"_s);
    writeBytes(path, "old");
    const QByteArray name = QFile::encodeName(path);
    QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    QVERIFY(writeWholeFile(path, "new"));
    struct stat info = {};
    QCOMPARE(::stat(name.constData(), &info), 0);
    QCOMPARE(int(info.st_uid), 65534);
    QCOMPARE(int(info.st_gid), 65534);
    QCOMPARE(bytesOf(path), QByteArray("new"));
}

void tst_WholeFile::keepingAnExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"registry.json"_s);
    QVERIFY(writeWholeFile(path, "first", Existing::Keep));
    const WriteOutcome second = writeWholeFile(path, "second", Existing::Keep);
    QVERIFY(!second);
    QCOMPARE(second.error, EEXIST);
    QCOMPARE(bytesOf(path), QByteArray("first"));
    QCOMPARE(entries(dir.path()), QStringList{u"registry.json"_s});
}

void tst_WholeFile::missingFolderFails()
{
    QTemporaryDir dir;
    const WriteOutcome outcome = writeWholeFile(dir.filePath(u"gone/home.dat"_s), "x");
    QVERIFY(!outcome);
    QCOMPARE(outcome.error, ENOENT);
    QVERIFY(outcome.describe(u"home.dat"_s).contains(u"No such file"_s));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"gone"_s)));
}

void tst_WholeFile::fullDiskKeepsOldBytes_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("a few bytes") << qint64(5);
    QTest::newRow("more than the disk holds") << qint64(2 * 1024 * 1024);
}

void tst_WholeFile::fullDiskKeepsOldBytes()
{
    QFETCH(qint64, size);
    QTemporaryDir root;
    velmora::test::SmallDisk disk(root.path(), 1024 * 1024);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.why()));
    const QString path = disk.path() + u"/WebHis.dat"_s;
    const QByteArray old = "\"a.example\"\r\n\"b.example\"\r\n";
    QVERIFY(writeWholeFile(path, old));
    if (size < 1024)
        QVERIFY(disk.fill());
    const WriteOutcome outcome = writeWholeFile(path, QByteArray(size, 'x'));
    QVERIFY(!outcome);
    QCOMPARE(outcome.error, ENOSPC);
    QVERIFY(!outcome.replaced);
    QCOMPARE(bytesOf(path), old);
    QCOMPARE(entries(disk.path()).filter(u"WebHis"_s), QStringList{u"WebHis.dat"_s});
}

void tst_WholeFile::putInPlaceChecksSize()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(u"page.mhtml"_s);
    const QString part = dir.filePath(u"page.mhtml.x.part"_s);
    writeBytes(target, "old archive");
    writeBytes(part, "cut");
    QVERIFY(!putInPlace(part, target, 100));
    QCOMPARE(bytesOf(target), QByteArray("old archive"));
    QVERIFY(!QFileInfo::exists(part));

    const QString fresh = dir.filePath(u"other.mhtml"_s);
    writeBytes(part, "whole archive");
    ::chmod(QFile::encodeName(part).constData(), 0644);
    QVERIFY(putInPlace(part, fresh, 13));
    QCOMPARE(bytesOf(fresh), QByteArray("whole archive"));
    QCOMPARE(modeOf(fresh), 0600);
    QVERIFY(!QFileInfo::exists(part));
}

void tst_WholeFile::newFoldersAreTheOwnersAlone()
{
    QTemporaryDir dir;
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString deep = dir.filePath(u"a/b/c"_s);
    QVERIFY(makeFolder(deep));
    QCOMPARE(modeOf(dir.filePath(u"a"_s)), 0700);
    QCOMPARE(modeOf(dir.filePath(u"a/b"_s)), 0700);
    QCOMPARE(modeOf(deep), 0700);
    // Folders that were there keep their mode; making one twice is no error.
    QCOMPARE(modeOf(dir.path()), 0755);
    QVERIFY(makeFolder(deep));
    writeBytes(dir.filePath(u"file"_s), "x");
    const WriteOutcome onFile = makeFolder(dir.filePath(u"file/sub"_s));
    QVERIFY(!onFile);
    QCOMPARE(onFile.error, ENOTDIR);
}

// What the desktop layer creates in a fresh profile: the registry file, the
// offline state and the Favorites folder.
void tst_WholeFile::platformFilesAreTheOwnersAlone()
{
    velmora::test::TestEnvironment env;
    const QString config = env.configHome() + u"/olk_Browser"_s;
    FileRegistry registry(config);
    QVERIFY(registry.createFile(FileRegistry::engineInstallValues()));
    QCOMPARE(modeOf(config), 0700);
    QCOMPARE(modeOf(registry.filePath()), 0600);
    FileInternetState state(config);
    state.setOffline(true);
    QCOMPARE(modeOf(state.filePath()), 0600);
    DesktopShellFavorites favorites;
    const QString folder = favorites.favoritesFolder();
    QVERIFY(!folder.isEmpty());
    QCOMPARE(modeOf(folder), 0700);
    QCOMPARE(modeOf(QFileInfo(folder).path()), 0700);
}

QTEST_MAIN(tst_WholeFile)
#include "tst_wholefile.moc"
