#pragma once

#include "ShellFavorites.h"

#include <QString>

namespace velmora::platform {

// The Favorites folder under the per-user data folder, with small dialogs of
// our own for adding a shortcut and organising the folder.
class DesktopShellFavorites final : public ShellFavorites
{
public:
    // Creates the folder on first use, as the desktop's own folder always exists.
    QString favoritesFolder() override;
    void AddFavorite(QWidget *owner, const QString &url, const QString &title) override;
    void ShowBrowserUI(QWidget *owner, const QString &name) override;
    QString inputBox(QWidget *owner, const QString &prompt, const QString &title,
                     const QString &defaultText) override;
};

// The file name a shortcut of this title gets: characters no file name may
// hold on this system or on Windows become spaces, and an empty title becomes nameless.
QString shortcutFileName(const QString &title, const QString &nameless = QStringLiteral("Без имени"));
// The bytes of a shortcut to url as the desktop writes it. The address is
// kept in its encoded, ASCII-only form, so it reads back the same in any
// code page.
QByteArray desktopShortcutBytes(const QString &url);

} // namespace velmora::platform
