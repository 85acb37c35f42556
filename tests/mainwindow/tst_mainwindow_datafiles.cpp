// The program's data files over a whole run: what a full disk leaves of
// them, and who may read them.
#include "FakeDialogs.h"
#include "FileBytes.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "ProgramFixture.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "SmallDisk.h"
#include "UnloadMode.h"
#include "frmMain.h"
#include "frmOptions.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

using namespace velmora;
using namespace velmora::test;
using mainwindow::frmMain;
using namespace Qt::StringLiterals;

using velmora::test::bytesOf;
using velmora::test::writeBytes;
using velmora::test::modeOf;

namespace {

int boxesNaming(const platform::FakeDialogs &dialogs, const QString &name)
{
    int count = 0;
    for (const auto &call : dialogs.msgCalls)
        count += call.text.contains(name) ? 1 : 0;
    return count;
}

} // namespace

class tst_MainWindowDataFiles : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskKeepsHistoryAndSettings_data();
    void fullDiskKeepsHistoryAndSettings();
    void dataFilesAreTheOwnersAlone();
    void failuresMeanwhileJoinOneMessage();
};

void tst_MainWindowDataFiles::fullDiskKeepsHistoryAndSettings_data()
{
    QTest::addColumn<QByteArray>("language");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("English") << QByteArray("English") << u"address history"_s
                             << u"the disk is full"_s;
    QTest::newRow("Russian") << QByteArray("Russian") << u"история адресов"_s
                             << u"на диске нет места"_s;
}

void tst_MainWindowDataFiles::fullDiskKeepsHistoryAndSettings()
{
    QFETCH(QByteArray, language);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    auto fx = std::make_unique<ProgramFixture>();
    auto programDisk = std::make_unique<SmallDisk>(fx->env.programDir());
    if (!programDisk->mounted())
        QSKIP(qPrintable(programDisk->why()));
    auto configDisk = std::make_unique<SmallDisk>(fx->env.configHome());
    QVERIFY(configDisk->mounted());
    // The mount hides what the fixture put there.
    fx->env.installLanguageFiles();
    const QString historyFile = fx->program().folder().file(u"WebHis.dat"_s);
    const QString settingsFile = fx->program().settings().filePath();
    const QByteArray history = "\"a.example\"\r\n\"b.example\"\r\n\"c.example\"\r\n";
    const QByteArray settings =
        "[general]\r\nlanguage=" + language + "\r\nmemMess=True\r\nFavorites=True\r\n";
    const QString autosaveFile = fx->program().folder().file(u"autosave.btl"_s);
    const QByteArray autosave = "\"http://saved.example/\"\r\n";
    writeBytes(historyFile, history);
    writeBytes(settingsFile, settings);
    writeBytes(autosaveFile, autosave);

    frmMain &w = fx->start();
    w.CAutosave->setChecked(true);
    w.mnuShowFavorites->setChecked(false);
    fx->program().optionFlags.conExit = true;
    QVERIFY(programDisk->fill());
    QVERIFY(configDisk->fill());

    QVERIFY(fx->web(1)->fakeNavigate(u"http://new.example/page"_s));
    QVERIFY(fx->web(1)->fakeNavigate(u"http://other.example/"_s));
    // The window's list has the visits; the file kept what it had.
    QVERIFY(w.Combo1->findText(u"new.example"_s) >= 0);
    QCOMPARE(bytesOf(historyFile), history);
    // Told once, in the interface language, however many saves failed.
    QTRY_COMPARE_WITH_TIMEOUT(boxesNaming(fx->dialogs(), u"WebHis.dat"_s), 1, 5000);
    const QString told = fx->dialogs().msgCalls.last().text;
    QVERIFY2(told.contains(kind) && told.contains(reason), qPrintable(told));

    fx->program().closeFromOutside(mainwindow::unload::AppTaskManager);
    QTRY_COMPARE_WITH_TIMEOUT(fx->system().exitCodes, QList<int>{0}, 5000);
    QCOMPARE(bytesOf(historyFile), history);
    QCOMPARE(bytesOf(settingsFile), settings);
    QCOMPARE(bytesOf(autosaveFile), autosave);
    // Nothing half-written is left beside them.
    QCOMPARE(QDir(QFileInfo(settingsFile).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"olk_Browser.conf"_s});
    QCOMPARE(boxesNaming(fx->dialogs(), u"WebHis.dat"_s), 1);
}

