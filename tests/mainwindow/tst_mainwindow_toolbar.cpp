// The main window's toolbar: its buttons, their lists and what a click runs.

#include "ProgramFixture.h"
#include "FakeSystemFacts.h"
#include "TabRowReading.h"

#include "FakeDialogs.h"
#include "FakeInternetState.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "frmMain.h"

#include "TabstripP.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using velmora::mainwindow::frmMain;
using velmora::platform::FakeDialogs;
using velmora::platform::FakeWebBrowser;
using velmora::test::ProgramFixture;

namespace {

QAction *button(frmMain &main, int k)
{
    return main.Toolbar1->findChild<QAction *>(QStringLiteral("Toolbar1_Button") +
                                               QString::number(k));
}

// What the commands a click may run leave behind, over every tab.
QMap<QString, int> observe(ProgramFixture &fx)
{
    frmMain &main = fx.main();
    QMap<QString, int> seen;
    seen[QStringLiteral("tabs")] = main.Tabstrip1->tabs().toInt();
    for (const auto &page : fx.browsers().browsers()) {
        if (!page)
            continue;
        seen[QStringLiteral("goBacks")] += page->calls.goBacks;
        seen[QStringLiteral("goForwards")] += page->calls.goForwards;
        seen[QStringLiteral("stops")] += page->calls.stops;
        seen[QStringLiteral("refreshes")] += page->calls.refreshes;
        seen[QStringLiteral("navigations")] += int(page->calls.navigations.size());
        seen[QStringLiteral("execWB")] += int(page->calls.execWB.size());
    }
    seen[QStringLiteral("offline")] = fx.internet().offline;
    seen[QStringLiteral("fileDialogs")] = int(fx.dialogs().fileCalls.size());
    seen[QStringLiteral("check2")] = main.Check2->isChecked();
    seen[QStringLiteral("check3")] = main.Check3->isChecked();
    seen[QStringLiteral("winCatchMark")] = main.mnuWinCatch->isChecked();
    return seen;
}

QStringList changed(const QMap<QString, int> &before, const QMap<QString, int> &after)
{
    QStringList names;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (before.value(it.key()) != it.value())
            names << it.key();
    }
    return names;
}

} // namespace

class tst_MainWindowToolbar : public QObject
{
    Q_OBJECT

private slots:
    void buttonsBeforeTheLanguage();
    void languageFindsTheButtons();
    void dropDownLists();
    void buttonClick_data();
    void buttonClick();
    void dropDownItemClick_data();
    void dropDownItemClick();
    void dropDownItemsOfTheSessionCommands_data();
    void dropDownItemsOfTheSessionCommands();
    void noLabels();
    void buttonsShareOneWidth();
    void narrowWindowShowsEveryButton();
    void toolbarSpansTheWindow();
};

void tst_MainWindowToolbar::buttonsBeforeTheLanguage()
{
    ProgramFixture fx;
    frmMain &main = fx.main(); // constructed, not loaded
    const char *const keys[] = {"new",  "back",    "forward", "stop", "refresh",
                                "home", "offline", "open",    "save", "catch"};
    const char *const captions[] = {"Новый",   "Назад",      "Вперёд",  "Стоп",
                                    "Обновить", "Домой",      "Без подкл.", "Открыть",
                                    "Сохранить", "Фильтр окон"};
    QCOMPARE(main.Toolbar1->actions().size(), 10);
    for (int k = 1; k <= 10; ++k) {
        QAction *b = button(main, k);
        QVERIFY(b);
        QCOMPARE(main.Toolbar1->actions().at(k - 1), b);
        QCOMPARE(b->property("Key").toString(), QString::fromLatin1(keys[k - 1]));
        QCOMPARE(b->text(), QString::fromUtf8(captions[k - 1]));
        QVERIFY(!b->icon().isNull());
        if (k < 10)
            QCOMPARE(b->property("Description").toString(), b->toolTip());
    }
    QCOMPARE(button(main, 10)->toolTip(),
             QStringLiteral("Блок. открытие всплывающих  (часто рекламных) окон"));
    QCOMPARE(button(main, 10)->property("Description").toString(),
             QStringLiteral("Блокирует открытие всплывающих окон."));
    QCOMPARE(button(main, 4)->toolTip(), QStringLiteral("Остановить загрузку данной вкладки"));
}

void tst_MainWindowToolbar::languageFindsTheButtons()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    // The shipped Russian texts differ from the compiled ones here.
    QCOMPARE(button(main, 4)->toolTip(), QStringLiteral("Остановить загрузку текущей вкладки"));
    QCOMPARE(button(main, 10)->toolTip(),
             QStringLiteral("Блокировать всплывающие (часто рекламные) окна"));
}

