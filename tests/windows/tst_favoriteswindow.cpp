// The favourites tree window, the favourites commands of the main window and
// the editors of the stored favourites, over the fake controls.

#include "ProgramFixture.h"

#include "FakeDialogs.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "FavAdd.h"
#include "FavoritesMenu.h"
#include "FavoritesStore.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "TabstripP.h"
#include "ShellFavoritesFake.h"
#include "favEdit.h"
#include "frmFavoritesShow.h"
#include "frmMain.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using velmora::mainwindow::frmMain;
using velmora::platform::MsgButtons;
using velmora::platform::MsgIcon;
using velmora::platform::MsgResult;
using velmora::test::ProgramFixture;
using velmora::windows::FavAdd;
using velmora::windows::favEdit;
using velmora::windows::frmFavoritesShow;
using namespace Qt::StringLiterals;

namespace {

void writeShortcut(const QString &path, const QByteArray &url)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[InternetShortcut]\r\nURL=" + url + "\r\n");
}

// Daily [Sport [Football], News, Weather], Work [Wiki], Mail.
void writeFavorites(const QString &root)
{
    writeShortcut(root + u"/Mail.url"_s, "http://mail/");
    writeShortcut(root + u"/Daily/News.url"_s, "http://news/");
    writeShortcut(root + u"/Daily/Weather.url"_s, "http://weather/");
    writeShortcut(root + u"/Daily/Sport/Football.url"_s, "http://football/");
    writeShortcut(root + u"/Work/Wiki.url"_s, "http://wiki/");
}

QTreeWidgetItem *node(const frmFavoritesShow &w, const QStringList &path)
{
    QTreeWidgetItem *current = w.tvFav->topLevelItem(0);
    for (const QString &name : path) {
        QTreeWidgetItem *next = nullptr;
        for (int i = 0; current && i < current->childCount(); ++i) {
            if (current->child(i)->text(0) == name)
                next = current->child(i);
        }
        current = next;
    }
    return current;
}

// Texts of the tree, depth first, indented by level.
QStringList treeTexts(const QTreeWidgetItem *item, int level = 0)
{
    QStringList texts{QString(level * 2, u' ') + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        texts += treeTexts(item->child(i), level + 1);
    return texts;
}

QString lastNavigation(ProgramFixture &fx, int tab)
{
    auto *web = fx.web(tab);
    return web && !web->calls.navigations.isEmpty() ? web->calls.navigations.last() : QString();
}

void storeSlots(ProgramFixture &fx, const QStringList &values)
{
    for (int i = 0; i < values.size(); ++i)
        fx.program().settings().SaveSetting(u"Favorites"_s, QString::number(i + 1), values.at(i));
}

QString slotValue(ProgramFixture &fx, int slot)
{
    return fx.program().settings().GetSetting(u"Favorites"_s, QString::number(slot));
}

QStringList listRows(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return rows;
}

} // namespace

class tst_FavoritesWindow : public QObject
{
    Q_OBJECT

private slots:
    // Tree window.
    void showsFolderAsTree();
    void menuItemOpensAndUnloads();
    void reopensAtStartWhenItWasOpen();
    void tickedFolderOpensEveryPageBelow();
    void selectedPageWithoutTicks_data();
    void selectedPageWithoutTicks();
    void nothingTickedNothingSelectedOnlyCloses();
    void folderNodesOpenNoPage();
    void partialTreeSaysSo();
    void largeFolderIsCutWithItsOwnNote();
    void manyPagesPastTheTabLimitGiveOneNotice();
    void keysCloseAndLoad_data();
    void keysCloseAndLoad();
    void doubleClickInvertsPageOnly();
    void editButtonClosesBeforeOrganising();
    void storedGeometry_data();
    void storedGeometry();
    void geometryStoredOnUnload();
    void shrinkingSnapsBack();

    // Commands of the main window.
    void addToFavorites_data();
    void addToFavorites();
    void organiseFavorites();
    void menuFilledFromStore();
    void importAsksThenExports();
    void importDeclined();

    // Editors of the stored favourites.
    void addStoresNewSlot();
    void addRefusesAmpersand();
    void addAfterDeleteTakesNewSlot();
    void editButtonsNeedRowOtherThanFirst();
    void editRenames();
    void editRenameEmptyOrWithAmpersandChangesNothing_data();
    void editRenameEmptyOrWithAmpersandChangesNothing();
    void editChangesAddress();
    void editDeletes_data();
    void editDeletes();
    void commandsAfterDeleteActOnShownRow();
};

// ---------------------------------------------------------------- tree window

