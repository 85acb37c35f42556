#include "ProgramFixture.h"
#include "TabHelpers.h"

#include "Bar.h"

#include "FakeInternetState.h"
#include "FakeServices.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "FileInternetState.h"
#include "Language.h"
#include "Program.h"
#include "frmMain.h"

#include "TabstripP.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolBar>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;

namespace {

QString positionText(velmora::Program &program, int position, int count)
{
    auto &lang = program.language();
    return lang.langText(32) + QString::number(position) + lang.langText(33)
        + QString::number(count);
}

QString captionOf(frmMain &w, int tab)
{
    return w.getTitle(tab) + QStringLiteral(" - ") + w.program().language().langText(5);
}

// A suggestion list that the tick leaves alone: address typed, focus in the
// address bar, items present and shown.
void showSuggestions(frmMain &w, const QStringList &items)
{
    w.Combo1->setEditText(QStringLiteral("exa"));
    w.FocusOwner = 1;
    w.podskazka->clear();
    w.podskazka->addItems(items);
    w.podskazka->show();
}

} // namespace

class TestMainWindowTimers : public QObject
{
    Q_OBJECT

private slots:
    void loadRunsTheSynchroniser();
    void sliderAndPositionText_data();
    void sliderAndPositionText();
    void backgroundWindowCatchesUpOnActivation();
    void exitingStopsAfterBinding();
    void mouseOverBoundPageOnly();
    void offlineMarkFollowsOneTickLater();
    void offlineStateIsNotReadFromFilePerTick();
    void autosaveSwitchedOnOnce();
    void suggestionList_data();
    void suggestionList();
    void suggestionSelectionAtTheEnds_data();
    void suggestionSelectionAtTheEnds();
    void pageFocusRequestConsumed_data();
    void pageFocusRequestConsumed();
    void startFocusTimerIsOneShot();
    void sliderFocusTimerKeepsTrying();
    void screenCheck_data();
    void screenCheck();
    void firstPaintLaysOut();
    void paintWhileClosingUnloads();
    void processEndsOneSecondAfterUnload();
};

void TestMainWindowTimers::loadRunsTheSynchroniser()
{
    // The load's own ticks run before the timers start.
    ProgramFixture fx;
    frmMain &w = fx.start();
    QCOMPARE(w.statusPanel2->text(), positionText(fx.program(), 1, 1));
    QCOMPARE(w.windowTitle(), captionOf(w, 1));
}

void TestMainWindowTimers::sliderAndPositionText_data()
{
    QTest::addColumn<int>("opened"); // tabs in all, tab 1 included
    QTest::addColumn<QList<int>>("closed");
    QTest::addColumn<int>("select");
    QTest::addColumn<int>("position"); // 1-based, as shown
    QTest::addColumn<int>("count");

    QTest::newRow("one tab") << 1 << QList<int>{} << 1 << 1 << 1;
    QTest::newRow("seven tabs, third") << 7 << QList<int>{} << 3 << 3 << 7;
    QTest::newRow("seven tabs, last") << 7 << QList<int>{} << 7 << 7 << 7;
    QTest::newRow("closed tabs do not count") << 5 << QList<int>{2, 3} << 4 << 2 << 3;
}

void TestMainWindowTimers::sliderAndPositionText()
{
    QFETCH(int, opened);
    QFETCH(QList<int>, closed);
    QFETCH(int, select);
    QFETCH(int, position);
    QFETCH(int, count);

    ProgramFixture fx;
    frmMain &w = fx.start();
    for (int i = 1; i < opened; ++i)
        w.cmdNew_Click();
    for (int tab : closed) {
        w.Tabstrip1->setValue(tab);
        w.cmdClose_Click();
    }
    w.Tabstrip1->setValue(select);
    w.Timer1_Timer();

    QCOMPARE(w.currentTabNumber(), select);
    QCOMPARE(w.statusPanel2->text(), positionText(fx.program(), position, count));
    QCOMPARE(w.spinbutton1->isEnabled(), count > 1);
    QCOMPARE(w.spinbutton1->maximum(), count - 1);
    QCOMPARE(w.spinbutton1->value(), position - 1);
    QCOMPARE(w.sliderPos, position - 1);
    // Panel 2 fits its text, panel 1 fills the room up to the progress bar.
    const int textWidth = w.fontMetrics().horizontalAdvance(w.statusPanel2->text());
    QVERIFY(qAbs(w.statusPanel2->minimumWidth() - (textWidth + 100.0 / 15)) <= 1);
    QVERIFY(qAbs(w.statusPanel1->minimumWidth() - (w.Bar1->x() - textWidth - 170.0 / 15)) <= 1);
}

