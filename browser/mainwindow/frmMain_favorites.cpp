#include "frmMain.h"

#include "frmFavoritesShow.h"

#include "FavoritesMenu.h"
#include "FavoritesStore.h"
#include "Language.h"
#include "Program.h"
#include "Steps.h"
#include "WebBrowser.h"

#include <QAction>
#include <QMenu>

namespace velmora::mainwindow {

using services::step;

void frmMain::connectFavorites()
{
    QAction *element0 = actionNamed(QStringLiteral("FavItem_0"));
    element0->setText(QString::fromUtf16(services::favorites::PortalCaption));
    FavItem = new services::FavoritesMenu(menuNamed(QStringLiteral("Favorites")), element0,
                                          mnuShowFavorites,
                                          [this](int index) { FavItem_Click(index); }, this);
    m_favorites = std::make_shared<services::FavoritesStore>(m_program.settings(), FavItem);
    // The favourites stored by earlier versions stay reachable from the menu.
    step([&] { m_favorites->loadFavorites(); });

    connect(actionNamed(QStringLiteral("mnuAddToFavoites")), &QAction::triggered, this,
            &frmMain::mnuAddToFavoites_Click);
    connect(actionNamed(QStringLiteral("mnuEditFavorites")), &QAction::triggered, this,
            &frmMain::mnuEditFavorites_Click);
    connect(mnuShowFavorites, &QAction::triggered, this, &frmMain::mnuShowFavorites_Click);
    connect(actionNamed(QStringLiteral("mnuFavImport")), &QAction::triggered, this,
            &frmMain::mnuFavImport_Click);
}

void frmMain::FavItem_Click(int Index)
{
    step([&] { web(currentTabNumber())->Navigate2(m_favorites->getFavoriteMenuUrl(Index)); });
}

void frmMain::mnuAddToFavoites_Click()
{
    step([&] {
        if (!shellHelper)
            shellHelper = m_program.platform().favorites.get();
    });
    step([&] {
        const int current = currentTabNumber();
        // A failed page is stored under the address that failed, not its wrapper.
        const QString url = withoutErrorPageWrappers(web(current)->LocationURL(), systemDir);
        if (url == QLatin1String("about:blank"))
            shellHelper->AddFavorite(this, QStringLiteral("http://about:blank"),
                                     QStringLiteral("about:blank"));
        else
            shellHelper->AddFavorite(this, url, getTitle(current));
    });
}

void frmMain::mnuEditFavorites_Click()
{
    step([&] {
        if (!shellHelper)
            shellHelper = m_program.platform().favorites.get();
    });
    step([&] { shellHelper->ShowBrowserUI(this, QStringLiteral("OrganizeFavorites")); });
}

void frmMain::mnuShowFavorites_Click()
{
    // The item's mark has just flipped.
    if (mnuShowFavorites->isChecked()) {
        step([&] { showFavoritesWindow(); });
        return;
    }
    step([&] {
        if (auto *window = m_program.loadedWindow<windows::frmFavoritesShow>())
            window->close();
    });
}

void frmMain::showFavoritesWindow()
{
    // A window closed a moment ago waits to be deleted; the opening is a fresh load.
    if (auto *old = m_program.loadedWindow<windows::frmFavoritesShow>(); old && old->isUnloaded())
        delete old;
    m_program.window<windows::frmFavoritesShow>().Form_Load();
}

void frmMain::focusFavoritesWindow()
{
    if (!favoritesShownAtLoad)
        return;
    auto *window = m_program.loadedWindow<windows::frmFavoritesShow>();
    if (!window || window->isUnloaded())
        return;
    window->activateWindow();
    window->setFocus();
}

void frmMain::mnuFavImport_Click()
{
    auto &language = m_program.language();
    auto &dialogs = m_program.dialogs();
    step([&] {
        if (dialogs.msgBox(this, language.langText(43), platform::MsgButtons::YesNo,
                           platform::MsgIcon::Question, language.langText(5))
            != platform::MsgResult::Yes)
            return;
        const int n =
            m_favorites->exportOldFavorites(m_program.platform().favorites->favoritesFolder(),
                                            &m_program.writeFailures());
        dialogs.msgBox(this, language.langText(44) + QString::number(n) + language.langText(45),
                       platform::MsgButtons::OK, platform::MsgIcon::Information,
                       language.langText(5));
    });
}

} // namespace velmora::mainwindow