void tst_MainWindowToolbar::dropDownLists()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    const QMap<int, QStringList> lists{
        {4, {QStringLiteral("Stop:Стоп"), QStringLiteral("mnuStopAll:Остановиь все")}},
        {8,
         {QStringLiteral("Open:Открыть документ"), QStringLiteral("OpenTabs:Загрузить вкладки"),
          QStringLiteral("OpenTabsSelective:Загрузить вкладки (выборочно)"),
          QStringLiteral("OpenAutosave:Загрузить автосохранение"),
          QStringLiteral("OpenAutosaveSelective:Загрузить автосохранение (выборочно)")}},
        {9,
         {QStringLiteral("Save:Сохранить эту страницу"),
          QStringLiteral("SaveTabs:Сохранить вкладки")}},
    };
    for (int k = 1; k <= 10; ++k) {
        auto *tool = qobject_cast<QToolButton *>(main.Toolbar1->widgetForAction(button(main, k)));
        QVERIFY(tool);
        if (!lists.contains(k)) {
            QVERIFY2(!tool->menu(), qPrintable(QString::number(k)));
            continue;
        }
        QVERIFY(tool->menu());
        QCOMPARE(tool->popupMode(), QToolButton::MenuButtonPopup);
        QStringList items;
        for (QAction *item : tool->menu()->actions())
            items << item->property("Key").toString() + u':' + item->text();
        QCOMPARE(items, lists.value(k));
    }
}

void tst_MainWindowToolbar::buttonClick_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("viaButton"); // false: the key is handed to the dispatch itself
    QTest::addColumn<QStringList>("effects");
    const auto row = [](const char *name, const char *key, bool via,
                        std::initializer_list<const char *> fx) {
        QStringList effects;
        for (const char *e : fx)
            effects << QString::fromLatin1(e);
        QTest::newRow(name) << QString::fromLatin1(key) << via << effects;
    };
    row("new", "new", true, {"navigations", "tabs"});
    row("back", "back", true, {"goBacks", "stops"});
    row("forward", "forward", true, {"goForwards", "stops"});
    row("stop", "stop", true, {"stops"});
    row("refresh", "refresh", true, {"refreshes", "stops"});
    row("home", "home", true, {"navigations"});
    row("offline", "offline", true, {"offline"});
    row("open", "open", true, {"fileDialogs"});
    row("save: the page's save as", "save", true, {"execWB", "fileDialogs"});
    row("catch: the window filter only", "catch", true, {"check3", "winCatchMark"});
    row("a list key is no button key", "Stop", false, {});
    row("letter case counts", "NEW", false, {});
    row("no key", "", false, {});
}

void tst_MainWindowToolbar::buttonClick()
{
    QFETCH(QString, key);
    QFETCH(bool, viaButton);
    QFETCH(QStringList, effects);
    ProgramFixture fx;
    frmMain &main = fx.start();
    const auto before = observe(fx);
    if (viaButton) {
        QAction *clicked = nullptr;
        for (QAction *b : main.Toolbar1->actions()) {
            if (b->property("Key").toString() == key)
                clicked = b;
        }
        QVERIFY(clicked);
        clicked->trigger();
    } else {
        main.Toolbar1_ButtonClick(key);
    }
    QCOMPARE(changed(before, observe(fx)), effects);
}

void tst_MainWindowToolbar::dropDownItemClick_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("viaItem");
    QTest::addColumn<QStringList>("effects");
    const auto row = [](const char *name, const char *key, bool via,
                        std::initializer_list<const char *> fx) {
        QStringList effects;
        for (const char *e : fx)
            effects << QString::fromLatin1(e);
        QTest::newRow(name) << QString::fromLatin1(key) << via << effects;
    };
    row("stop all", "mnuStopAll", true, {"stops"});
    row("stop", "Stop", true, {"stops"});
    row("save this page", "Save", true, {"execWB", "fileDialogs"});
    row("open a document", "Open", true, {"fileDialogs"});
    row("a button key is no list key", "stop", false, {});
    row("letter case counts", "saveTabs", false, {});
}

void tst_MainWindowToolbar::dropDownItemClick()
{
    QFETCH(QString, key);
    QFETCH(bool, viaItem);
    QFETCH(QStringList, effects);
    ProgramFixture fx;
    frmMain &main = fx.start();
    const auto before = observe(fx);
    if (viaItem) {
        QAction *item = main.findChild<QAction *>(QStringLiteral("Toolbar1_ButtonMenu_") + key);
        QVERIFY(item);
        item->trigger();
    } else {
        main.Toolbar1_ButtonMenuClick(key);
    }
    QCOMPARE(changed(before, observe(fx)), effects);
}

void tst_MainWindowToolbar::dropDownItemsOfTheSessionCommands_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("menuItem");
    const auto row = [](const char *key, const char *item) {
        QTest::newRow(key) << QString::fromLatin1(key) << QString::fromLatin1(item);
    };
    row("SaveTabs", "mnuSaveTabs");
    row("OpenTabs", "mnuLoadTabs");
    row("OpenTabsSelective", "mnuLoadTabsSelective");
    row("OpenAutosave", "mnuLoadAutosave");
    row("OpenAutosaveSelective", "mnuLoadAutosaveSelective");
}