void tst_FavoritesWindow::showsFolderAsTree()
{
    ProgramFixture fx;
    writeFavorites(fx.favorites().folder);
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(main.mnuShowFavorites->isChecked());
    QVERIFY(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(treeTexts(w->tvFav->topLevelItem(0)),
             (QStringList{u"Избранное"_s, u"  Daily"_s, u"    Sport"_s, u"      Football"_s,
                          u"    News"_s, u"    Weather"_s, u"  Work"_s, u"    Wiki"_s,
                          u"  Mail"_s}));
    QVERIFY(w->tvFav->topLevelItem(0)->isExpanded());
    QVERIFY(!node(*w, {u"Daily"_s})->isExpanded());
    // Each node knows its position in its folder.
    QCOMPARE(frmFavoritesShow::positionPath(node(*w, {u"Daily"_s, u"Sport"_s, u"Football"_s})),
             (QList<int>{2, 3, 1}));
    QCOMPARE(frmFavoritesShow::positionPath(node(*w, {u"Mail"_s})), QList<int>{1});

    // The first paint disables the main window until the window goes.
    QTRY_VERIFY(!main.isEnabled());
    w->cmdCancel->click();
    QVERIFY(main.isEnabled());
    QVERIFY(!main.mnuShowFavorites->isChecked());
    QTRY_VERIFY(!fx.program().loadedWindow<frmFavoritesShow>());
}

void tst_FavoritesWindow::partialTreeSaysSo()
{
    ProgramFixture fx;
    const QString root = fx.favorites().folder;
    writeShortcut(root + u"/Mail.url"_s, "http://mail/");
    // Folders nested deeper than the scan goes.
    QString deep = root;
    QStringList path;
    for (int i = 0; i <= velmora::services::FavoritesTree::MaxDepth; ++i) {
        deep += u"/d"_s;
        path.append(u"d"_s);
    }
    QVERIFY(QDir().mkpath(deep));
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    // The note stands on the folder that was not read, not on the whole tree.
    QTreeWidgetItem *last = node(*w, path);
    QVERIFY(last);
    QCOMPARE(last->childCount(), 1);
    QTreeWidgetItem *note = last->child(0);
    QVERIFY2(note->text(0).startsWith(u"(Папка не прочитана"_s), qPrintable(note->text(0)));
    QVERIFY(!(note->flags() & Qt::ItemIsUserCheckable));
    QCOMPARE(node(*w, {u"Mail"_s})->childCount(), 0);

    // Ticking everything opens the pages, and the note is no page.
    QTreeWidgetItem *top = w->tvFav->topLevelItem(0);
    top->setCheckState(0, Qt::Checked);
    QVERIFY(!note->data(0, Qt::CheckStateRole).isValid());
    w->cmdLoad->click();
    QCOMPARE(lastNavigation(fx, 1), u"http://mail/"_s);
    QCOMPARE(main.currentTabNumber(), 1);
}

void tst_FavoritesWindow::largeFolderIsCutWithItsOwnNote()
{
    ProgramFixture fx;
    const QString root = fx.favorites().folder;
    const int extra = 18;
    const int total = velmora::services::FavoritesTree::MaxFolderLinks + extra;
    QVERIFY(QDir().mkpath(root + u"/Big"_s));
    // Written last to first, so that the file system's order is no help.
    for (int i = total - 1; i >= 0; --i)
        writeShortcut(root + u"/Big/p"_s + QString::number(i).rightJustified(5, u'0') + u".url"_s,
                      "http://p/");
    writeShortcut(root + u"/Zeta/After.url"_s, "http://after/");
    writeShortcut(root + u"/Alpha/Before.url"_s, "http://before/");
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    // Every folder is there with its pages.
    QVERIFY(node(*w, {u"Alpha"_s, u"Before"_s}));
    QVERIFY(node(*w, {u"Zeta"_s, u"After"_s}));
    QTreeWidgetItem *big = node(*w, {u"Big"_s});
    QCOMPARE(big->childCount(), velmora::services::FavoritesTree::MaxFolderLinks + 1);
    // Cut in name order: the first pages are all there, the last ones named.
    QCOMPARE(big->child(0)->text(0), u"p00000"_s);
    QCOMPARE(big->child(velmora::services::FavoritesTree::MaxFolderLinks - 1)->text(0),
             u"p09999"_s);
    QTreeWidgetItem *note = big->child(big->childCount() - 1);
    QCOMPARE(note->text(0), u"(Не показаны ссылки: 18, от «p10000» до «p10017»)"_s);
    QVERIFY(!(note->flags() & Qt::ItemIsUserCheckable));
}

void tst_FavoritesWindow::manyPagesPastTheTabLimitGiveOneNotice()
{
    ProgramFixture fx;
    const QString root = fx.favorites().folder;
    for (int i = 0; i < 20; ++i)
        writeShortcut(root + u"/Many/p"_s + QString::number(i).rightJustified(2, u'0') + u".url"_s,
                      "http://p" + QByteArray::number(i) + "/");
    frmMain &main = fx.start();
    // Room for three more tabs.
    while (main.Tabstrip1->tabs().toInt() < frmMain::MaxTab - 2)
        main.cmdNew_Click();
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    node(*w, {u"Many"_s})->setCheckState(0, Qt::Checked);
    w->cmdOpenInNewWindow->click();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(fx.dialogs().msgCalls.first().title, u"Only 1000 tabs/Только 1000 вкладок"_s);
    QCOMPARE(lastNavigation(fx, frmMain::MaxTab), u"http://p2/"_s);
}

void tst_FavoritesWindow::keysCloseAndLoad_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("opened");
    QTest::newRow("Escape closes") << int(Qt::Key_Escape) << QString();
    QTest::newRow("Enter loads") << int(Qt::Key_Return) << u"http://mail/"_s;
}

