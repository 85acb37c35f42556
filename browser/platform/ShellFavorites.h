#pragma once

#include <QString>

class QWidget;

namespace velmora::platform {

// The per-user Favorites folder of the desktop and the dialogs that add to
// it and organise it. The folder holds internet-shortcut files (".url") in
// subfolders; the program reads them itself.
class ShellFavorites
{
public:
    virtual ~ShellFavorites() = default;

    // The current user's Favorites folder without a trailing separator, or
    // "" when there is none.
    virtual QString favoritesFolder() = 0;
    // Lets the user store a page as a shortcut in the Favorites folder,
    // choosing its name and subfolder.
    virtual void AddFavorite(QWidget *owner, const QString &url, const QString &title) = 0;
    // Shows one of the browser dialogs by name; "OrganizeFavorites" lets the
    // user rename, move and delete favourites and folders.
    virtual void ShowBrowserUI(QWidget *owner, const QString &name) = 0;
    // A one-line question; "" when the user cancels or leaves it empty.
    virtual QString inputBox(QWidget *owner, const QString &prompt, const QString &title,
                             const QString &defaultText) = 0;
};

// $XDG_DATA_HOME/olk_Browser/Favorites, ~/.local/share/olk_Browser/Favorites
// when XDG_DATA_HOME is unset or empty.
QString defaultFavoritesFolder();

} // namespace velmora::platform
