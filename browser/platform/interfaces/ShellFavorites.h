#pragma once

#include <QString>

#include <functional>
#include <utility>

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

    // Picks the Russian or the English text of the dialogs by the interface
    // language; without a chooser the dialogs speak Russian.
    using TextChooser = std::function<QString(const char16_t *russian, const char16_t *english)>;
    void setTextChooser(TextChooser choose) { m_choose = std::move(choose); }

protected:
    QString text(const char16_t *russian, const char16_t *english) const
    {
        return m_choose ? m_choose(russian, english) : QString::fromUtf16(russian);
    }

private:
    TextChooser m_choose;
};

// $XDG_DATA_HOME/olk_Browser/Favorites, ~/.local/share/olk_Browser/Favorites
// when XDG_DATA_HOME is unset or empty.
QString defaultFavoritesFolder();

} // namespace velmora::platform