void tst_FavoritesWindow::keysCloseAndLoad()
{
    QFETCH(int, key);
    QFETCH(QString, opened);
    ProgramFixture fx;
    writeFavorites(fx.favorites().folder);
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    QVERIFY(w->cmdLoad->isDefault());
    node(*w, {u"Mail"_s})->setCheckState(0, Qt::Checked);
    w->tvFav->setFocus();
    QTest::keyClick(w->tvFav, Qt::Key(key));
    QVERIFY(w->isUnloaded());
    QVERIFY(main.isEnabled());
    QCOMPARE(lastNavigation(fx, 1) == u"http://mail/"_s, !opened.isEmpty());
}

void tst_FavoritesWindow::menuItemOpensAndUnloads()
{
    ProgramFixture fx;
    const QString root = fx.favorites().folder;
    writeShortcut(root + u"/Mail.url"_s, "http://mail/");
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    QPointer<frmFavoritesShow> first = fx.program().loadedWindow<frmFavoritesShow>();
    QVERIFY(first && first->isVisible());
    main.mnuShowFavorites->trigger();
    QVERIFY(!main.mnuShowFavorites->isChecked());
    QVERIFY(first->isUnloaded());
    QVERIFY(main.isEnabled());

    // The next opening, even before the old window is gone, reads the folder again.
    writeShortcut(root + u"/News.url"_s, "http://news/");
    main.mnuShowFavorites->trigger();
    auto *second = fx.program().loadedWindow<frmFavoritesShow>();
    QVERIFY(second && second != first.data());
    QVERIFY(!second->isUnloaded());
    QVERIFY(node(*second, {u"News"_s}));
    QVERIFY(first.isNull());
}

void tst_FavoritesWindow::reopensAtStartWhenItWasOpen()
{
    for (const bool wasOpen : {false, true}) {
        ProgramFixture fx;
        fx.program().settings().SaveSetting(u"general"_s, u"Favorites"_s,
                                            wasOpen ? u"True"_s : u"False"_s);
        frmMain &main = fx.start();
        QPointer<frmFavoritesShow> w = fx.program().loadedWindow<frmFavoritesShow>();
        QCOMPARE(main.mnuShowFavorites->isChecked(), wasOpen);
        QCOMPARE(main.favoritesShownAtLoad, wasOpen);
        QCOMPARE(!w.isNull(), wasOpen);
        if (!wasOpen)
            continue;
        QVERIFY(w->isVisible());
        QTRY_VERIFY(!main.isEnabled());
        // The main window stores the mark before the windows go.
        main.close();
        QCOMPARE(fx.program().settings().GetSetting(u"general"_s, u"Favorites"_s), u"True"_s);
        QVERIFY(!w || w->isUnloaded());
        QVERIFY(!main.mnuShowFavorites->isChecked());
    }
}

void tst_FavoritesWindow::tickedFolderOpensEveryPageBelow()
{
    ProgramFixture fx;
    writeFavorites(fx.favorites().folder);
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();

    node(*w, {u"Daily"_s})->setCheckState(0, Qt::Checked);
    QCOMPARE(node(*w, {u"Daily"_s, u"Sport"_s, u"Football"_s})->checkState(0), Qt::Checked);
    QCOMPARE(node(*w, {u"Daily"_s, u"News"_s})->checkState(0), Qt::Checked);
    QCOMPARE(node(*w, {u"Daily"_s, u"Weather"_s})->checkState(0), Qt::Checked);
    // Folders below keep their own mark; pages elsewhere are untouched.
    QCOMPARE(node(*w, {u"Daily"_s, u"Sport"_s})->checkState(0), Qt::Unchecked);
    QCOMPARE(node(*w, {u"Mail"_s})->checkState(0), Qt::Unchecked);
    node(*w, {u"Mail"_s})->setCheckState(0, Qt::Checked);

    w->cmdLoad->click();
    QCOMPARE(lastNavigation(fx, 1), u"http://football/"_s);
    QCOMPARE(lastNavigation(fx, 2), u"http://news/"_s);
    QCOMPARE(lastNavigation(fx, 3), u"http://weather/"_s);
    QCOMPARE(lastNavigation(fx, 4), u"http://mail/"_s);
    QCOMPARE(main.currentTabNumber(), 4);
    QVERIFY(w->isUnloaded());
    QVERIFY(main.isEnabled());

    // Unticking a folder unticks the pages below it again.
    main.mnuShowFavorites->trigger();
    w = fx.program().loadedWindow<frmFavoritesShow>();
    node(*w, {u"Daily"_s})->setCheckState(0, Qt::Checked);
    node(*w, {u"Daily"_s})->setCheckState(0, Qt::Unchecked);
    QCOMPARE(node(*w, {u"Daily"_s, u"Sport"_s, u"Football"_s})->checkState(0), Qt::Unchecked);
    QCOMPARE(node(*w, {u"Daily"_s, u"News"_s})->checkState(0), Qt::Unchecked);
}

