#pragma once

#include <QByteArray>
#include <QIcon>
#include <QStandardItemModel>
#include <QString>

#include <functional>
#include <vector>

namespace velmora::platform {

// One entry of a folder as the file system holds it.
struct FolderEntry
{
    QByteArray raw;  // the name's own bytes
    QString name;    // decoded as the favourites tree decodes it
    bool folder = false;
    bool shortcut = false; // a regular file whose name holds ".url"
    bool link = false;     // a symbolic link (to what folder or shortcut says)
};

// A folder's folders and shortcuts, by name without regard to case; names
// starting with a dot count like any other.
std::vector<FolderEntry> readFolderEntries(const QByteArray &folder);

// The folders below root, parents before children, as paths relative to it
// (display form and the bytes to open them by). A folder linked into its own
// subtree is listed once and not followed.
struct Subfolder
{
    QString path;
    QByteArray raw;
};
std::vector<Subfolder> favoritesSubfolders(const QString &root);

// The Favorites folder as the organise dialog shows it: every folder and
// shortcut the favourites tree reads, a shortcut by its name without ".url".
// Entries are opened by their own bytes, so names in another code page can
// be renamed, moved and deleted. Each change is made on the disk and the
// model is read again; a failure is reported by its error number.
class ShortcutFolderModel : public QStandardItemModel
{
    Q_OBJECT
public:
    static constexpr int NativePathRole = Qt::UserRole + 1;
    static constexpr int FolderRole = Qt::UserRole + 2;

    // Read at most, as the favourites tree reads; the rest is noted on its folder.
    static constexpr int MaxEntries = 20000;

    explicit ShortcutFolderModel(QObject *parent = nullptr);

    // The text of the note on a folder of which count entries are not shown.
    std::function<QString(int count)> leftOutNote;

    void setRoot(const QString &root);
    void reload();
    QByteArray rootPath() const { return m_root; }

    QByteArray nativePath(const QModelIndex &index) const;
    bool isDir(const QModelIndex &index) const;
    // The entry read from these bytes; invalid when there is none.
    QModelIndex indexOf(const QByteArray &nativePath) const;

    // What a folder holds at any depth (links are not followed).
    struct Contents
    {
        int folders = 0;
        int shortcuts = 0;
        int others = 0;
    };
    static Contents contents(const QByteArray &folder);

    // 0 on success, else the error number; made: the new folder's path.
    int makeFolder(const QModelIndex &parent, const QString &name, QByteArray *made = nullptr);
    // A shortcut keeps its ".url" ending unless the user typed one.
    int renameEntry(const QModelIndex &index, const QString &name);
    int removeEntry(const QModelIndex &index);
    int moveEntry(const QByteArray &from, const QModelIndex &folder);

    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

signals:
    // A change asked through the view (edit, drop) failed.
    void failed(const QString &name, int error);

private:
    void addFolder(QStandardItem *parent, const QByteArray &path, int depth, int links,
                   std::vector<std::pair<quint64, quint64>> &scanning);

    QByteArray m_root;
    QIcon m_folderIcon;
    QIcon m_linkIcon;
    int m_budget = MaxEntries;
};

} // namespace velmora::platform
