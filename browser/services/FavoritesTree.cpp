#include "FavoritesTree.h"

#include "FavoritesFiles.h"
#include "FavoritesStore.h"
#include "RuntimeError.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::services {

namespace {

[[noreturn]] void outOfRange()
{
    throw RuntimeError(RuntimeError::SubscriptOutOfRange, "Subscript out of range");
}

template<typename T>
const T &at(const std::vector<T> &v, qint64 i)
{
    if (i < 0 || i >= static_cast<qint64>(v.size()))
        outOfRange();
    return v[static_cast<size_t>(i)];
}

// A directory search lists hidden entries too; the order is by name, as the
// desktop's file system returns it, so that the tree reads the same each time.
constexpr QDir::Filters listed = QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
constexpr QDir::SortFlags byName = QDir::Name | QDir::IgnoreCase;

bool canList(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

} // namespace

// The paths here use "/" as the separator, the one this platform has.
QString addBackslash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString addLeadingSlash(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? path : QLatin1Char('/') + path;
}

QString trimNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

FavoritesTree::FavoritesTree()
{
    initFavoritesTree();
}

void FavoritesTree::initFavoritesTree()
{
    m_folders.clear();
    m_links.clear();
    m_folders.push_back({QStringLiteral("Root"), 0, {FavoriteChild{}}});
    m_links.push_back({QString(), QString::fromUtf16(favorites::PortalAddress)});
}

void FavoritesTree::addFolder(qint32 parent, const QString &name)
{
    at(m_folders, parent); // an unknown parent fails before anything is added
    const auto n = static_cast<qint32>(m_folders.size());
    m_folders[static_cast<size_t>(parent)].children.push_back({FavoriteChild::Folder, n});
    m_folders.push_back({name, n, {FavoriteChild{}}});
}

void FavoritesTree::addLink(FavoriteFolder &folder, const QString &url, const QString &name)
{
    const auto n = static_cast<qint32>(m_links.size());
    m_links.push_back({name, url});
    folder.children.push_back({FavoriteChild::Link, n});
}

qint32 FavoritesTree::findFolder(const QString &path) const
{
    const QStringList parts = path.split(QLatin1Char('/'));
    const FavoriteFolder *current = &m_folders.front();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (parts.at(i).isEmpty())
            continue;
        for (const FavoriteChild &child : current->children) {
            if (child.kind == FavoriteChild::Folder
                && at(m_folders, child.index).name == parts.at(i)) {
                current = &m_folders[static_cast<size_t>(child.index)];
                break;
            }
        }
    }
    return current->index;
}

FavoriteLink FavoritesTree::getLinkByPath(const QList<int> &positions) const
{
    if (positions.isEmpty())
        outOfRange();
    const FavoriteFolder *current = &m_folders.front();
    for (qsizetype i = 0; i + 1 < positions.size(); ++i)
        current = &at(m_folders, at(current->children, positions.at(i)).index);
    return at(m_links, at(current->children, positions.last()).index);
}

QString FavoritesTree::folderPath(const QString &fullPath) const
{
    QString relative = QDir(m_root).relativeFilePath(fullPath);
    if (relative == QLatin1String("."))
        relative.clear();
    while (relative.endsWith(QLatin1Char('/')))
        relative.chop(1);
    return addLeadingSlash(relative);
}

void FavoritesTree::loadShellFavorites(const QString &favoritesFolder)
{
    initFavoritesTree();
    m_root = favoritesFolder;
    while (m_root.size() > 1 && m_root.endsWith(QLatin1Char('/')))
        m_root.chop(1);
    m_scanning.clear();
    if (!m_root.isEmpty())
        scanFolder({true, m_root, QStringLiteral("*.url")});
}

void FavoritesTree::scanFolder(const FavoritesScan &scan)
{
    const QString p = addBackslash(scan.path);
    if (!canList(p))
        return;
    // A folder linked into its own subtree is shown once, not followed again.
    const QString canonical = QFileInfo(p).canonicalFilePath();
    if (m_scanning.contains(canonical))
        return;
    m_scanning.append(canonical);
    scanUrlFiles(scan);
    const QFileInfoList entries = QDir(p).entryInfoList(QDir::AllEntries | listed, byName);
    for (const QFileInfo &entry : entries) {
        const QString name = trimNul(entry.fileName());
        if (!entry.isDir() || !scan.recurse || name == QLatin1String(".")
            || name == QLatin1String(".."))
            continue;
        addFolder(findFolder(folderPath(scan.path)), name);
        FavoritesScan sub = scan;
        sub.path = p + name;
        scanFolder(sub);
    }
    m_scanning.removeLast();
}

void FavoritesTree::scanUrlFiles(const FavoritesScan &scan)
{
    const QString p = addBackslash(scan.path);
    if (!canList(p))
        return;
    const QFileInfoList entries =
        QDir(p).entryInfoList({scan.pattern}, QDir::Files | listed, byName);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            continue;
        const QString name = trimNul(entry.fileName());
        // The pattern ignores letter case; the name's own ".url" does not.
        const qsizetype a = name.indexOf(QLatin1String(".url"));
        if (a < 0)
            continue;
        const QString url = readIniString(QStringLiteral("InternetShortcut"),
                                          QStringLiteral("URL"), QString(), p + name);
        const qint32 folder = findFolder(folderPath(scan.path));
        addLink(m_folders[static_cast<size_t>(folder)], url, name.left(a));
    }
}

} // namespace velmora::services