void tst_FavoritesWindow::selectedPageWithoutTicks_data()
{
    QTest::addColumn<bool>("newTab");
    QTest::newRow("load") << false;
    QTest::newRow("open in new window") << true;
}

void tst_FavoritesWindow::selectedPageWithoutTicks()
{
    QFETCH(bool, newTab);
    ProgramFixture fx;
    writeFavorites(fx.favorites().folder);
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    w->tvFav->setCurrentItem(node(*w, {u"Work"_s, u"Wiki"_s}));
    (newTab ? w->cmdOpenInNewWindow : w->cmdLoad)->click();
    QCOMPARE(main.currentTabNumber(), newTab ? 2 : 1);
    QCOMPARE(lastNavigation(fx, main.currentTabNumber()), u"http://wiki/"_s);
    if (newTab)
        QCOMPARE(lastNavigation(fx, 1), u"about:blank"_s);
    QVERIFY(w->isUnloaded());
}

void tst_FavoritesWindow::nothingTickedNothingSelectedOnlyCloses()
{
    for (const bool newTab : {false, true}) {
        ProgramFixture fx;
        writeFavorites(fx.favorites().folder);
        frmMain &main = fx.start();
        main.mnuShowFavorites->trigger();
        auto *w = fx.program().loadedWindow<frmFavoritesShow>();
        const QStringList before = fx.web(1)->calls.navigations;
        (newTab ? w->cmdOpenInNewWindow : w->cmdLoad)->click();
        QCOMPARE(fx.web(1)->calls.navigations, before);
        QCOMPARE(main.currentTabNumber(), 1);
        QVERIFY(!fx.web(2));
        QVERIFY(w->isUnloaded());
        QVERIFY(!main.mnuShowFavorites->isChecked());
    }
}

void tst_FavoritesWindow::folderNodesOpenNoPage()
{
    ProgramFixture fx;
    writeFavorites(fx.favorites().folder);
    QVERIFY(QDir().mkpath(fx.favorites().folder + u"/Empty"_s));
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    // A ticked empty folder has no nodes below it but names no page; the
    // page ticked after it still opens in the current tab.
    node(*w, {u"Empty"_s})->setCheckState(0, Qt::Checked);
    node(*w, {u"Mail"_s})->setCheckState(0, Qt::Checked);
    w->cmdLoad->click();
    QCOMPARE(main.currentTabNumber(), 1);
    QCOMPARE(lastNavigation(fx, 1), u"http://mail/"_s);

    for (const QStringList &selected : {QStringList{u"Work"_s}, QStringList{}}) {
        main.mnuShowFavorites->trigger();
        w = fx.program().loadedWindow<frmFavoritesShow>();
        w->tvFav->setCurrentItem(node(*w, selected));
        w->cmdOpenInNewWindow->click();
        QCOMPARE(main.currentTabNumber(), 1);
        QCOMPARE(lastNavigation(fx, 1), u"http://mail/"_s);
    }
}

void tst_FavoritesWindow::doubleClickInvertsPageOnly()
{
    ProgramFixture fx;
    writeFavorites(fx.favorites().folder);
    fx.start().mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const auto doubleClick = [w](QTreeWidgetItem *item) {
        // The first click of a double click presses the node.
        const QPoint at = w->tvFav->visualItemRect(item).center();
        QTest::mouseClick(w->tvFav->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->tvFav->viewport(), Qt::LeftButton, {}, at);
    };
    QTreeWidgetItem *mail = node(*w, {u"Mail"_s});
    doubleClick(mail);
    QCOMPARE(mail->checkState(0), Qt::Checked);
    doubleClick(mail);
    QCOMPARE(mail->checkState(0), Qt::Unchecked);

    QTreeWidgetItem *work = node(*w, {u"Work"_s});
    doubleClick(work);
    QCOMPARE(work->checkState(0), Qt::Unchecked);
    QCOMPARE(node(*w, {u"Work"_s, u"Wiki"_s})->checkState(0), Qt::Unchecked);
}

void tst_FavoritesWindow::editButtonClosesBeforeOrganising()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    bool closedFirst = false;
    fx.favorites().onBrowserUI = [&](const QString &) {
        auto *open = fx.program().loadedWindow<frmFavoritesShow>();
        closedFirst = (!open || open->isUnloaded()) && main.isEnabled();
    };
    w->cmdFavEdit->click();
    QCOMPARE(fx.favorites().browserUICalls, QStringList{u"OrganizeFavorites"_s});
    QVERIFY(closedFirst);
}

