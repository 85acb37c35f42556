#include "RegistryFile.h"

#include "DamagedCopies.h"
#include "FileInternetState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include "FileLock.h"

#include <QFileSystemWatcher>
#include <QLockFile>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace velmora::platform {

FileRegistry::FileRegistry(const QString &folder)
    : m_folder(folder)
{
}

FileRegistry::~FileRegistry() = default;

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
    if (const WriteOutcome made = makeFolder(m_folder); !made) {
        if (m_failures)
            m_failures->note(DataFile::Registry, m_folder, made);
        return AccessDenied;
    }
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
    if (!writeWholeFile(m_failures, DataFile::Registry, path, tree.toJson()))
        return AccessDenied;
    return Success;
}

bool FileRegistry::createFile(const RegistryTree &installed)
{
    if (!makeFolder(m_folder))
        return false;
    const QString path = filePath();
    QLockFile lock(path + u".lock"_s);
    takeLock(lock);
    if (QFile::exists(path))
        return false;
    return bool(writeWholeFile(path, installed.toJson(), Existing::Keep));
}

RegistryTree FileRegistry::engineInstallValues()
{
    const QString key = u"SOFTWARE\\Microsoft\\Internet Explorer\\Main"_s;
    // Stored as the platform's installer stores text: with its end byte.
    const Registry::Value yes{Registry::Type::String, QByteArray("yes", 4)};
    RegistryTree tree;
    for (const quint32 root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        tree.addKey(root, key);
        for (const QString &name : {u"Display Inline Images"_s, u"Display Inline Videos"_s,
                                    u"Play_Background_Sounds"_s, u"Play_Animations"_s})
            tree.setValue(root, key, name, yes);
    }
    return tree;
}

void FileRegistry::watch(std::function<void()> onChange)
{
    m_onChange = std::move(onChange);
    if (!m_watcher) {
        m_watcher = std::make_unique<QFileSystemWatcher>();
        m_settle = std::make_unique<QTimer>();
        // One replacing write shows as several events: they are taken as one.
        m_settle->setSingleShot(true);
        m_settle->setInterval(50);
        QObject::connect(m_settle.get(), &QTimer::timeout, m_settle.get(),
                         [this] { fileMayHaveChanged(); });
        const auto changed = [this] { m_settle->start(); };
        QObject::connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, m_settle.get(),
                         changed);
        QObject::connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, m_settle.get(),
                         changed);
        QFile file(filePath());
        if (file.open(QIODevice::ReadOnly))
            m_seen = file.readAll();
    }
    watchPaths();
}

void FileRegistry::watchPaths()
{
    makeFolder(m_folder);
    // The folder too: a replacing write gives the file a new identity.
    if (!m_watcher->directories().contains(m_folder) && QDir(m_folder).exists())
        m_watcher->addPath(m_folder);
    const QString path = filePath();
    if (QFile::exists(path) && !m_watcher->files().contains(path))
        m_watcher->addPath(path);
}

void FileRegistry::fileMayHaveChanged()
{
    watchPaths();
    QFile file(filePath());
    const QByteArray now = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (now == m_seen)
        return;
    m_seen = now;
    if (m_onChange)
        m_onChange();
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
