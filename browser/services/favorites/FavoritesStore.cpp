#include "FavoritesStore.h"

#include "FileNames.h"

#include "FavoritesFiles.h"
#include "FavoritesMenu.h"
#include "SettingsStore.h"

#include <QAction>
#include <QDir>

namespace velmora::services {

namespace {

constexpr int TitleLimit = 42;

QString section()
{
    return QString::fromUtf16(settings::FavoritesSection);
}

bool inRange(int n)
{
    return n >= 0 && n <= FavoritesStore::MaxIndex;
}

} // namespace

FavoritesStore::FavoritesStore(SettingsStore &settings, FavoritesMenu *menu)
    : m_settings(settings), m_menu(menu)
{
    m_slotUrls[0] = QString::fromUtf16(favorites::PortalAddress);
    m_rowUrls[0] = m_slotUrls[0];
}

QString FavoritesStore::cutTitle(const QString &title)
{
    return title.size() > TitleLimit ? title.left(TitleLimit) + QStringLiteral("...") : title;
}

QString FavoritesStore::safeFileName(const QString &text)
{
    return platform::replaceForbiddenFileCharacters(text);
}

QString FavoritesStore::slotValue(int slot) const
{
    return m_settings.GetSetting(section(), QString::number(slot));
}

void FavoritesStore::saveFavorite(const QString &title, const QString &address, int slot)
{
    m_settings.SaveSetting(section(), QString::number(slot),
                           cutTitle(title) + QLatin1Char('&') + address);
}

void FavoritesStore::clearFavorite(int slot)
{
    m_settings.DeleteSetting(section(), QString::number(slot));
    m_settings.SaveSetting(section(), QString::number(slot),
                           QString::fromUtf16(favorites::FreeSlot));
}

void FavoritesStore::loadFavorites()
{
    const QString freeSlot = QString::fromUtf16(favorites::FreeSlot);
    m_rowUrls[0] = QString::fromUtf16(favorites::PortalAddress);
    m_slotUrls[0] = m_rowUrls[0];
    try {
        for (int i = 1, j = 1; i <= MaxIndex && j <= MaxIndex;) {
            const QString value = slotValue(i);
            if (value == freeSlot) {
                if (m_menu) {
                    QAction *element = m_menu->item(m_menu->load());
                    element->setText(value);
                    element->setVisible(false);
                }
                ++i;
                continue;
            }
            const qsizetype split = value.indexOf(QLatin1Char('&'));
            if (split < 0)
                return;
            const QString address = value.mid(split + 1);
            if (m_menu) {
                QAction *element = m_menu->item(m_menu->load());
                element->setVisible(true);
                element->setText(value.left(split));
            }
            m_rowUrls[static_cast<size_t>(j)] = address;
            m_slotUrls[static_cast<size_t>(i)] = address;
            ++i;
            ++j;
        }
    } catch (const std::exception &) {
        // What was loaded stays.
    }
}

QString FavoritesStore::getFavoriteUrl(int n) const
{
    return inRange(n) ? m_rowUrls[static_cast<size_t>(n)] : QString();
}

void FavoritesStore::setFavoriteUrl(int n, const QString &address)
{
    if (inRange(n))
        m_rowUrls[static_cast<size_t>(n)] = address;
}

QString FavoritesStore::getFavoriteMenuUrl(int slot) const
{
    return inRange(slot) ? m_slotUrls[static_cast<size_t>(slot)] : QString();
}

void FavoritesStore::mapFavoriteMenu()
{
    if (!m_menu)
        return;
    const QString freeSlot = QString::fromUtf16(favorites::FreeSlot);
    int position = 0;
    for (int k = 0; k <= MaxIndex && k < m_menu->count(); ++k) {
        if (m_menu->item(k)->text() != freeSlot)
            m_menuSlot[static_cast<size_t>(position++)] = k;
    }
}

int FavoritesStore::favMenuSlot(int position) const
{
    return inRange(position) ? m_menuSlot[static_cast<size_t>(position)] : 0;
}

int FavoritesStore::exportOldFavorites(const QString &favoritesFolder,
                                       platform::WriteFailures *failures)
{
    // Without a Favorites folder there is nowhere to write to.
    if (favoritesFolder.isEmpty())
        return 0;
    const QString target =
        QDir(favoritesFolder).filePath(QString::fromUtf16(favorites::ExportFolder));
    const QString freeSlot = QString::fromUtf16(favorites::FreeSlot);
    int count = 0;
    try {
        for (int k = 1;; ++k) {
            const QString value = slotValue(k);
            if (value == freeSlot)
                continue;
            const qsizetype split = value.indexOf(QLatin1Char('&'));
            if (split < 0)
                break;
            platform::makeFolder(target);
            writeInternetShortcut(QDir(target).filePath(safeFileName(value.left(split))
                                                        + QStringLiteral(".url")),
                                  value.mid(split + 1), failures);
            ++count;
        }
    } catch (const std::exception &) {
        // The files written so far count.
    }
    return count;
}

} // namespace velmora::services