void tst_MainWindowToolbar::dropDownItemsOfTheSessionCommands()
{
    QFETCH(QString, key);
    QFETCH(QString, menuItem);
    ProgramFixture fx;
    frmMain &main = fx.start();
    const QStringList sessionItems{
        QStringLiteral("mnuSaveTabs"), QStringLiteral("mnuLoadTabs"),
        QStringLiteral("mnuLoadTabsSelective"), QStringLiteral("mnuLoadAutosave"),
        QStringLiteral("mnuLoadAutosaveSelective")};
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const QString &name : sessionItems)
        spies.push_back(std::make_unique<QSignalSpy>(main.actionNamed(name), &QAction::triggered));
    const int execWB = int(fx.web(1)->calls.execWB.size());
    main.findChild<QAction *>(QStringLiteral("Toolbar1_ButtonMenu_") + key)->trigger();
    for (int i = 0; i < sessionItems.size(); ++i)
        QCOMPARE(spies.at(size_t(i))->count(), sessionItems.at(i) == menuItem ? 1 : 0);
    // "SaveTabs" saves the tab list, not the page.
    QCOMPARE(int(fx.web(1)->calls.execWB.size()), execWB);
}

void tst_MainWindowToolbar::noLabels()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QVERIFY(!main.mnuNoLabels->isChecked());
    QStringList toolTips;
    for (int k = 1; k <= 10; ++k)
        toolTips << button(main, k)->toolTip();
    main.mnuNoLabels->trigger();
    QVERIFY(main.mnuNoLabels->isChecked());
    for (int k = 1; k <= 10; ++k) {
        QCOMPARE(button(main, k)->text(), QString());
        QCOMPARE(button(main, k)->toolTip(), toolTips.at(k - 1));
    }
    // Unticking brings nothing back.
    main.mnuNoLabels->trigger();
    QVERIFY(!main.mnuNoLabels->isChecked());
    for (int k = 1; k <= 10; ++k)
        QCOMPARE(button(main, k)->text(), QString());
    // A click still runs its command.
    const int stops = fx.web(1)->calls.stops;
    button(main, 4)->trigger();
    QCOMPARE(fx.web(1)->calls.stops, stops + 1);
}

void tst_MainWindowToolbar::buttonsShareOneWidth()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    // A window with room for the row at the shared width.
    main.resize(4000, 700);
    // A longer caption widens every button, not just its own.
    button(main, 1)->setText(QStringLiteral("A much longer caption than any other"));
    const auto minWidth = [&](int k) {
        return main.Toolbar1->widgetForAction(button(main, k))->minimumWidth();
    };
    const int wide = minWidth(1);
    QVERIFY(wide > main.Toolbar1->widgetForAction(button(main, 2))->sizeHint().width());
    // Buttons with a list are wider by their arrow, all by the same.
    const int arrow = minWidth(4) - wide;
    QVERIFY(arrow > 0);
    for (int k = 1; k <= 10; ++k)
        QCOMPARE(minWidth(k), wide + (k == 4 || k == 8 || k == 9 ? arrow : 0));
}

void tst_MainWindowToolbar::narrowWindowShowsEveryButton()
{
    ProgramFixture fx;
    // A screen the 4000-pixel window below fits on: the window is kept on it.
    fx.system().screen = QSize(4200, 1200);
    frmMain &main = fx.start();
    button(main, 10)->setText(QStringLiteral("A rather long caption"));
    // At the shared width the row would not fit; at their own widths it does.
    int own = 0;
    for (int k = 1; k <= 10; ++k)
        own += main.Toolbar1->widgetForAction(button(main, k))->sizeHint().width() + 8;
    const int shared = main.Toolbar1->widgetForAction(button(main, 10))->sizeHint().width() * 10;
    const int width = (own + shared) / 2;
    QVERIFY2(own < width && width < shared, qPrintable(QStringLiteral("%1 %2").arg(own).arg(shared)));
    main.resize(width, 600);
    QCoreApplication::processEvents();
    QCOMPARE(main.Toolbar1->width(), main.form->width());
    for (int k = 1; k <= 10; ++k) {
        QWidget *w = main.Toolbar1->widgetForAction(button(main, k));
        QVERIFY2(w->isVisible(), qPrintable(QString::number(k)));
        QVERIFY(main.Toolbar1->rect().contains(w->geometry()));
    }
    // Wide again, the buttons share one width once more.
    main.resize(4000, 600);
    QCoreApplication::processEvents();
    QCOMPARE(main.Toolbar1->widgetForAction(button(main, 1))->minimumWidth(),
             main.Toolbar1->widgetForAction(button(main, 2))->minimumWidth());
    QVERIFY(main.Toolbar1->widgetForAction(button(main, 1))->minimumWidth()
            >= main.Toolbar1->widgetForAction(button(main, 10))->sizeHint().width());
}

void tst_MainWindowToolbar::toolbarSpansTheWindow()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    for (const QSize size : {QSize(1200, 700), QSize(500, 400)}) {
        main.resize(size);
        QCOMPARE(main.Toolbar1->width(), main.form->width());
        QCOMPARE(main.Toolbar1->pos(), QPoint(0, 0));
    }
}

QTEST_MAIN(tst_MainWindowToolbar)
#include "tst_mainwindow_toolbar.moc"