void tst_FavoritesWindow::storedGeometry_data()
{
    QTest::addColumn<QStringList>("stored"); // FavTop, FavLeft, FavHeight, FavWidth
    QTest::addColumn<QRect>("geometry");
    // 1280 x 1024 pixels of 15 twips: 19200 x 15360 twips. The design size
    // is 8580 x 5520 twips (572 x 368 pixels), centred at 354, 328.
    const QRect centred(354, 328, 572, 368);
    QTest::newRow("restored") << QStringList{u"1500"_s, u"3000"_s, u"6000"_s, u"9000"_s}
                              << QRect(200, 100, 600, 400);
    QTest::newRow("smallest restored") << QStringList{u"15"_s, u"15"_s, u"4512"_s, u"8052"_s}
                                       << QRect(1, 1, 537, 301);
    QTest::newRow("decimal comma") << QStringList{u"1500,0"_s, u"3000"_s, u"6000"_s, u"9000"_s}
                                   << QRect(200, 100, 600, 400);
    QTest::newRow("width 8000") << QStringList{u"1500"_s, u"3000"_s, u"6000"_s, u"8000"_s}
                                << centred;
    QTest::newRow("height 4500") << QStringList{u"1500"_s, u"3000"_s, u"4500"_s, u"9000"_s}
                                 << centred;
    QTest::newRow("top 0") << QStringList{u"0"_s, u"3000"_s, u"6000"_s, u"9000"_s} << centred;
    QTest::newRow("left 0") << QStringList{u"1500"_s, u"0"_s, u"6000"_s, u"9000"_s} << centred;
    QTest::newRow("below the screen")
        << QStringList{u"9361"_s, u"3000"_s, u"6000"_s, u"9000"_s} << centred;
    QTest::newRow("fits the screen exactly")
        << QStringList{u"9360"_s, u"10200"_s, u"6000"_s, u"9000"_s} << QRect(680, 624, 600, 400);
    QTest::newRow("right of the screen")
        << QStringList{u"1500"_s, u"10201"_s, u"6000"_s, u"9000"_s} << centred;
    QTest::newRow("none stored") << QStringList{} << centred;
}

void tst_FavoritesWindow::storedGeometry()
{
    QFETCH(QStringList, stored);
    QFETCH(QRect, geometry);
    ProgramFixture fx;
    const char *keys[] = {"FavTop", "FavLeft", "FavHeight", "FavWidth"};
    for (int i = 0; i < stored.size(); ++i)
        fx.program().settings().SaveSetting(u"general"_s, QLatin1String(keys[i]), stored.at(i));
    fx.start().mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    QCOMPARE(w->pos(), geometry.topLeft());
    QCOMPARE(w->size(), geometry.size());
}

void tst_FavoritesWindow::geometryStoredOnUnload()
{
    ProgramFixture fx;
    auto &settings = fx.program().settings();
    settings.SaveSetting(u"general"_s, u"FavTop"_s, u"1500"_s);
    settings.SaveSetting(u"general"_s, u"FavLeft"_s, u"3000"_s);
    settings.SaveSetting(u"general"_s, u"FavHeight"_s, u"6000"_s);
    settings.SaveSetting(u"general"_s, u"FavWidth"_s, u"9000"_s);
    fx.start().mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    w->move(300, 200);
    w->close();
    QCOMPARE(settings.GetSetting(u"general"_s, u"FavTop"_s), u"3000"_s);
    QCOMPARE(settings.GetSetting(u"general"_s, u"FavLeft"_s), u"4500"_s);
    QCOMPARE(settings.GetSetting(u"general"_s, u"FavHeight"_s), u"6000"_s);
    QCOMPARE(settings.GetSetting(u"general"_s, u"FavWidth"_s), u"9000"_s);
}

void tst_FavoritesWindow::shrinkingSnapsBack()
{
    ProgramFixture fx;
    fx.start().mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    w->resize(100, 700);
    QTRY_COMPARE(w->size(), QSize(537, 700));
    w->resize(800, 100);
    QTRY_COMPARE(w->size(), QSize(800, 301));
    // The controls follow the size: buttons 912 twips above the bottom, the
    // tree 360 twips narrower than the window and 2100 lower.
    QCOMPARE(w->cmdLoad->y(), 301 - 61);
    QCOMPARE(w->cmdCancel->y(), w->cmdLoad->y());
    QCOMPARE(w->tvFav->width(), 800 - 24);
    QCOMPARE(w->tvFav->height(), 301 - 140);
}

// ---------------------------------------------------------------- commands

void tst_FavoritesWindow::addToFavorites_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("pageTitle");
    QTest::newRow("blank page") << QString() << u"http://about:blank"_s << false;
    QTest::newRow("page") << u"http://example.com/"_s << u"http://example.com/"_s << true;
}

