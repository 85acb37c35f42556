#include "ProgramFixture.h"

#include "FakeDialogs.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMemSave.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

using velmora::mainwindow::frmMain;
using velmora::platform::MemoryStatus;
using velmora::test::ProgramFixture;
using velmora::windows::frmMemSave;

namespace {

constexpr quint64 MB = 1024 * 1024;

MemoryStatus memory(double totalMB, double freeMB)
{
    return {quint64(totalMB * MB), quint64(freeMB * MB), 0};
}

// A started window whose warnings are switched on (the user cleared the item).
frmMain &startWarning(ProgramFixture &fx)
{
    frmMain &w = fx.start();
    w.mnuMemMesOff->setChecked(false);
    return w;
}

frmMemSave *lowMemoryWindow(ProgramFixture &fx)
{
    return fx.program().loadedWindow<frmMemSave>();
}

bool lowMemoryWindowShown(ProgramFixture &fx)
{
    frmMemSave *window = lowMemoryWindow(fx);
    return window && window->isVisible();
}

} // namespace

class TestMemoryWatch : public QObject
{
    Q_OBJECT
private slots:
    void watchRunsOutsideTheNtFamily_data();
    void watchRunsOutsideTheNtFamily();
    void threshold_data();
    void threshold();
    void freshInstallationStaysSilent();
    void windowIsShownOnceAndStaysLoaded();
    void checkingTheSwitchHidesTheWindowAtTheNextStep();
    void closingTheWindowUnloadsIt();
    void unknownMemoryChangesNothing();
    void stopAllTick();
    void tickWhileHiddenDoesNothing();
    void windowTakesItsLanguage();
    void switchIsStoredAndReadBack();
    void freeMemoryReport_data();
    void freeMemoryReport();
};

void TestMemoryWatch::watchRunsOutsideTheNtFamily_data()
{
    QTest::addColumn<bool>("winNT");
    QTest::newRow("this platform family") << false;
    QTest::newRow("NT family") << true;
}

void TestMemoryWatch::watchRunsOutsideTheNtFamily()
{
    QFETCH(bool, winNT);
    ProgramFixture fx;
    fx.system().winNT = winNT;
    frmMain &w = fx.start();
    QCOMPARE(w.memory->isActive(), !winNT);
    QCOMPARE(w.memory->interval(), 2000);
    QCOMPARE(w.mnuMemMesOff->isVisible(), !winNT);
}

void TestMemoryWatch::threshold_data()
{
    QTest::addColumn<double>("totalMB");
    QTest::addColumn<double>("freeMB");
    QTest::addColumn<bool>("warningsOff");
    QTest::addColumn<bool>("shown");

    QTest::newRow("10 percent") << 1000.0 << 100.0 << false << false;
    QTest::newRow("6 percent") << 1000.0 << 60.0 << false << false;
    QTest::newRow("5 percent") << 1000.0 << 50.0 << false << true;
    QTest::newRow("5.5 percent counts as 6") << 1000.0 << 55.0 << false << false;
    QTest::newRow("nothing free") << 1000.0 << 0.0 << false << true;
    QTest::newRow("54.5 free megabytes count as 54") << 1000.0 << 54.5 << false << true;
    QTest::newRow("5 percent, warnings off") << 1000.0 << 50.0 << true << false;
    // Beyond what 16-bit megabyte counts and 32-bit byte counts hold.
    QTest::newRow("64 GB machine, 4 percent") << 65536.0 << 2700.0 << false << true;
    QTest::newRow("64 GB machine, 40 percent") << 65536.0 << 26000.0 << false << false;
}

void TestMemoryWatch::threshold()
{
    QFETCH(double, totalMB);
    QFETCH(double, freeMB);
    QFETCH(bool, warningsOff);
    QFETCH(bool, shown);

    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    w.mnuMemMesOff->setChecked(warningsOff);
    fx.system().memory = memory(totalMB, freeMB);
    const int queries = fx.system().memoryQueries;
    w.memory_Timer();

    QCOMPARE(fx.system().memoryQueries, queries + 1);
    QCOMPARE(lowMemoryWindowShown(fx), shown);
    QCOMPARE(w.memSaveTag, shown);
    if (shown)
        QVERIFY(lowMemoryWindow(fx)->Timer1->isActive());
}

