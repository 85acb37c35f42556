#include "favEdit.h"

#include "FavoriteDialogs.h"
#include "Twips.h"
#include "frmFavoritesShow.h"
#include "frmMain.h"

#include "FavoritesMenu.h"
#include "FavoritesStore.h"
#include "Language.h"
#include "Program.h"
#include "Steps.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace velmora::windows {

using mainwindow::setTwipsGeometry;
using services::step;

namespace {

constexpr int InnerWidth = 4536;
constexpr int InnerHeight = 5256;

} // namespace

favEdit::favEdit(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("favEdit"), parent)
{
    setUpFavoriteDialog(this, QStringLiteral("Редактировать избранное"));
    const int t = this->program().system().twipsPerPixelX();
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    setTwipsGeometry(List1, {120, 120, 4296, 3600}, t);
    lblURL = new QLabel(this);
    lblURL->setObjectName(QStringLiteral("lblURL"));
    lblURL->setWordWrap(true);
    setTwipsGeometry(lblURL, {120, 3780, 4296, 435}, t);
    cmdRename = new QPushButton(QStringLiteral("Переименовать"), this);
    cmdRename->setObjectName(QStringLiteral("cmdRename"));
    setTwipsGeometry(cmdRename, {120, 4320, 1380, 420}, t);
    cmdChURL = new QPushButton(QStringLiteral("Поменять адрес"), this);
    cmdChURL->setObjectName(QStringLiteral("cmdChURL"));
    setTwipsGeometry(cmdChURL, {1560, 4320, 1440, 420}, t);
    cmdRemove = new QPushButton(QStringLiteral("Удалить"), this);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    setTwipsGeometry(cmdRemove, {3060, 4320, 1356, 420}, t);
    setFixedSize(mainwindow::twipsToPixels(InnerWidth, t),
                 mainwindow::twipsToPixels(InnerHeight, this->program().system().twipsPerPixelY()));

    // A row chosen by the user or by code, as the list's click reports both.
    connect(List1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            List1_Click();
    });
    connect(cmdRename, &QPushButton::clicked, this, &favEdit::cmdRename_Click);
    connect(cmdChURL, &QPushButton::clicked, this, &favEdit::cmdChURL_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &favEdit::cmdRemove_Click);
}

void favEdit::Form_Load()
{
    Program &p = program();
    loadFavoriteDialog(p, this, manual, services::Language::FavEditWindow);
    for (QPushButton *button : {cmdRemove, cmdRename, cmdChURL})
        button->setEnabled(false);
    // Row 0 is the built-in entry, hidden in the menu, so that row p is
    // position p of the lookup tables; the rest follow the menu.
    step([&] {
        List1->clear();
        const services::FavoritesMenu &menu = *p.mainWindow().FavItem;
        List1->addItem(menu.item(0)->text());
        for (int i = 1; i < menu.count(); ++i) {
            if (menu.item(i)->isVisible())
                List1->addItem(menu.item(i)->text());
        }
    });
    step([&] { lblURL->setText(p.mainWindow().favorites().getFavoriteUrl(0)); });
}

int favEdit::selectedRow() const
{
    return List1->currentRow();
}

void favEdit::selectRow(int p)
{
    List1->setCurrentRow(p);
}

void favEdit::List1_Click()
{
    const int p = selectedRow();
    step([&] { lblURL->setText(program().mainWindow().favorites().getFavoriteUrl(p)); });
    for (QPushButton *button : {cmdRemove, cmdRename, cmdChURL})
        button->setEnabled(p != 0);
}

void favEdit::reloadMenu()
{
    mainwindow::frmMain &main = program().mainWindow();
    main.FavItem->unloadFrom(1);
    main.favorites().loadFavorites();
}

void favEdit::cmdChURL_Click()
{
    Program &prog = program();
    services::FavoritesStore &store = prog.mainWindow().favorites();
    const int p = selectedRow();
    // Row 0, the built-in entry, has no slot to change.
    if (p <= 0)
        return;
    step([&] { setStaysOnTop(this, false); });
    const QString answer = prog.platform().favorites->inputBox(
        this, prog.language().langText(21), prog.language().langText(22),
        store.getFavoriteUrl(p));
    step([&] {
        if (isVisible())
            setStaysOnTop(this, true);
    });
    if (answer.isEmpty()) {
        List1->setFocus();
        return;
    }
    step([&] {
        store.mapFavoriteMenu();
        const int s = store.favMenuSlot(p);
        store.setFavoriteUrl(p, answer);
        store.saveFavorite(List1->item(p)->text(), answer, s);
    });
    step([&] { reloadMenu(); });
    List1->clear();
    Form_Load();
    selectRow(p);
    List1->setFocus();
}

void favEdit::cmdRename_Click()
{
    Program &prog = program();
    mainwindow::frmMain &main = prog.mainWindow();
    services::FavoritesStore &store = main.favorites();
    const int p = selectedRow();
    if (p <= 0)
        return;
    step([&] { setStaysOnTop(this, false); });
    const QString answer = prog.platform().favorites->inputBox(
        this, prog.language().langText(23), prog.language().langText(22), List1->item(p)->text());
    // "&" separates the title from the address in the store.
    const bool refused = answer.contains(QLatin1Char('&'));
    if (refused)
        prog.dialogs().msgBox(this, prog.language().langText(19), platform::MsgButtons::OK,
                              platform::MsgIcon::Information, prog.language().langText(20));
    if (!answer.isEmpty() && !refused) {
        step([&] {
            store.mapFavoriteMenu();
            const int s = store.favMenuSlot(p);
            main.FavItem->item(s)->setText(answer);
            store.clearFavorite(s);
            store.mapFavoriteMenu();
            store.saveFavorite(answer, store.getFavoriteUrl(p), s);
        });
    }
    Form_Load();
    selectRow(p);
}

void favEdit::cmdRemove_Click()
{
    mainwindow::frmMain &main = program().mainWindow();
    services::FavoritesStore &store = main.favorites();
    lblURL->clear();
    int p = selectedRow();
    if (p <= 0)
        return;
    step([&] { reloadMenu(); });
    List1->clear();
    Form_Load();
    step([&] {
        store.mapFavoriteMenu();
        const int s = store.favMenuSlot(p);
        main.FavItem->item(s)->setVisible(false);
        store.clearFavorite(s);
    });
    // The menu, the row map and the addresses follow the store again, so the
    // row that moves into place is the favourite the next command acts on.
    step([&] {
        reloadMenu();
        store.mapFavoriteMenu();
    });
    Form_Load();
    if (p > List1->count() - 1)
        p = p - 1;
    selectRow(p);
}

} // namespace velmora::windows