void tst_FavoritesWindow::addToFavorites()
{
    QFETCH(QString, page);
    QFETCH(QString, url);
    QFETCH(bool, pageTitle);
    ProgramFixture fx;
    frmMain &main = fx.start();
    if (!page.isEmpty())
        fx.web(1)->Navigate2(page);
    main.actionNamed(u"mnuAddToFavoites"_s)->trigger();
    QCOMPARE(fx.favorites().addCalls.size(), 1);
    const auto call = fx.favorites().addCalls.first();
    QCOMPARE(call.url, url);
    QCOMPARE(call.title, pageTitle ? main.getTitle(1) : u"about:blank"_s);
    QVERIFY(!call.title.isEmpty());
    QCOMPARE(call.owner, &main);
}

void tst_FavoritesWindow::organiseFavorites()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.actionNamed(u"mnuEditFavorites"_s)->trigger();
    QCOMPARE(fx.favorites().browserUICalls, QStringList{u"OrganizeFavorites"_s});
}

void tst_FavoritesWindow::menuFilledFromStore()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"@#$&@#$"_s, u"Intranet&http://intranet/?a=1&b=2"_s});
    frmMain &main = fx.start();
    QMenu *menu = main.menuNamed(u"Favorites"_s);
    QStringList shown;
    for (QAction *item : menu->actions()) {
        if (item->objectName().startsWith(u"FavItem_"_s) && item->isVisible())
            shown.append(item->text());
    }
    QCOMPARE(shown, (QStringList{u"Mail"_s, u"Intranet"_s}));
    QCOMPARE(main.FavItem->count(), 4);
    // The elements stand above the favourites tree toggle.
    const QList<QAction *> items = menu->actions();
    QCOMPARE(items.indexOf(main.FavItem->item(3)) + 1, items.indexOf(main.mnuShowFavorites));

    main.FavItem->item(3)->trigger();
    QCOMPARE(lastNavigation(fx, 1), u"http://intranet/?a=1&b=2"_s);
}

void tst_FavoritesWindow::importAsksThenExports()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Почта&http://mail/"_s, u"@#$&@#$"_s, u"a/b&http://ab/"_s});
    // The desktop's Favorites folder exists.
    QVERIFY(QDir().mkpath(fx.favorites().folder));
    frmMain &main = fx.start();
    auto &lang = fx.program().language();
    QVERIFY(!lang.langText(43).isEmpty());
    main.actionNamed(u"mnuFavImport"_s)->trigger();

    const auto &calls = fx.dialogs().msgCalls;
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0).text, lang.langText(43));
    QCOMPARE(calls.at(0).buttons, MsgButtons::YesNo);
    QCOMPARE(calls.at(0).icon, MsgIcon::Question);
    QCOMPARE(calls.at(0).title, lang.langText(5));
    QCOMPARE(calls.at(1).text, lang.langText(44) + u"2"_s + lang.langText(45));
    QCOMPARE(calls.at(1).buttons, MsgButtons::OK);
    QCOMPARE(calls.at(1).icon, MsgIcon::Information);
    QCOMPARE(calls.at(1).title, lang.langText(5));

    const QDir target(fx.favorites().folder + u"/Избранное предыдущих версий"_s);
    QCOMPARE(target.entryList(QDir::Files, QDir::Name),
             (QStringList{u"a b.url"_s, u"Почта.url"_s}));

    // The exported favourites show in the tree window.
    main.mnuShowFavorites->trigger();
    auto *w = fx.program().loadedWindow<frmFavoritesShow>();
    node(*w, {u"Избранное предыдущих версий"_s})->setCheckState(0, Qt::Checked);
    w->cmdLoad->click();
    QCOMPARE(lastNavigation(fx, 1), u"http://ab/"_s);
    QCOMPARE(lastNavigation(fx, 2), u"http://mail/"_s);
}

void tst_FavoritesWindow::importDeclined()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s});
    frmMain &main = fx.start();
    fx.dialogs().answerMsgBox(MsgResult::No);
    main.actionNamed(u"mnuFavImport"_s)->trigger();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QVERIFY(!QDir(fx.favorites().folder + u"/Избранное предыдущих версий"_s).exists());
}

// ---------------------------------------------------------------- editors

void tst_FavoritesWindow::addStoresNewSlot()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s});
    frmMain &main = fx.start();
    fx.web(1)->Navigate2(u"http://example.com/"_s);
    auto &add = fx.program().window<FavAdd>();
    main.setEnabled(false);
    add.show();
    add.Form_Load();
    QCOMPARE(add.txtName->text(), fx.web(1)->LocationName());
    QCOMPARE(add.txtURL->text(), fx.web(1)->LocationURL());
    add.txtURL->setText(u"edited"_s);
    add.cmdReset->click();
    QCOMPARE(add.txtURL->text(), fx.web(1)->LocationURL());

    const QString name43 = QString(43, u'n');
    add.txtName->setText(name43);
    add.txtURL->setText(u"http://new/?a=1&b=2"_s);
    add.cmdAdd->click();
    QCOMPARE(slotValue(fx, 2), QString(42, u'n') + u"...&http://new/?a=1&b=2"_s);
    QCOMPARE(main.FavItem->count(), 3);
    QCOMPARE(main.FavItem->item(2)->text(), QString(42, u'n') + u"..."_s);
    QCOMPARE(main.favorites().getFavoriteMenuUrl(2), u"http://new/?a=1&b=2"_s);
    QVERIFY(!add.isVisible());
    QVERIFY(main.isEnabled());

    // A name of 42 characters shows whole.
    add.show();
    add.txtName->setText(QString(42, u'm'));
    add.cmdAdd->click();
    QCOMPARE(main.FavItem->item(3)->text(), QString(42, u'm'));
}

