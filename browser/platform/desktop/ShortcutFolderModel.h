#pragma once

#include <QFileSystemModel>

namespace velmora::platform {

// The Favorites folder as the organise dialog shows it: a shortcut is listed
// by its name without ".url", and renaming it keeps that ending, so that a
// renamed favourite stays a favourite.
class ShortcutFolderModel : public QFileSystemModel
{
public:
    using QFileSystemModel::QFileSystemModel;

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value,
                 int role = Qt::EditRole) override;

private:
    // The length of the shortcut ending of the entry's name, or 0.
    qsizetype shortcutEnding(const QModelIndex &index) const;
};

} // namespace velmora::platform
