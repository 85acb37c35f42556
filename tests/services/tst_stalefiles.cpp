// What instances killed while writing leave behind is cleared at start, and
// nothing another instance is still using.

#include "ProgramFixture.h"
#include "StaleFiles.h"
#include "TestEnvironment.h"

#include "Program.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <iostream>
#include <thread>

using namespace Qt::StringLiterals;
using velmora::services::removeStaleFiles;

namespace {

void writeFile(const QString &path, bool old)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.flush();
    if (old)
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
}

} // namespace

class tst_StaleFiles : public QObject
{
    Q_OBJECT

private slots:
    void temporaryCopies();
    void locks();
    void startClearsProgramFolders();

private:
    // A process of this test that takes the lock and waits.
    void startHolder(QProcess &holder, const QString &lockPath);
};

void tst_StaleFiles::temporaryCopies()
{
    QTemporaryDir dir;
    const QString d = dir.path() + u'/';
    writeFile(d + u"home.dat.Ab12Cd"_s, true);      // ours, left long ago
    writeFile(d + u"crash!$#.x9Y8z7"_s, true);      // ours
    writeFile(d + u"Mail.url.Qw3rty"_s, true);      // a shortcut's
    writeFile(d + u"home.dat.Zz99Yy"_s, false);     // being written right now
    writeFile(d + u"home.dat.backup"_s, true);      // a word, not a copy
    writeFile(d + u"notes.txt.Ab12Cd"_s, true);     // not ours
    writeFile(d + u"home.dat"_s, true);
    writeFile(d + u"WebHis.dat.bad"_s, true);

    QStringList removed = removeStaleFiles(dir.path(), {u"home.dat"_s, u"crash!$#"_s, u"*.url"_s});
    removed.sort();
    QCOMPARE(removed, (QStringList{u"Mail.url.Qw3rty"_s, u"crash!$#.x9Y8z7"_s,
                                   u"home.dat.Ab12Cd"_s}));
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    left.sort();
    QCOMPARE(left, (QStringList{u"WebHis.dat.bad"_s, u"home.dat"_s, u"home.dat.Zz99Yy"_s,
                                u"home.dat.backup"_s, u"notes.txt.Ab12Cd"_s}));
}

void tst_StaleFiles::startHolder(QProcess &holder, const QString &lockPath)
{
    holder.start(QCoreApplication::applicationFilePath(), {u"--hold"_s, lockPath});
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));
}

void tst_StaleFiles::locks()
{
    QTemporaryDir dir;
    const QString dead = dir.path() + u"/olk_Browser.conf.lock"_s;
    const QString live = dir.path() + u"/registry.json.lock"_s;
    QProcess killed;
    startHolder(killed, dead);
    ::kill(pid_t(killed.processId()), SIGKILL);
    QVERIFY(killed.waitForFinished());
    QVERIFY(QFile::exists(dead));
    QProcess running;
    startHolder(running, live);

    const QStringList removed =
        removeStaleFiles(dir.path(), {u"olk_Browser.conf"_s, u"registry.json"_s});
    QCOMPARE(removed, QStringList{u"olk_Browser.conf.lock"_s});
    QVERIFY(!QFile::exists(dead));
    QVERIFY(QFile::exists(live));
    running.kill();
    running.waitForFinished();
}

void tst_StaleFiles::startClearsProgramFolders()
{
    velmora::test::ProgramFixture fx;
    velmora::Program &program = fx.program();
    const QString settingsFolder = QFileInfo(program.settings().filePath()).absolutePath();
    QVERIFY(QDir().mkpath(settingsFolder));
    writeFile(program.folder().file(u"WebHis.dat.aB3dE5"_s), true);
    writeFile(settingsFolder + u"/olk_Browser.conf.aB3dE5"_s, true);
    writeFile(settingsFolder + u"/registry.json.aB3dE5"_s, true);
    fx.start();
    QVERIFY(!QFile::exists(program.folder().file(u"WebHis.dat.aB3dE5"_s)));
    QVERIFY(!QFile::exists(settingsFolder + u"/olk_Browser.conf.aB3dE5"_s));
    QVERIFY(!QFile::exists(settingsFolder + u"/registry.json.aB3dE5"_s));
}

int main(int argc, char **argv)
{
    if (argc == 3 && QByteArray(argv[1]) == "--hold") {
        QCoreApplication app(argc, argv);
        QLockFile lock(QString::fromLocal8Bit(argv[2]));
        if (!lock.lock())
            return 1;
        std::cout << "locked" << std::endl;
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    QApplication app(argc, argv);
    tst_StaleFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_stalefiles.moc"