void tst_FavoritesWindow::addRefusesAmpersand()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    auto &add = fx.program().window<FavAdd>();
    add.show();
    add.Form_Load();
    add.txtName->setText(u"Tom & Jerry"_s);
    add.txtURL->setText(u"http://tj/"_s);
    add.cmdAdd->click();
    const auto &calls = fx.dialogs().msgCalls;
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls.first().text, fx.program().language().langText(19));
    QCOMPARE(calls.first().title, fx.program().language().langText(20));
    QCOMPARE(calls.first().icon, MsgIcon::Information);
    QVERIFY(add.isVisible());
    QCOMPARE(add.txtName->text(), u"Tom & Jerry"_s);
    QCOMPARE(slotValue(fx, 1), QString());
    QCOMPARE(main.FavItem->count(), 1);
}

void tst_FavoritesWindow::addAfterDeleteTakesNewSlot()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"News&http://news/"_s});
    frmMain &main = fx.start();
    auto &edit = fx.program().window<favEdit>();
    edit.show();
    edit.Form_Load();
    edit.List1->setCurrentRow(2);
    edit.cmdRemove->click();
    QCOMPARE(slotValue(fx, 2), u"@#$&@#$"_s);

    auto &add = fx.program().window<FavAdd>();
    add.show();
    add.Form_Load();
    add.txtName->setText(u"Sport"_s);
    add.txtURL->setText(u"http://sport/"_s);
    add.cmdAdd->click();
    QCOMPARE(slotValue(fx, 2), u"@#$&@#$"_s);
    QCOMPARE(slotValue(fx, 3), u"Sport&http://sport/"_s);
    QCOMPARE(main.FavItem->count(), 4);
    QVERIFY(!main.FavItem->item(2)->isVisible());
}

void tst_FavoritesWindow::editButtonsNeedRowOtherThanFirst()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"@#$&@#$"_s, u"News&http://news/"_s});
    frmMain &main = fx.start();
    auto &edit = fx.program().window<favEdit>();
    edit.show();
    edit.Form_Load();
    // Row 0 is the built-in entry; free slots are not listed.
    QCOMPARE(listRows(edit.List1),
             (QStringList{main.FavItem->item(0)->text(), u"Mail"_s, u"News"_s}));
    QCOMPARE(edit.lblURL->text(), QString::fromUtf16(velmora::services::favorites::PortalAddress));
    for (QPushButton *b : {edit.cmdRename, edit.cmdChURL, edit.cmdRemove})
        QVERIFY(!b->isEnabled());
    edit.List1->setCurrentRow(2);
    QCOMPARE(edit.lblURL->text(), u"http://news/"_s);
    for (QPushButton *b : {edit.cmdRename, edit.cmdChURL, edit.cmdRemove})
        QVERIFY(b->isEnabled());
    edit.List1->setCurrentRow(0);
    for (QPushButton *b : {edit.cmdRename, edit.cmdChURL, edit.cmdRemove})
        QVERIFY(!b->isEnabled());
}

void tst_FavoritesWindow::editRenames()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"@#$&@#$"_s, u"News&http://news/?a=1&b=2"_s});
    frmMain &main = fx.start();
    auto &edit = fx.program().window<favEdit>();
    edit.show();
    edit.Form_Load();
    edit.List1->setCurrentRow(2);
    fx.favorites().answerInput(u"Новости"_s);
    edit.cmdRename->click();

    const auto &input = fx.favorites().inputCalls;
    QCOMPARE(input.size(), 1);
    QCOMPARE(input.first().prompt, fx.program().language().langText(23));
    QCOMPARE(input.first().title, fx.program().language().langText(22));
    QCOMPARE(input.first().defaultText, u"News"_s);
    QCOMPARE(slotValue(fx, 3), u"Новости&http://news/?a=1&b=2"_s);
    QCOMPARE(slotValue(fx, 1), u"Mail&http://mail/"_s);
    QCOMPARE(main.FavItem->item(3)->text(), u"Новости"_s);
    QCOMPARE(listRows(edit.List1).mid(1), (QStringList{u"Mail"_s, u"Новости"_s}));
    QCOMPARE(edit.List1->currentRow(), 2);
}

void tst_FavoritesWindow::editRenameEmptyOrWithAmpersandChangesNothing_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("messages");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("ampersand") << u"Mail & more"_s << 1;
}