void TestMemoryWatch::freshInstallationStaysSilent()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QVERIFY(w.mnuMemMesOff->isChecked());
    fx.system().memory = memory(1000, 10);
    w.memory_Timer();
    QVERIFY(!w.memSaveTag);
    QVERIFY(!lowMemoryWindow(fx));
}

void TestMemoryWatch::windowIsShownOnceAndStaysLoaded()
{
    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    frmMemSave *window = lowMemoryWindow(fx);
    QVERIFY(window && window->isVisible());
    QVERIFY(window->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);

    // While the tag is set the watch leaves the window alone, even hidden.
    window->hide();
    w.memory_Timer();
    QVERIFY(!window->isVisible());
    QVERIFY(w.memSaveTag);

    // Recovery hides the window and stops its timer; it stays loaded.
    fx.system().memory = memory(1000, 300);
    w.memory_Timer();
    QVERIFY(!w.memSaveTag);
    QVERIFY(!window->Timer1->isActive());
    QCOMPARE(lowMemoryWindow(fx), window);

    // Short again: the same window comes back with its timer.
    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    QCOMPARE(lowMemoryWindow(fx), window);
    QVERIFY(window->isVisible());
    QVERIFY(window->Timer1->isActive());
    QVERIFY(w.memSaveTag);
}

void TestMemoryWatch::checkingTheSwitchHidesTheWindowAtTheNextStep()
{
    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    QVERIFY(lowMemoryWindowShown(fx));

    w.mnuMemMesOff->trigger();
    QVERIFY(w.mnuMemMesOff->isChecked());
    QVERIFY(lowMemoryWindowShown(fx));
    w.memory_Timer();
    QVERIFY(!lowMemoryWindowShown(fx));
    QVERIFY(!w.memSaveTag);
}

void TestMemoryWatch::closingTheWindowUnloadsIt()
{
    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    QPointer<frmMemSave> window = lowMemoryWindow(fx);
    QVERIFY(window);

    QVERIFY(window->close());
    QVERIFY(!w.memSaveTag);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
    QVERIFY(!lowMemoryWindow(fx));

    // Still short of memory: the next step loads it again.
    w.memory_Timer();
    QVERIFY(lowMemoryWindowShown(fx));
    QVERIFY(w.memSaveTag);
}

void TestMemoryWatch::unknownMemoryChangesNothing()
{
    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    fx.system().memory = {};
    w.memory_Timer();
    QVERIFY(!lowMemoryWindow(fx));
    QVERIFY(!w.memSaveTag);

    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    fx.system().memory = {};
    w.memory_Timer();
    QVERIFY(lowMemoryWindowShown(fx));
    QVERIFY(w.memSaveTag);
}

void TestMemoryWatch::stopAllTick()
{
    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    w.cmdNew_Click();
    w.cmdNew_Click();
    w.cmdClose_Click(); // a closed tab keeps its control
    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    frmMemSave *window = lowMemoryWindow(fx);
    QCOMPARE(window->Timer1->interval(), frmMemSave::FirstTickMs);

    QList<int> before;
    for (int i = 0; i < w.webCount(); ++i)
        before.append(fx.web(i) ? fx.web(i)->calls.stops : -1);
    QCOMPARE(w.webCount(), 4);

    window->Timer1_Timer();
    QCOMPARE(window->Timer1->interval(), frmMemSave::TickMs);
    for (int i = 0; i < w.webCount(); ++i) {
        if (before.at(i) < 0)
            continue;
        QCOMPARE(fx.web(i)->calls.stops, before.at(i) + 1);
    }
    QVERIFY(fx.web(0)->calls.stops > before.at(0)); // the hidden tab 0 as well
}