void TestMainWindowTimers::backgroundWindowCatchesUpOnActivation()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    w.setWindowTitle(QStringLiteral("stale"));
    const QString panelBefore = w.statusPanel2->text();

    fx.system().foreground = false;
    w.Timer1_Timer();
    QCOMPARE(w.windowTitle(), QStringLiteral("stale"));
    QCOMPARE(w.statusPanel2->text(), panelBefore);
    // The page is bound all the same.
    QCOMPARE(w.HTML.data(), fx.web(2)->Document());

    fx.system().foreground = true;
    w.Timer1_Timer();
    QCOMPARE(w.windowTitle(), captionOf(w, 2));
    QCOMPARE(w.statusPanel2->text(), positionText(fx.program(), 2, 2));
}

void TestMainWindowTimers::exitingStopsAfterBinding()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.exiting = true;
    fx.internet().offline = true;
    w.setWindowTitle(QStringLiteral("stale"));
    const int reads = fx.internet().isOfflineCalls;

    w.Timer1_Timer();
    QCOMPARE(w.windowTitle(), QStringLiteral("stale"));
    QVERIFY(!w.Check1->isChecked());
    QCOMPARE(fx.internet().isOfflineCalls, reads);

    // The user answered No: the synchroniser resumes.
    w.exiting = false;
    w.Timer1_Timer();
    QCOMPARE(w.windowTitle(), captionOf(w, 1));
    QVERIFY(w.Check1->isChecked());
}

void TestMainWindowTimers::mouseOverBoundPageOnly()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    w.Tabstrip1->setValue(1);
    w.Timer1_Timer();
    w.FocusOwner = 3;
    auto *first = fx.web(1)->fakeDocument();
    auto *second = fx.web(2)->fakeDocument();

    int before = first->focusCount;
    first->fakeMouseMove();
    QCOMPARE(first->focusCount, before + 1);

    // Bound to the tab now current, the other page's mouse no longer counts.
    w.Tabstrip1->setValue(2);
    w.Timer1_Timer();
    w.FocusOwner = 3;
    before = first->focusCount;
    const int secondBefore = second->focusCount;
    first->fakeMouseMove();
    QCOMPARE(first->focusCount, before);
    second->fakeMouseMove();
    QCOMPARE(second->focusCount, secondBefore + 1);
}

void TestMainWindowTimers::offlineMarkFollowsOneTickLater()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    const int reads = fx.internet().isOfflineCalls;
    fx.internet().offline = true;

    w.Timer1_Timer();
    QVERIFY(w.Check1->isChecked());
    QVERIFY(!w.mnuOffline->isChecked());
    w.Timer1_Timer();
    QVERIFY(w.mnuOffline->isChecked());

    fx.internet().offline = false;
    w.Timer1_Timer();
    QVERIFY(!w.Check1->isChecked());
    QVERIFY(w.mnuOffline->isChecked());
    w.Timer1_Timer();
    QVERIFY(!w.mnuOffline->isChecked());
    QCOMPARE(fx.internet().isOfflineCalls - reads, 4);
}

void TestMainWindowTimers::offlineStateIsNotReadFromFilePerTick()
{
    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    const QString folder = env.configHome() + QStringLiteral("/offline-state");
    auto fakes = velmora::platform::makeFakeServices();
    auto state = std::make_unique<velmora::platform::FileInternetState>(folder);
    velmora::platform::FileInternetState *file = state.get();
    fakes.services.internet = std::move(state);
    velmora::Program program(std::move(fakes.services));
    program.start({});
    frmMain &w = program.mainWindow();

    const int reads = file->fileReads();
    for (int i = 0; i < 50; ++i)
        w.Timer1_Timer();
    QCOMPARE(file->fileReads(), reads);

    // Another instance goes offline: the running ticks pick it up.
    velmora::platform::FileInternetState other(folder);
    other.setOffline(true);
    QTRY_VERIFY(w.mnuOffline->isChecked());
    QVERIFY(w.Check1->isChecked());
}

