#include "ShortcutFolderModel.h"

#include "FileNames.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMimeData>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::platform {

namespace {

// The tree of favourites reads no deeper, nor through more links on a path.
constexpr int MaxDepth = 64;
constexpr int MaxLinkDepth = 8;
const QLatin1String ending(".url");
const QString mimeType = QStringLiteral("application/x-velmora-favorites");

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};

QByteArray child(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? QByteArray(folder + name) : QByteArray(folder + '/' + name);
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The name a shortcut shows: up to its first ".url".
qsizetype shortcutNameLength(const QString &name)
{
    return name.indexOf(ending, 0, Qt::CaseInsensitive);
}

QIcon styleIcon(QStyle::StandardPixmap which)
{
    return qobject_cast<QApplication *>(QCoreApplication::instance())
               ? QApplication::style()->standardIcon(which)
               : QIcon();
}

// Deletes a folder and what it holds; a link is removed, never followed.
int removeTree(const QByteArray &path)
{
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(path.constData()) == 0 ? 0 : errno;
    {
        const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.constData()));
        if (!dir)
            return errno;
        std::vector<QByteArray> names;
        while (const dirent *found = ::readdir(dir.get())) {
            const QByteArray raw(found->d_name);
            if (raw != "." && raw != "..")
                names.push_back(raw);
        }
        for (const QByteArray &name : names) {
            if (const int error = removeTree(child(path, name)))
                return error;
        }
    }
    return ::rmdir(path.constData()) == 0 ? 0 : errno;
}

} // namespace

std::vector<FolderEntry> readFolderEntries(const QByteArray &folder)
{
    std::vector<FolderEntry> entries;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.constData()));
    if (!dir)
        return entries;
    const int fd = ::dirfd(dir.get());
    while (const dirent *found = ::readdir(dir.get())) {
        FolderEntry entry;
        entry.raw = QByteArray(found->d_name);
        if (entry.raw == "." || entry.raw == "..")
            continue;
        struct stat info = {};
        if (::fstatat(fd, found->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        entry.link = S_ISLNK(info.st_mode);
        if (entry.link && ::fstatat(fd, found->d_name, &info, 0) != 0)
            continue; // a broken link is nothing
        entry.name = decodeFileName(entry.raw);
        entry.folder = S_ISDIR(info.st_mode);
        entry.shortcut = S_ISREG(info.st_mode) && shortcutNameLength(entry.name) >= 0
                         && entry.name.endsWith(ending, Qt::CaseInsensitive);
        if (entry.folder || entry.shortcut)
            entries.push_back(entry);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const FolderEntry &a, const FolderEntry &b) {
        const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.raw < b.raw;
    });
    return entries;
}

namespace {

using Scanning = std::vector<std::pair<quint64, quint64>>;

// Enters a folder unless it is one of those being read (a link loop).
bool enter(const QByteArray &path, Scanning &scanning)
{
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    const std::pair<quint64, quint64> id{quint64(info.st_dev), quint64(info.st_ino)};
    if (std::find(scanning.begin(), scanning.end(), id) != scanning.end())
        return false;
    scanning.push_back(id);
    return true;
}

void collectSubfolders(const QByteArray &folder, const QString &prefix, const QByteArray &rawPrefix,
                       int depth, int links, Scanning &scanning, std::vector<Subfolder> &out)
{
    if (!enter(folder, scanning))
        return;
    for (const FolderEntry &entry : readFolderEntries(folder)) {
        // As many as the organiser shows (a link to "/" would list the disk).
        if (!entry.folder || out.size() >= size_t(ShortcutFolderModel::MaxEntries))
            continue;
        const QByteArray path = child(folder, entry.raw);
        Scanning probe = scanning;
        // A link back into the folders above is no folder to store into.
        if (!enter(path, probe))
            continue;
        const QString shown = prefix.isEmpty() ? entry.name : prefix + u'/' + entry.name;
        const QByteArray raw = rawPrefix.isEmpty() ? entry.raw : rawPrefix + '/' + entry.raw;
        out.push_back({shown, raw});
        const int linkCount = links + (entry.link ? 1 : 0);
        if (depth + 1 <= MaxDepth && linkCount <= MaxLinkDepth)
            collectSubfolders(path, shown, raw, depth + 1, linkCount, scanning, out);
    }
    scanning.pop_back();
}

} // namespace