void TestMemoryWatch::tickWhileHiddenDoesNothing()
{
    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    frmMemSave *window = lowMemoryWindow(fx);
    window->hide();
    const int stops = fx.web(1)->calls.stops;
    window->Timer1_Timer();
    QCOMPARE(fx.web(1)->calls.stops, stops);
    QCOMPARE(window->Timer1->interval(), frmMemSave::FirstTickMs);
}

void TestMemoryWatch::windowTakesItsLanguage()
{
    ProgramFixture fx;
    frmMain &w = startWarning(fx);
    fx.system().memory = memory(1000, 20);
    w.memory_Timer();
    frmMemSave *window = lowMemoryWindow(fx);
    auto &lang = fx.program().language();
    QCOMPARE(lang.langControl(97), window);
    QCOMPARE(lang.langControl(98), window->Label1);
    QVERIFY(!window->windowTitle().isEmpty());
    QVERIFY(!window->Label1->text().isEmpty());
}

void TestMemoryWatch::switchIsStoredAndReadBack()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    auto &settings = fx.program().settings();
    QVERIFY(w.mnuMemMesOff->isChecked());

    w.mnuMemMesOff->trigger();
    QVERIFY(!w.mnuMemMesOff->isChecked());
    QCOMPARE(settings.GetSetting(QStringLiteral("general"), QStringLiteral("memMess")),
             QStringLiteral("False"));
    // One key whatever the letter case: the load reads it back.
    QCOMPARE(settings.GetSetting(QStringLiteral("general"), QStringLiteral("memmess")),
             QStringLiteral("False"));

    w.mnuMemMesOff->trigger();
    QCOMPARE(settings.GetSetting(QStringLiteral("general"), QStringLiteral("memMess")),
             QStringLiteral("True"));
    w.mnuMemMesOff->trigger();

    // A new run over the same store starts with the warnings on.
    ProgramFixture next;
    next.program().settings().SaveSetting(
        QStringLiteral("general"), QStringLiteral("memMess"),
        settings.GetSetting(QStringLiteral("general"), QStringLiteral("memMess")));
    QVERIFY(!next.start().mnuMemMesOff->isChecked());
}

void TestMemoryWatch::freeMemoryReport_data()
{
    QTest::addColumn<MemoryStatus>("status");
    QTest::addColumn<QString>("freeMB");
    QTest::addColumn<QString>("percent");

    QTest::newRow("512 MB, 100 free") << memory(512, 100) << QStringLiteral("100")
                                      << QStringLiteral("20");
    QTest::newRow("rounded megabytes") << memory(1000, 10.5) << QStringLiteral("10")
                                       << QStringLiteral("1");
    QTest::newRow("64 GB machine") << memory(65536, 40000) << QStringLiteral("40000")
                                   << QStringLiteral("61");
    QTest::newRow("memory unknown") << MemoryStatus{} << QStringLiteral("0")
                                    << QStringLiteral("0");
}

void TestMemoryWatch::freeMemoryReport()
{
    QFETCH(MemoryStatus, status);
    QFETCH(QString, freeMB);
    QFETCH(QString, percent);

    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.system().memory = status;
    const auto calls = fx.dialogs().msgCalls.size();
    w.actionNamed(QStringLiteral("mnuMem"))->trigger();

    QCOMPARE(fx.dialogs().msgCalls.size(), calls + 1);
    const auto &call = fx.dialogs().msgCalls.last();
    const auto &lang = fx.program().language();
    QVERIFY(!lang.langText(8).isEmpty());
    QCOMPARE(call.text,
             lang.langText(8) + freeMB + lang.langText(9) + percent + lang.langText(10));
    QCOMPARE(call.title, lang.langText(11));
    QCOMPARE(call.icon, velmora::platform::MsgIcon::Information);
    QCOMPARE(call.buttons, velmora::platform::MsgButtons::OK);
    QCOMPARE(call.parent, &w);
}

QTEST_MAIN(TestMemoryWatch)
#include "tst_memorywatch.moc"