void tst_MainWindowDataFiles::dataFilesAreTheOwnersAlone()
{
    ProgramFixture fx;
    // A file the user already had, and made readable by others, keeps that.
    const QString historyFile = fx.program().folder().file(u"WebHis.dat"_s);
    writeBytes(historyFile, "\"a.example\"\r\n");
    QVERIFY(QFile::setPermissions(historyFile, QFile::ReadOwner | QFile::WriteOwner
                                                   | QFile::ReadGroup | QFile::ReadOther));
    frmMain &w = fx.start();
    w.CAutosave->setChecked(true);
    QVERIFY(fx.web(1)->fakeNavigate(u"http://new.example/"_s));
    fx.program().optionFlags.conExit = true;
    fx.program().closeFromOutside(mainwindow::unload::AppTaskManager);
    QTRY_COMPARE_WITH_TIMEOUT(fx.system().exitCodes, QList<int>{0}, 5000);

    QVERIFY(bytesOf(historyFile).contains("new.example"));
    QCOMPARE(modeOf(historyFile), 0644);
    const QString settingsFile = fx.program().settings().filePath();
    for (const QString &name : {u"home.dat"_s, u"web_nw.dat"_s, u"mode.dat"_s, u"exit.dat"_s,
                                u"db.tdb"_s, u"autosave.btl"_s}) {
        const QString path = fx.program().folder().file(name);
        QVERIFY2(modeOf(path) == 0600, qPrintable(name + u' ' + QString::number(modeOf(path), 8)));
    }
    QCOMPARE(modeOf(settingsFile), 0600);
    QCOMPARE(modeOf(QFileInfo(settingsFile).path()), 0700);
}

// Failures raised before the window got to tell the first are told with it,
// in one message; a kind already told is not told again.
void tst_MainWindowDataFiles::failuresMeanwhileJoinOneMessage()
{
    ProgramFixture fx;
    fx.start();
    const qsizetype before = fx.dialogs().msgCalls.size();
    platform::WriteFailures &failures = fx.program().writeFailures();
    const platform::WriteOutcome full{false, ENOSPC, "write", false};
    failures.note(platform::DataFile::AddressHistory, u"/p/WebHis.dat"_s, full);
    failures.note(platform::DataFile::Settings, u"/c/olk_Browser.conf"_s, full);
    failures.note(platform::DataFile::AddressHistory, u"/p/WebHis.dat"_s, full);
    QTRY_COMPARE_WITH_TIMEOUT(fx.dialogs().msgCalls.size(), before + 1, 5000);
    const QString text = fx.dialogs().msgCalls.last().text;
    QVERIFY2(text.contains(u"WebHis.dat"_s) && text.contains(u"olk_Browser.conf"_s),
             qPrintable(text));
    QCOMPARE(text.count(u"WebHis.dat"_s), 1);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    QCOMPARE(fx.dialogs().msgCalls.size(), before + 1);

    // Once that kind was written again, its next failure is told again.
    failures.note(platform::DataFile::AddressHistory, u"/p/WebHis.dat"_s, {});
    failures.note(platform::DataFile::AddressHistory, u"/p/WebHis.dat"_s, full);
    QTRY_COMPARE_WITH_TIMEOUT(fx.dialogs().msgCalls.size(), before + 2, 5000);
}

QTEST_MAIN(tst_MainWindowDataFiles)
#include "tst_mainwindow_datafiles.moc"
