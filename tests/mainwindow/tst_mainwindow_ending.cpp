// Closing the program for reasons that are not the user's: the desktop
// session ending, or a signal telling the process to end.

#include "ProgramFixture.h"

#include "EndSignals.h"
#include "FakeDialogs.h"
#include "FakeServices.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "UnloadMode.h"
#include "frmMain.h"
#include "frmOptions.h"

#include <QAction>
#include <QFile>
#include <QTest>

#include <csignal>
#include <cstring>

using namespace velmora;
using namespace velmora::mainwindow;
using namespace Qt::StringLiterals;
using velmora::test::ProgramFixture;

class tst_MainWindowEnding : public QObject
{
    Q_OBJECT

private slots:
    void closeNotByUser_data();
    void closeNotByUser();
    void closingTwiceUnloadsOnce();
    void beforeTheWindowIsUpEndsAtOnce();
    void closeDuringTheLoadWaitsForItsEnd_data();
    void closeDuringTheLoadWaitsForItsEnd();
    void signalsReachTheEventLoop_data();
    void signalsReachTheEventLoop();
};

void tst_MainWindowEnding::closeNotByUser_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("conExit");
    QTest::newRow("session ends, confirmation on") << unload::AppWindows << true;
    QTest::newRow("told to end, confirmation on") << unload::AppTaskManager << true;
    QTest::newRow("told to end, confirmation off") << unload::AppTaskManager << false;
}

void tst_MainWindowEnding::closeNotByUser()
{
    QFETCH(int, mode);
    QFETCH(bool, conExit);
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    fx.web(1)->Navigate2(u"http://one.example/"_s);
    fx.web(2)->Navigate2(u"http://two.example/"_s);
    w.CAutosave->setChecked(true);
    w.mnuShowFavorites->setChecked(false);
    fx.program().optionFlags.conExit = conExit;

    fx.program().closeFromOutside(mode);
    // Nobody is asked, and the window goes as it does on Yes.
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    QVERIFY(w.unloading);
    QVERIFY(fx.program().appClosing);
    QFile autosave(fx.program().folder().file(u"autosave.btl"_s));
    QVERIFY(autosave.open(QIODevice::ReadOnly));
    QCOMPARE(autosave.readAll(),
             QByteArray("\"http://one.example/\"\r\n\"http://two.example/\"\r\n"));
    services::SettingsStore &settings = fx.program().settings();
    QCOMPARE(settings.GetSetting(u"general"_s, u"WindowState"_s),
             conExit ? u"0"_s : QString());
    QCOMPARE(settings.GetSetting(u"general"_s, u"Favorites"_s), u"False"_s);
    QTRY_COMPARE_WITH_TIMEOUT(fx.system().exitCodes, QList<int>{0}, 3000);
}

void tst_MainWindowEnding::closingTwiceUnloadsOnce()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().optionFlags.conExit = false;
    fx.program().closeFromOutside(unload::AppTaskManager);
    fx.program().closeFromOutside(unload::AppWindows);
    QTRY_COMPARE_WITH_TIMEOUT(fx.system().exitCodes, QList<int>{0}, 3000);
    QVERIFY(w.unloading);
    // The event loop is over: the process ends now, not a second later.
    fx.program().closeFromOutside(unload::AppWindows, true);
    QCOMPARE(fx.system().exitCodes, (QList<int>{0, 0}));
}

void tst_MainWindowEnding::beforeTheWindowIsUpEndsAtOnce()
{
    ProgramFixture fx;
    fx.program().closeFromOutside(unload::AppTaskManager);
    QCOMPARE(fx.system().exitCodes, QList<int>{0});
}

void tst_MainWindowEnding::closeDuringTheLoadWaitsForItsEnd_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("main window loaded") << u"main-loaded"_s;
    QTest::newRow("first tab made") << u"first-tab"_s;
    QTest::newRow("main window shown") << u"main-shown"_s;
}

void tst_MainWindowEnding::closeDuringTheLoadWaitsForItsEnd()
{
    QFETCH(QString, step);
    ProgramFixture fx;
    fx.program().optionFlags.conExit = false;
    bool asked = false;
    bool unloadedBeforeTheLastStep = false;
    QString opened;
    fx.program().setStartStepHook([&](const char *name) {
        if (step == QLatin1String(name)) {
            asked = true;
            fx.program().closeFromOutside(unload::AppTaskManager);
        }
        if (std::strcmp(name, "address") == 0) {
            unloadedBeforeTheLastStep = fx.program().mainWindow().unloading;
            if (platform::FakeWebBrowser *first = fx.web(1))
                opened = first->LocationURL();
        }
    });
    frmMain &w = fx.start(u"http://one.example/"_s);
    QVERIFY(asked);
    // The load ran to its end on loaded browsers: the address was asked for.
    QVERIFY(!unloadedBeforeTheLastStep);
    QCOMPARE(opened, u"http://one.example/"_s);
    // Then the close ran, once.
    QVERIFY(w.unloading);
    QVERIFY(fx.program().appClosing);
    QTRY_COMPARE_WITH_TIMEOUT(fx.system().exitCodes, QList<int>{0}, 3000);
}

void tst_MainWindowEnding::signalsReachTheEventLoop_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void tst_MainWindowEnding::signalsReachTheEventLoop()
{
    QFETCH(int, signal);
    QList<int> received;
    {
        EndSignals handler([&](int number) { received.append(number); });
        QCOMPARE(std::raise(signal), 0);
        // Nothing runs inside the handler itself.
        QVERIFY(received.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(received, QList<int>{signal}, 3000);
    }
}

QTEST_MAIN(tst_MainWindowEnding)
#include "tst_mainwindow_ending.moc"