std::vector<Subfolder> favoritesSubfolders(const QString &root)
{
    std::vector<Subfolder> out;
    Scanning scanning;
    collectSubfolders(QFile::encodeName(root), QString(), QByteArray(), 0, 0, scanning, out);
    return out;
}

ShortcutFolderModel::ShortcutFolderModel(QObject *parent)
    : QStandardItemModel(parent),
      m_folderIcon(styleIcon(QStyle::SP_DirIcon)),
      m_linkIcon(styleIcon(QStyle::SP_FileLinkIcon))
{
}

void ShortcutFolderModel::setRoot(const QString &root)
{
    m_root = QFile::encodeName(root);
    reload();
}

void ShortcutFolderModel::reload()
{
    clear();
    m_budget = MaxEntries;
    Scanning scanning;
    addFolder(invisibleRootItem(), m_root, 0, 0, scanning);
}

void ShortcutFolderModel::addFolder(QStandardItem *parent, const QByteArray &path, int depth,
                                    int links, Scanning &scanning)
{
    if (!enter(path, scanning))
        return;
    const std::vector<FolderEntry> entries = readFolderEntries(path);
    // Folders first, as the favourites tree shows them.
    int leftOut = 0;
    std::vector<std::pair<QStandardItem *, int>> below;
    for (const bool folders : {true, false}) {
        for (const FolderEntry &entry : entries) {
            if (entry.folder != folders)
                continue;
            if (m_budget <= 0) {
                ++leftOut;
                continue;
            }
            --m_budget;
            const QByteArray full = child(path, entry.raw);
            const QString shown =
                entry.folder ? entry.name : entry.name.left(shortcutNameLength(entry.name));
            auto *item = new QStandardItem(shown);
            item->setData(full, NativePathRole);
            item->setData(entry.folder, FolderRole);
            item->setIcon(entry.folder ? m_folderIcon : m_linkIcon);
            item->setToolTip(entry.name);
            parent->appendRow(item);
            if (entry.folder)
                below.push_back({item, links + (entry.link ? 1 : 0)});
        }
    }
    if (leftOut > 0) {
        auto *note = new QStandardItem(leftOutNote ? leftOutNote(leftOut)
                                                   : QStringLiteral("(+%1)").arg(leftOut));
        note->setFlags(Qt::ItemIsEnabled);
        parent->appendRow(note);
    }
    // A folder's own entries are read before those of its subfolders, as
    // the tree reads them, so a bound cuts the deepest ones.
    for (const auto &[item, linkCount] : below) {
        if (depth + 1 <= MaxDepth && linkCount <= MaxLinkDepth)
            addFolder(item, item->data(NativePathRole).toByteArray(), depth + 1, linkCount,
                      scanning);
    }
    scanning.pop_back();
}

QByteArray ShortcutFolderModel::nativePath(const QModelIndex &index) const
{
    return index.isValid() ? index.data(NativePathRole).toByteArray() : m_root;
}

bool ShortcutFolderModel::isDir(const QModelIndex &index) const
{
    return !index.isValid() || index.data(FolderRole).toBool();
}

QModelIndex ShortcutFolderModel::indexOf(const QByteArray &path) const
{
    const QModelIndexList found =
        match(index(0, 0), NativePathRole, path, 1, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? QModelIndex() : found.first();
}

ShortcutFolderModel::Contents ShortcutFolderModel::contents(const QByteArray &folder)
{
    Contents counted;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.constData()));
    if (!dir)
        return counted;
    const int fd = ::dirfd(dir.get());
    while (const dirent *found = ::readdir(dir.get())) {
        const QByteArray raw(found->d_name);
        if (raw == "." || raw == "..")
            continue;
        struct stat info = {};
        if (::fstatat(fd, found->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            ++counted.folders;
            const Contents inner = contents(child(folder, raw));
            counted.folders += inner.folders;
            counted.shortcuts += inner.shortcuts;
            counted.others += inner.others;
        } else if (S_ISREG(info.st_mode) && decodeFileName(raw).endsWith(ending, Qt::CaseInsensitive)) {
            ++counted.shortcuts;
        } else {
            ++counted.others;
        }
    }
    return counted;
}

int ShortcutFolderModel::makeFolder(const QModelIndex &parent, const QString &name, QByteArray *made)
{
    const QString clean = replaceForbiddenFileCharacters(name).trimmed();
    if (clean.isEmpty() || clean == u"." || clean == u"..")
        return EINVAL;
    const QByteArray path = child(isDir(parent) ? nativePath(parent) : parentOf(nativePath(parent)),
                                  QFile::encodeName(clean));
    if (::mkdir(path.constData(), 0700) != 0)
        return errno;
    if (made)
        *made = path;
    reload();
    return 0;
}

