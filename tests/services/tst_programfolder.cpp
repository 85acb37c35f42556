// Where the program keeps its data files: the build tree, a chosen folder,
// or for an installed program the user's own folders.

#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora::services;

class tst_ProgramFolder : public QObject
{
    Q_OBJECT
private slots:
    void chosenFolder_data();
    void chosenFolder();
    void installedDataBesideTheProgram_data();
    void installedDataBesideTheProgram();
};

void tst_ProgramFolder::chosenFolder_data()
{
    QTest::addColumn<QString>("fromEnv");
    QTest::addColumn<QString>("installedData");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("folder");
    const QString data = QStringLiteral("/usr/share/velmora");
    QTest::newRow("build tree") << QString() << QString() << true << QStringLiteral("/app/bin");
    QTest::newRow("build tree, read-only") << QString() << QString() << false
                                           << QStringLiteral("/app/bin");
    QTest::newRow("installed, own folder writable") << QString() << data << true
                                                    << QStringLiteral("/app/bin");
    QTest::newRow("installed, own folder not writable")
        << QString() << data << false << QStringLiteral("/home/u/.local/share/olk_Browser");
    QTest::newRow("chosen folder wins") << QStringLiteral("/chosen") << data << false
                                        << QStringLiteral("/chosen");
}

void tst_ProgramFolder::chosenFolder()
{
    QFETCH(QString, fromEnv);
    QFETCH(QString, installedData);
    QFETCH(bool, writable);
    QFETCH(QString, folder);
    QCOMPARE(chooseProgramFolder(fromEnv, QStringLiteral("/app/bin"), installedData, writable,
                                 QStringLiteral("/home/u/.local/share")),
             folder);
}

void tst_ProgramFolder::installedDataBesideTheProgram_data()
{
    QTest::addColumn<bool>("shipped");
    QTest::addColumn<bool>("found");
    QTest::newRow("language list installed") << true << true;
    QTest::newRow("empty share folder") << false << false;
}

void tst_ProgramFolder::installedDataBesideTheProgram()
{
    QFETCH(bool, shipped);
    QFETCH(bool, found);
    QTemporaryDir prefix;
    QDir root(prefix.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    QVERIFY(root.mkpath(QStringLiteral("share/velmora")));
    if (shipped) {
        QFile list(root.filePath(QStringLiteral("share/velmora/lang.lng")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("\"Russian\"\r\n");
    }
    const QString folder = installedDataFolder(root.filePath(QStringLiteral("bin")));
    QCOMPARE(folder, found ? root.filePath(QStringLiteral("share/velmora")) : QString());
    // A program outside such a layout has no installed data.
    QCOMPARE(installedDataFolder(prefix.path()), QString());
}

QTEST_GUILESS_MAIN(tst_ProgramFolder)
#include "tst_programfolder.moc"