void tst_FavoritesWindow::editRenameEmptyOrWithAmpersandChangesNothing()
{
    QFETCH(QString, answer);
    QFETCH(int, messages);
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"News&http://news/"_s});
    frmMain &main = fx.start();
    auto &edit = fx.program().window<favEdit>();
    edit.show();
    edit.Form_Load();
    edit.List1->setCurrentRow(1);
    fx.favorites().answerInput(answer);
    edit.cmdRename->click();
    QCOMPARE(fx.dialogs().msgCalls.size(), messages);
    QCOMPARE(slotValue(fx, 1), u"Mail&http://mail/"_s);
    QCOMPARE(main.FavItem->item(1)->text(), u"Mail"_s);
    QCOMPARE(edit.List1->currentRow(), 1);
}

void tst_FavoritesWindow::editChangesAddress()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"@#$&@#$"_s, u"News&http://news/"_s});
    frmMain &main = fx.start();
    auto &edit = fx.program().window<favEdit>();
    edit.show();
    edit.Form_Load();
    edit.List1->setCurrentRow(2);

    // A cancelled input box changes nothing.
    edit.cmdChURL->click();
    QCOMPARE(slotValue(fx, 3), u"News&http://news/"_s);

    fx.favorites().answerInput(u"http://news2/?x=1&y=2"_s);
    edit.cmdChURL->click();
    const auto &input = fx.favorites().inputCalls;
    QCOMPARE(input.size(), 2);
    QCOMPARE(input.last().prompt, fx.program().language().langText(21));
    QCOMPARE(input.last().title, fx.program().language().langText(22));
    QCOMPARE(input.last().defaultText, u"http://news/"_s);
    QCOMPARE(slotValue(fx, 3), u"News&http://news2/?x=1&y=2"_s);
    QCOMPARE(main.favorites().getFavoriteMenuUrl(3), u"http://news2/?x=1&y=2"_s);
    QCOMPARE(edit.List1->currentRow(), 2);
    QCOMPARE(edit.lblURL->text(), u"http://news2/?x=1&y=2"_s);
    main.FavItem->item(3)->trigger();
    QCOMPARE(lastNavigation(fx, 1), u"http://news2/?x=1&y=2"_s);
}

void tst_FavoritesWindow::editDeletes_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QStringList>("rowsAfter");
    QTest::newRow("middle row") << 2 << 2 << QStringList{u"Mail"_s, u"Sport"_s};
    QTest::newRow("last row") << 3 << 2 << QStringList{u"Mail"_s, u"News"_s};
    QTest::newRow("first favourite") << 1 << 1 << QStringList{u"News"_s, u"Sport"_s};
}

void tst_FavoritesWindow::editDeletes()
{
    QFETCH(int, row);
    QFETCH(int, selectedAfter);
    QFETCH(QStringList, rowsAfter);
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"News&http://news/"_s, u"Sport&http://sport/"_s});
    frmMain &main = fx.start();
    auto &edit = fx.program().window<favEdit>();
    edit.show();
    edit.Form_Load();
    edit.List1->setCurrentRow(row);
    edit.cmdRemove->click();
    QCOMPARE(slotValue(fx, row), u"@#$&@#$"_s);
    QCOMPARE(listRows(edit.List1).mid(1), rowsAfter);
    QCOMPARE(edit.List1->currentRow(), selectedAfter);
    QVERIFY(!main.FavItem->item(row)->isVisible());
    // The slots after the deleted one stay reachable.
    QCOMPARE(main.FavItem->count(), 4);
}

void tst_FavoritesWindow::commandsAfterDeleteActOnShownRow()
{
    ProgramFixture fx;
    storeSlots(fx, {u"Mail&http://mail/"_s, u"News&http://news/"_s, u"Sport&http://sport/"_s});
    fx.start();
    auto &edit = fx.program().window<favEdit>();
    edit.show();
    edit.Form_Load();
    edit.List1->setCurrentRow(2);
    edit.cmdRemove->click();
    // Row 2 now shows Sport; the commands change Sport, not the deleted News.
    QCOMPARE(edit.List1->currentItem()->text(), u"Sport"_s);
    QCOMPARE(edit.lblURL->text(), u"http://sport/"_s);
    fx.favorites().answerInput(u"Спорт"_s);
    edit.cmdRename->click();
    QCOMPARE(fx.favorites().inputCalls.last().defaultText, u"Sport"_s);
    QCOMPARE(slotValue(fx, 2), u"@#$&@#$"_s);
    QCOMPARE(slotValue(fx, 3), u"Спорт&http://sport/"_s);
    fx.favorites().answerInput(u"http://sport2/"_s);
    edit.cmdChURL->click();
    QCOMPARE(slotValue(fx, 3), u"Спорт&http://sport2/"_s);
    QCOMPARE(slotValue(fx, 2), u"@#$&@#$"_s);
}

QTEST_MAIN(tst_FavoritesWindow)
#include "tst_favoriteswindow.moc"