void TestMainWindowTimers::autosaveSwitchedOnOnce()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.Timer1_Timer();
    QVERIFY(!w.CAutosave->isChecked());
    QVERIFY(!w.autosaveArmed);

    w.cmdNew_Click();
    w.Timer1_Timer();
    QVERIFY(w.CAutosave->isChecked());
    QVERIFY(w.autosaveArmed);

    // The user's choice stands for the rest of the run.
    w.CAutosave->setChecked(false);
    w.cmdNew_Click();
    w.Timer1_Timer();
    w.Timer1_Timer();
    QVERIFY(!w.CAutosave->isChecked());
}

void TestMainWindowTimers::suggestionList_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("focusOwner");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("shown");

    const QStringList some{QStringLiteral("example.com"), QStringLiteral("example.org")};
    QTest::newRow("typed, list has items") << QStringLiteral("exa") << 1 << some << true;
    QTest::newRow("empty address") << QString() << 1 << some << false;
    QTest::newRow("page has the focus") << QStringLiteral("exa") << 2 << some << false;
    QTest::newRow("no items") << QStringLiteral("exa") << 1 << QStringList{} << false;
}

void TestMainWindowTimers::suggestionList()
{
    QFETCH(QString, address);
    QFETCH(int, focusOwner);
    QFETCH(QStringList, items);
    QFETCH(bool, shown);

    ProgramFixture fx;
    frmMain &w = fx.start();
    showSuggestions(w, items);
    w.Combo1->setEditText(address);
    w.FocusOwner = focusOwner;
    w.podskazka->resize(w.Combo1->width() / 2, w.podskazka->height());
    w.suppressComboClick = !shown;
    w.hintRebuild = shown;

    w.Timer1_Timer();
    QCOMPARE(!w.podskazka->isHidden(), shown);
    QCOMPARE(w.podskazka->count(), shown ? items.size() : 0);
    QCOMPARE(w.suppressComboClick, shown);
    QCOMPARE(w.hintRebuild, !shown);
    QCOMPARE(w.podskazka->width(), w.Combo1->width());
    if (shown) // above the page
        QCOMPARE(w.form->children().last(), w.podskazka);
}

void TestMainWindowTimers::suggestionSelectionAtTheEnds_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("picking");
    QTest::addColumn<bool>("kept");

    QTest::newRow("first row") << 0 << false << false;
    QTest::newRow("last row") << 3 << false << false;
    QTest::newRow("inner row") << 2 << false << true;
    QTest::newRow("first row while picking") << 0 << true << true;
}

void TestMainWindowTimers::suggestionSelectionAtTheEnds()
{
    QFETCH(int, selected);
    QFETCH(bool, picking);
    QFETCH(bool, kept);

    ProgramFixture fx;
    frmMain &w = fx.start();
    showSuggestions(w, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                        QStringLiteral("d")});
    w.podskazka->item(selected)->setSelected(true);
    w.hintPicking = picking;

    w.Timer1_Timer();
    QCOMPARE(w.podskazka->item(selected)->isSelected(), kept);
}

void TestMainWindowTimers::pageFocusRequestConsumed_data()
{
    QTest::addColumn<bool>("foreground");
    QTest::addColumn<bool>("pending"); // still pending after the tick
    QTest::addColumn<bool>("focused");

    QTest::newRow("foreground") << true << false << true;
    QTest::newRow("background waits") << false << true << false;
}

void TestMainWindowTimers::pageFocusRequestConsumed()
{
    QFETCH(bool, foreground);
    QFETCH(bool, pending);
    QFETCH(bool, focused);

    ProgramFixture fx;
    frmMain &w = fx.start();
    w.Timer1_Timer();
    // Focus elsewhere, so the mouse-move rule does not give the page the focus.
    w.FocusOwner = 1;
    auto *document = fx.web(1)->fakeDocument();
    const int before = document->focusCount;
    fx.system().foreground = foreground;
    w.pageFocusPending = true;

    w.Timer1_Timer();
    QCOMPARE(w.pageFocusPending, pending);
    QCOMPARE(document->focusCount > before, focused);
}

