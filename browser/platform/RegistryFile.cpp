#include "RegistryFile.h"

#include "DamagedCopies.h"
#include "FileInternetState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include "FileLock.h"

#include <QLockFile>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace velmora::platform {

FileRegistry::FileRegistry(const QString &folder)
    : m_folder(folder)
{
}

QString FileRegistry::defaultFolder()
{
    return FileInternetState::defaultFolder();
}

QString FileRegistry::filePath() const
{
    return QDir(m_folder).filePath(u"registry.json"_s);
}

RegistryTree FileRegistry::load() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return RegistryTree::fromJson(file.readAll());
}

long FileRegistry::change(const std::function<long(RegistryTree &)> &edit)
{
    if (!QDir().mkpath(m_folder))
        return AccessDenied;
    const QString path = filePath();
    QLockFile lock(path + u".lock"_s);
    // A writer that holds the lock too long loses it rather than the change.
    takeLock(lock);
    QByteArray stored;
    QFile current(path);
    if (current.open(QIODevice::ReadOnly))
        stored = current.readAll();
    else if (current.exists())
        return AccessDenied;
    bool damaged = false;
    RegistryTree tree = RegistryTree::fromJson(stored, &damaged);
    const long status = edit(tree);
    if (status != Success)
        return status;
    // Values that could not be read are kept beside the file, not lost.
    if (damaged && !keepDamagedCopy(path, stored))
        return AccessDenied;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(tree.toJson()) < 0 || !file.commit())
        return AccessDenied;
    return Success;
}

bool FileRegistry::isWritable(quint32) const
{
    const QFileInfo file(filePath());
    if (file.exists() && !file.isWritable())
        return false;
    // The nearest folder that exists decides whether the rest can be made.
    QDir dir(m_folder);
    while (!dir.exists()) {
        if (!dir.cdUp())
            return false;
    }
    return QFileInfo(dir.absolutePath()).isWritable();
}

} // namespace velmora::platform
