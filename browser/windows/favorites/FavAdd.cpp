#include "FavAdd.h"

#include "FavoriteDialogs.h"
#include "Twips.h"
#include "frmMain.h"

#include "FavoritesMenu.h"
#include "FavoritesStore.h"
#include "Language.h"
#include "Program.h"
#include "Steps.h"
#include "WebBrowser.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora::windows {

using mainwindow::setTwipsGeometry;
using services::step;

namespace {

constexpr int InnerWidth = 6168;
constexpr int InnerHeight = 1716;

} // namespace

FavAdd::FavAdd(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("FavAdd"), parent)
{
    setUpFavoriteDialog(this, QStringLiteral("Добавить в избранное..."));
    const int t = this->program().system().twipsPerPixelX();
    Label1 = new QLabel(QStringLiteral("Имя:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    setTwipsGeometry(Label1, {120, 150, 720, 255}, t);
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    setTwipsGeometry(txtName, {900, 120, 5148, 315}, t);
    Label2 = new QLabel(QStringLiteral("Адрес:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    setTwipsGeometry(Label2, {120, 555, 720, 255}, t);
    txtURL = new QLineEdit(this);
    txtURL->setObjectName(QStringLiteral("txtURL"));
    setTwipsGeometry(txtURL, {900, 525, 5148, 315}, t);
    cmdAdd = new QPushButton(QStringLiteral("Добавить"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    setTwipsGeometry(cmdAdd, {900, 1080, 1596, 420}, t);
    cmdReset = new QPushButton(QStringLiteral("Сброс"), this);
    cmdReset->setObjectName(QStringLiteral("cmdReset"));
    setTwipsGeometry(cmdReset, {2676, 1080, 1596, 420}, t);
    cmdCancel = new QPushButton(QStringLiteral("Отменить"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    setTwipsGeometry(cmdCancel, {4452, 1080, 1596, 420}, t);
    setFixedSize(mainwindow::twipsToPixels(InnerWidth, t),
                 mainwindow::twipsToPixels(InnerHeight, this->program().system().twipsPerPixelY()));

    connect(cmdAdd, &QPushButton::clicked, this, &FavAdd::cmdAdd_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FavAdd::cmdCancel_Click);
    connect(cmdReset, &QPushButton::clicked, this, &FavAdd::cmdReset_Click);
}

void FavAdd::Form_Load()
{
    loadFavoriteDialog(program(), this, manual, services::Language::FavAddWindow);
    step([&] { fillFromCurrentTab(); });
}

void FavAdd::fillFromCurrentTab()
{
    mainwindow::frmMain &main = program().mainWindow();
    platform::WebBrowser *current = main.web(main.currentTabNumber());
    txtName->setText(current->LocationName());
    txtURL->setText(current->LocationURL());
}

void FavAdd::cmdReset_Click()
{
    step([&] { fillFromCurrentTab(); });
}

void FavAdd::cmdAdd_Click()
{
    Program &p = program();
    if (txtName->text().contains(QLatin1Char('&'))) {
        p.dialogs().msgBox(this, p.language().langText(19), platform::MsgButtons::OK,
                           platform::MsgIcon::Information, p.language().langText(20));
        return;
    }
    mainwindow::frmMain &main = p.mainWindow();
    services::FavoritesMenu &menu = *main.FavItem;
    // The loaded elements are 0 and one per slot, free ones included: the new
    // favourite takes the slot after the highest, never a freed one.
    const int k = menu.count();
    step([&] {
        QAction *element = menu.item(menu.load());
        element->setText(services::FavoritesStore::cutTitle(txtName->text()));
        element->setVisible(true);
    });
    step([&] { main.favorites().saveFavorite(txtName->text(), txtURL->text(), k); });
    step([&] {
        menu.unloadFrom(1);
        main.favorites().loadFavorites();
    });
    hideAndEnableMain();
}

void FavAdd::cmdCancel_Click()
{
    hideAndEnableMain();
}

void FavAdd::hideAndEnableMain()
{
    hide();
    step([&] { program().mainWindow().setEnabled(true); });
}

bool FavAdd::Form_QueryUnload()
{
    if (MU)
        return true;
    hideAndEnableMain();
    step([&] {
        mainwindow::frmMain &main = program().mainWindow();
        main.activateWindow();
        main.setFocus();
    });
    return false;
}

} // namespace velmora::windows