int ShortcutFolderModel::renameEntry(const QModelIndex &index, const QString &typed)
{
    if (!index.isValid() || index.data(NativePathRole).toByteArray().isEmpty())
        return EINVAL;
    const QByteArray old = nativePath(index);
    QString name = replaceForbiddenFileCharacters(typed).trimmed();
    if (name.isEmpty() || name == u"." || name == u"..")
        return EINVAL;
    if (!isDir(index) && !name.endsWith(ending, Qt::CaseInsensitive)) {
        const QString oldName = decodeFileName(baseName(old));
        name += oldName.mid(shortcutNameLength(oldName));
    }
    const QByteArray target = child(parentOf(old), QFile::encodeName(name));
    if (target == old)
        return 0;
    // Never over another entry.
    struct stat info = {};
    if (::lstat(target.constData(), &info) == 0)
        return EEXIST;
    if (::rename(old.constData(), target.constData()) != 0)
        return errno;
    reload();
    return 0;
}

int ShortcutFolderModel::removeEntry(const QModelIndex &index)
{
    if (!index.isValid() || index.data(NativePathRole).toByteArray().isEmpty())
        return EINVAL;
    const int error = removeTree(nativePath(index));
    reload();
    return error;
}

int ShortcutFolderModel::moveEntry(const QByteArray &from, const QModelIndex &folder)
{
    const QByteArray into = isDir(folder) ? nativePath(folder) : parentOf(nativePath(folder));
    const QByteArray target = child(into, baseName(from));
    if (target == from || parentOf(from) == into)
        return 0;
    // Not into itself or below it.
    if (into == from || into.startsWith(QByteArray(from + '/')))
        return EINVAL;
    struct stat info = {};
    if (::lstat(target.constData(), &info) == 0)
        return EEXIST;
    if (::rename(from.constData(), target.constData()) != 0)
        return errno;
    reload();
    return 0;
}

bool ShortcutFolderModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole)
        return QStandardItemModel::setData(index, value, role);
    const QString shown = index.data().toString();
    if (value.toString().trimmed().isEmpty() || value.toString() == shown)
        return false;
    // The model is read again after the change: report it after the view's edit ends.
    const QByteArray path = nativePath(index);
    const QString typed = value.toString();
    QTimer::singleShot(0, this, [this, path, typed, shown] {
        if (const int error = renameEntry(indexOf(path), typed))
            emit failed(shown, error);
    });
    return true;
}

Qt::ItemFlags ShortcutFolderModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = QStandardItemModel::flags(index);
    if (!index.isValid())
        return result | Qt::ItemIsDropEnabled;
    // A note on what is not shown is no entry.
    if (index.data(NativePathRole).toByteArray().isEmpty())
        return Qt::ItemIsEnabled;
    result |= Qt::ItemIsDragEnabled | Qt::ItemIsEditable;
    if (isDir(index))
        result |= Qt::ItemIsDropEnabled;
    else
        result &= ~Qt::ItemIsDropEnabled;
    return result;
}

QStringList ShortcutFolderModel::mimeTypes() const
{
    return {mimeType};
}

QMimeData *ShortcutFolderModel::mimeData(const QModelIndexList &indexes) const
{
    QByteArray paths;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && index.column() == 0)
            paths += nativePath(index) + '\0';
    }
    auto *data = new QMimeData;
    data->setData(mimeType, paths);
    return data;
}

bool ShortcutFolderModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                       const QModelIndex &parent)
{
    if (action != Qt::MoveAction || !data || !data->hasFormat(mimeType))
        return false;
    const QList<QByteArray> paths = data->data(mimeType).split('\0');
    const QByteArray folder = nativePath(parent);
    // Moved after the drag ends: the view must not take the rows away itself.
    QTimer::singleShot(0, this, [this, paths, folder] {
        for (const QByteArray &path : paths) {
            if (path.isEmpty())
                continue;
            const QModelIndex into = folder == m_root ? QModelIndex() : indexOf(folder);
            if (const int error = moveEntry(path, into))
                emit failed(decodeFileName(baseName(path)), error);
        }
    });
    return false;
}

} // namespace velmora::platform
