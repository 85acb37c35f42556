#pragma once

#include <QList>
#include <QString>

#include <vector>

namespace velmora::services {

// One entry of a folder: a subfolder (kind 1) or a link (kind 0), by its
// position in the tree's folders or links.
struct FavoriteChild
{
    static constexpr qint32 Link = 0;
    static constexpr qint32 Folder = 1;
    qint32 kind = Link;
    qint32 index = 0;
};

// What a folder holds that the tree does not show, by name order: the
// first and the last name left out of each kind.
struct FavoritesLeftOut
{
    int links = 0;
    int folders = 0;
    QString firstLink, lastLink, firstFolder, lastFolder;
    // The folder itself was not read: too deep, too many links on the way,
    // or a link to a folder it is inside of.
    bool unread = false;
    // More names than are read from one folder: those after the first
    // MaxNamesRead (in the file system's order) are not even counted.
    bool unlisted = false;

    bool any() const { return links > 0 || folders > 0 || unread || unlisted; }
};

struct FavoriteFolder
{
    QString name;
    qint32 index = 0;
    // Position 0 is a placeholder (the placeholder link); content starts at 1.
    std::vector<FavoriteChild> children;
    FavoritesLeftOut leftOut;
};

struct FavoriteLink
{
    QString name;
    QString url;
};

// How a folder is scanned; a subfolder's record is a copy with its own path.
struct FavoritesScan
{
    bool recurse = true;
    QString path;
    QString pattern = QStringLiteral("*.url");
    // The path's bytes as the file system has them; empty: path encoded.
    QByteArray nativePath;
    // The folder's record; -1: found from path.
    qint32 folder = -1;
    int depth = 0; // folders below the root
    int links = 0; // folder links followed on the way here
};

// The Favorites folder read into memory: folders and links, each folder's
// content in the order it was found (its links, then its subfolders). A
// snapshot: rebuilt from the disk by every load, never written back.
//
// Names that are not UTF-8 (copied from an old machine) are read as
// Windows-1251 and still opened by their own bytes. Only regular files are
// read as shortcuts. A folder link is followed, but the scan is bounded: at
// most MaxFolderLinks shortcuts of one folder and MaxEntries folders and
// shortcuts in all, MaxDepth folder levels and MaxLinkDepth links on one
// path (a link to "/" would otherwise walk the whole disk). What a bound
// leaves out is cut in name order and noted on its folder (leftOut), and
// truncated() tells that the tree is not the whole folder.
class FavoritesTree
{
public:
    static constexpr int MaxEntries = 20000;
    static constexpr int MaxFolderLinks = 10000;
    static constexpr int MaxNamesRead = 200000;
    static constexpr int MaxDepth = 64;
    static constexpr int MaxLinkDepth = 8;

    FavoritesTree();

    // Rebuilds the whole tree from the folder; an empty path leaves the root alone.
    void loadShellFavorites(const QString &favoritesFolder);
    void scanFolder(const FavoritesScan &scan);
    void scanUrlFiles(const FavoritesScan &scan);

    // The root ("Root", index 0) and the placeholder link alone.
    void initFavoritesTree();
    void addFolder(qint32 parent, const QString &name);
    void addLink(FavoriteFolder &folder, const QString &url, const QString &name);
    // The folder of a path such as "/Daily/News"; parts that match no
    // subfolder are passed over. "/" and "" give the root.
    qint32 findFolder(const QString &path) const;
    // Follows child positions from the root and returns the link at the last
    // one, whatever the kinds of the entries on the way. Throws
    // RuntimeError(SubscriptOutOfRange) for a position outside its folder.
    FavoriteLink getLinkByPath(const QList<int> &positions) const;

    const std::vector<FavoriteFolder> &favFolders() const { return m_folders; }
    const std::vector<FavoriteLink> &favLinks() const { return m_links; }
    // The folder found by the last load, without a trailing separator.
    QString favRoot() const { return m_root; }
    // A folder's path relative to favRoot, "/" for the root.
    QString folderPath(const QString &fullPath) const;
    // The last load stopped at one of the limits above.
    bool truncated() const { return m_truncated; }

    struct Entry;

private:
    // The folder's entries by name, at most MaxNamesRead of them.
    std::vector<Entry> listFolder(const QByteArray &path, FavoritesLeftOut &leftOut);
    void addLinks(const FavoritesScan &scan, qint32 folder, const std::vector<Entry> &entries);
    qint32 folderOf(const FavoritesScan &scan) const;

    std::vector<FavoriteFolder> m_folders;
    std::vector<FavoriteLink> m_links;
    QString m_root;
    // Folders being scanned (device and inode), against link cycles.
    std::vector<std::pair<quint64, quint64>> m_scanning;
    int m_budget = MaxEntries;
    bool m_truncated = false;
};

// A file or folder name as the file system holds it: UTF-8 when it is valid
// UTF-8, Windows-1251 otherwise.
QString decodeFileName(const QByteArray &name);

QString addBackslash(const QString &path);
QString addLeadingSlash(const QString &path);
QString trimNul(const QString &text);

} // namespace velmora::services
