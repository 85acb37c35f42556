#include "FavoritesTree.h"

#include "FavoritesFiles.h"
#include "FavoritesStore.h"
#include "FileNames.h"
#include "RuntimeError.h"

#include "RuntimeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};

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
    m_folders.push_back({QStringLiteral("Root"), 0, {FavoriteChild{}}, {}});
    m_links.push_back({QString(), QString::fromUtf16(favorites::PortalAddress)});
}

void FavoritesTree::addFolder(qint32 parent, const QString &name)
{
    at(m_folders, parent); // an unknown parent fails before anything is added
    const auto n = static_cast<qint32>(m_folders.size());
    m_folders[static_cast<size_t>(parent)].children.push_back({FavoriteChild::Folder, n});
    m_folders.push_back({name, n, {FavoriteChild{}}, {}});
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

struct FavoritesTree::Entry
{
    QByteArray raw;
    QString name;
    bool folder = false;
    bool regular = false;
    bool link = false;
};

QString decodeFileName(const QByteArray &name)
{
    return platform::decodeFileName(name);
}

void FavoritesTree::loadShellFavorites(const QString &favoritesFolder)
{
    initFavoritesTree();
    m_root = favoritesFolder;
    while (m_root.size() > 1 && m_root.endsWith(QLatin1Char('/')))
        m_root.chop(1);
    m_scanning.clear();
    m_budget = MaxEntries;
    m_truncated = false;
    if (!m_root.isEmpty())
        scanFolder({true, m_root, QStringLiteral("*.url"), {}, 0, 0, 0});
}

qint32 FavoritesTree::folderOf(const FavoritesScan &scan) const
{
    return scan.folder >= 0 ? scan.folder : findFolder(folderPath(scan.path));
}

std::vector<FavoritesTree::Entry> FavoritesTree::listFolder(const QByteArray &path,
                                                          FavoritesLeftOut &leftOut)
{
    std::vector<Entry> entries;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.constData()));
    if (!dir)
        return entries;
    const int fd = ::dirfd(dir.get());
    while (const dirent *found = ::readdir(dir.get())) {
        const QByteArray raw(found->d_name);
        if (raw == "." || raw == "..")
            continue;
        if (entries.size() >= size_t(MaxNamesRead)) {
            leftOut.unlisted = true;
            m_truncated = true;
            break;
        }
        Entry entry;
        entry.raw = raw;
        entry.name = decodeFileName(raw);
        entry.link = found->d_type == DT_LNK;
        if (found->d_type == DT_DIR || found->d_type == DT_REG) {
            entry.folder = found->d_type == DT_DIR;
            entry.regular = found->d_type == DT_REG;
        } else {
            // A link counts as what it points to; a broken one as nothing.
            struct stat info = {};
            if (found->d_type == DT_UNKNOWN) {
                if (::fstatat(fd, raw.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0)
                    entry.link = S_ISLNK(info.st_mode);
            }
            if (::fstatat(fd, raw.constData(), &info, 0) == 0) {
                entry.folder = S_ISDIR(info.st_mode);
                entry.regular = S_ISREG(info.st_mode);
            }
        }
        entries.push_back(entry);
    }
    // By name without regard to case, so the tree reads the same each time.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.raw < b.raw;
    });
    return entries;
}

namespace {

void noteLeftOut(int &count, QString &first, QString &last, const QString &name)
{
    if (count++ == 0)
        first = name;
    last = name;
}

} // namespace

void FavoritesTree::scanFolder(const FavoritesScan &scan)
{
    const QByteArray native = scan.nativePath.isEmpty() ? QFile::encodeName(scan.path)
                                                        : scan.nativePath;
    struct stat info = {};
    if (::stat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return;
    const qint32 folder = folderOf(scan);
    // A folder linked into its own subtree is shown once, not followed again.
    const std::pair<quint64, quint64> id{quint64(info.st_dev), quint64(info.st_ino)};
    if (std::find(m_scanning.begin(), m_scanning.end(), id) != m_scanning.end()) {
        m_folders[size_t(folder)].leftOut.unread = true;
        return;
    }
    m_scanning.push_back(id);
    const std::vector<Entry> entries = listFolder(native, m_folders[size_t(folder)].leftOut);
    addLinks(scan, folder, entries);
    const QByteArray prefix = native.endsWith('/') ? native : native + '/';
    for (const Entry &entry : entries) {
        if (!entry.folder || !scan.recurse)
            continue;
        if (m_budget <= 0) {
            FavoritesLeftOut &left = m_folders[size_t(folder)].leftOut;
            noteLeftOut(left.folders, left.firstFolder, left.lastFolder, entry.name);
            m_truncated = true;
            continue;
        }
        --m_budget;
        addFolder(folder, entry.name);
        FavoritesScan sub = scan;
        sub.path = addBackslash(scan.path) + entry.name;
        sub.nativePath = prefix + entry.raw;
        sub.folder = m_folders.back().index;
        sub.depth = scan.depth + 1;
        sub.links = scan.links + (entry.link ? 1 : 0);
        if (sub.depth > MaxDepth || sub.links > MaxLinkDepth) {
            m_folders.back().leftOut.unread = true;
            m_truncated = true;
            continue;
        }
        scanFolder(sub);
    }
    m_scanning.pop_back();
}

void FavoritesTree::scanUrlFiles(const FavoritesScan &scan)
{
    const QByteArray native = scan.nativePath.isEmpty() ? QFile::encodeName(scan.path)
                                                        : scan.nativePath;
    const qint32 folder = folderOf(scan);
    addLinks(scan, folder, listFolder(native, m_folders[size_t(folder)].leftOut));
}

void FavoritesTree::addLinks(const FavoritesScan &scan, qint32 folder,
                             const std::vector<Entry> &entries)
{
    const QByteArray native = scan.nativePath.isEmpty() ? QFile::encodeName(scan.path)
                                                        : scan.nativePath;
    const QByteArray prefix = native.endsWith('/') ? native : native + '/';
    const QRegularExpression pattern(
        QRegularExpression::wildcardToRegularExpression(scan.pattern),
        QRegularExpression::CaseInsensitiveOption);
    int taken = 0;
    for (const Entry &entry : entries) {
        // Only a regular file is read: a pipe or a device would block or worse.
        if (!entry.regular || !pattern.match(entry.name).hasMatch())
            continue;
        const qsizetype a = entry.name.indexOf(QLatin1String(".url"), 0, Qt::CaseInsensitive);
        if (a < 0)
            continue;
        if (taken >= MaxFolderLinks || m_budget <= 0) {
            FavoritesLeftOut &left = m_folders[static_cast<size_t>(folder)].leftOut;
            noteLeftOut(left.links, left.firstLink, left.lastLink, entry.name.left(a));
            m_truncated = true;
            continue;
        }
        ++taken;
        --m_budget;
        const QString url = readShortcutUrl(prefix + entry.raw);
        addLink(m_folders[static_cast<size_t>(folder)], url, entry.name.left(a));
    }
}

} // namespace velmora::services
