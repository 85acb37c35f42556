#pragma once

#include <QString>

#include <array>

namespace velmora::platform {
class WriteFailures;
}

namespace velmora::services {

class FavoritesMenu;
class SettingsStore;

namespace favorites {
// The built-in first favourite, and the placeholder link of the folder tree.
inline constexpr char16_t PortalCaption[] = u"Поиск в интернете";
inline constexpr char16_t PortalAddress[] = u"https://duckduckgo.com/";
// The value of a slot whose favourite was deleted; it keeps its number.
inline constexpr char16_t FreeSlot[] = u"@#$&@#$";
// The subfolder of the Favorites folder the stored favourites are copied to.
inline constexpr char16_t ExportFolder[] = u"Избранное предыдущих версий";
} // namespace favorites

// The favourites kept in the settings store, section "Favorites": slot n
// (key "n", from 1 without gaps) holds title & "&" & address, or the free
// marker. The menu array mirrors the slots, element index = slot number,
// and three lookup tables follow the last load.
class FavoritesStore
{
public:
    static constexpr int MaxIndex = 1000;

    // menu may be null where only the slots are used.
    FavoritesStore(SettingsStore &settings, FavoritesMenu *menu);

    // Titles of 43 characters or more keep 42 followed by "...".
    static QString cutTitle(const QString &title);
    // Each of \ / : * ? " < > | becomes one space.
    static QString safeFileName(const QString &text);

    void saveFavorite(const QString &title, const QString &address, int slot);
    void clearFavorite(int slot);
    // Appends one menu element per slot to the menu, whose elements above 0
    // the caller has unloaded. A failure ends loading; what was loaded stays.
    void loadFavorites();
    // The address of the n-th used favourite (0: the built-in one).
    QString getFavoriteUrl(int n) const;
    void setFavoriteUrl(int n, const QString &address);
    // The address of a slot, as its menu element opens it.
    QString getFavoriteMenuUrl(int slot) const;
    // Position of each used menu element (0: the built-in one) -> its index.
    void mapFavoriteMenu();
    int favMenuSlot(int position) const;
    // Writes every used slot as a shortcut file into the export subfolder of
    // favoritesFolder; returns how many files were written.
    int exportOldFavorites(const QString &favoritesFolder,
                           platform::WriteFailures *failures = nullptr);

private:
    QString slotValue(int slot) const;

    SettingsStore &m_settings;
    FavoritesMenu *m_menu;
    std::array<QString, MaxIndex + 1> m_slotUrls;
    std::array<QString, MaxIndex + 1> m_rowUrls;
    std::array<int, MaxIndex + 1> m_menuSlot{};
};

} // namespace velmora::services