void TestMainWindowTimers::startFocusTimerIsOneShot()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QVERIFY(w.Timer2->isActive());
    const int before = fx.web(1)->calls.setFocus;
    QTRY_VERIFY(!w.Timer2->isActive());
    QCOMPARE(fx.web(1)->calls.setFocus, before + 1);
    QTest::qWait(50);
    QCOMPARE(fx.web(1)->calls.setFocus, before + 1);
}

void TestMainWindowTimers::sliderFocusTimerKeepsTrying()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.cmdNew_Click();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // Nothing else hands the focus to the page meanwhile.
    QTRY_VERIFY(!w.Timer2->isActive());
    w.pageFocusPending = false;
    w.Timer1_Timer();
    QVERIFY(w.spinbutton1->isEnabled());
    w.Timer1->stop();
    w.Combo1->setFocus();
    QTRY_VERIFY(w.Combo1->hasFocus());

    w.Timer5->start();
    QTRY_VERIFY(w.spinbutton1->hasFocus());
    // The slider's own focus event ends the retries.
    QTRY_VERIFY(!w.Timer5->isActive());
    QCOMPARE(w.FocusOwner, 4);
}

void TestMainWindowTimers::screenCheck_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("relaid");

    QTest::newRow("1024 x 768") << QSize(1024, 768) << false;
    QTest::newRow("1023 wide") << QSize(1023, 768) << true;
    QTest::newRow("767 high") << QSize(1024, 767) << true;
    QTest::newRow("800 x 600") << QSize(800, 600) << true;
}

void TestMainWindowTimers::screenCheck()
{
    QFETCH(QSize, screen);
    QFETCH(bool, relaid);

    ProgramFixture fx;
    frmMain &w = fx.start();
    // Buttons whose captions the toolbar's small-screen layout rewrites.
    QList<QAction *> buttons;
    for (int k : {5, 7, 8, 9, 10}) {
        QAction *a = velmora::services::toolbarButton(*w.Toolbar1, k);
        a->setText(QStringLiteral("wide caption"));
        buttons.append(a);
    }
    const int closeFromRight = w.form->width() - w.cmdClose->x();
    w.cmdClose->move(0, w.cmdClose->y());
    fx.system().screen = screen;

    w.TimResol_Timer();
    // The window stays whole on the smaller screen.
    QVERIFY(QRect(QPoint(0, 0), screen).contains(w.frameGeometry()));
    for (int i = 0; i < buttons.size(); ++i) {
        const QString expected = relaid ? fx.program().language().langText(24 + i)
                                        : QStringLiteral("wide caption");
        QCOMPARE(buttons.at(i)->text(), expected);
    }
    // Laid out again in any case.
    QCOMPARE(w.form->width() - w.cmdClose->x(), closeFromRight);
}

void TestMainWindowTimers::firstPaintLaysOut()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QTRY_VERIFY(w.firstPaintDone);

    // Set back, the next paint counts as the first one again.
    const int closeLeft = w.cmdClose->x();
    w.cmdClose->move(0, w.cmdClose->y());
    w.firstPaintDone = false;
    w.update();
    QTRY_VERIFY(w.firstPaintDone);
    QTRY_COMPARE(w.cmdClose->x(), closeLeft);

    // Later paints do not lay out.
    w.cmdClose->move(0, w.cmdClose->y());
    w.repaint();
    QTest::qWait(20);
    QCOMPARE(w.cmdClose->x(), 0);
}

void TestMainWindowTimers::paintWhileClosingUnloads()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QTRY_VERIFY(w.firstPaintDone);
    fx.program().appClosing = true;
    w.update();
    QTRY_VERIFY(w.unloading);
    QTRY_VERIFY(fx.system().exitCodes.contains(0));
}

void TestMainWindowTimers::processEndsOneSecondAfterUnload()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    QElapsedTimer clock;
    clock.start();
    w.Form_Unload();
    QVERIFY(w.tmrUnload->isActive());
    QVERIFY(fx.system().exitCodes.isEmpty());

    QTRY_VERIFY_WITH_TIMEOUT(!fx.system().exitCodes.isEmpty(), 3000);
    QVERIFY(clock.elapsed() >= 900);
    QCOMPARE(fx.system().exitCodes, QList<int>{0});
    QVERIFY(!w.tmrUnload->isActive());
    // The synchroniser stopped with the unload.
    QVERIFY(!w.Timer1->isActive());
}

QTEST_MAIN(TestMainWindowTimers)
#include "tst_mainwindow_timers.moc"
