#include "ShortcutFolderModel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QStyle>

namespace velmora::platform {

namespace {

const QLatin1String ending(".url");

} // namespace

qsizetype ShortcutFolderModel::shortcutEnding(const QModelIndex &index) const
{
    if (!index.isValid() || index.column() != 0 || isDir(index))
        return 0;
    const QString name = QFileSystemModel::data(index, FileNameRole).toString();
    return name.size() > ending.size() && name.endsWith(ending, Qt::CaseInsensitive)
               ? ending.size()
               : 0;
}

QVariant ShortcutFolderModel::data(const QModelIndex &index, int role) const
{
    QVariant value = QFileSystemModel::data(index, role);
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (const qsizetype n = shortcutEnding(index))
            return value.toString().chopped(n);
    }
    // Without an icon theme the model has no pictures; the style's match
    // those of the favourites tree window.
    if (role == Qt::DecorationRole && index.isValid() && index.column() == 0
        && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        if (shortcutEnding(index))
            return QApplication::style()->standardIcon(QStyle::SP_FileLinkIcon);
        if (value.value<QIcon>().isNull())
            return QApplication::style()->standardIcon(isDir(index) ? QStyle::SP_DirIcon
                                                                   : QStyle::SP_FileIcon);
    }
    return value;
}

bool ShortcutFolderModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const qsizetype n = shortcutEnding(index);
    if (role != Qt::EditRole || n == 0)
        return QFileSystemModel::setData(index, value, role);
    QString name = value.toString();
    if (name.trimmed().isEmpty())
        return false;
    // The ending as the file had it, unless the user typed one.
    if (!name.endsWith(ending, Qt::CaseInsensitive))
        name += QFileSystemModel::data(index, FileNameRole).toString().right(n);
    if (name.contains(u'/'))
        return false;
    // Renamed here: the model's own rename looks the file up by the name it
    // shows, which has no ending. The folder's watch shows the new name.
    const QFileInfo old = fileInfo(index);
    if (name == old.fileName())
        return true;
    const QString target = old.dir().filePath(name);
    return !QFileInfo::exists(target) && QFile::rename(old.filePath(), target);
}

} // namespace velmora::platform
