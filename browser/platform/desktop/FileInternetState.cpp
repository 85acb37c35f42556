#include "FileInternetState.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace velmora::platform {

FileInternetState::FileInternetState(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_watcher(new QFileSystemWatcher(this))
{
    makeFolder(m_folder);
    // The folder is watched as well: a replacing write gives the file a new
    // identity, which a watch on the file alone does not follow.
    m_watcher->addPath(m_folder);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileInternetState::reload);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FileInternetState::reload);
    reload();
}

FileInternetState::~FileInternetState() = default;

QString FileInternetState::defaultFolder()
{
    QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (configHome.isEmpty())
        configHome = QDir::homePath() + "/.config"_L1;
    return QDir(configHome).filePath(u"olk_Browser"_s);
}

QString FileInternetState::filePath() const
{
    return QDir(m_folder).filePath(u"offline"_s);
}

bool FileInternetState::isOffline() const
{
    return m_offline;
}

void FileInternetState::setOffline(bool offline)
{
    const WriteOutcome made = makeFolder(m_folder);
    if (made)
        writeWholeFile(m_failures, DataFile::OfflineState, filePath(), offline ? "1\n" : "0\n");
    else if (m_failures)
        m_failures->note(DataFile::OfflineState, m_folder, made);
    watchFile();
    if (m_offline != offline) {
        m_offline = offline;
        emit offlineChanged(offline);
    }
}

void FileInternetState::watchFile()
{
    const QString path = filePath();
    if (QFile::exists(path) && !m_watcher->files().contains(path))
        m_watcher->addPath(path);
    if (!m_watcher->directories().contains(m_folder) && QDir(m_folder).exists())
        m_watcher->addPath(m_folder);
}

void FileInternetState::reload()
{
    watchFile();
    bool offline = false;
    QFile file(filePath());
    if (file.open(QIODevice::ReadOnly)) {
        ++m_fileReads;
        offline = file.read(16).trimmed() == "1";
    }
    if (offline != m_offline) {
        m_offline = offline;
        emit offlineChanged(offline);
    }
}

} // namespace velmora::platform
