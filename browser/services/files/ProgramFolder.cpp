#include "ProgramFolder.h"

#include "WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace velmora::services {

namespace {

#ifndef VELMORA_BIN_TO_DATA
#define VELMORA_BIN_TO_DATA "../share/velmora"
#endif

QString applicationFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

// A folder another user owns is not ours to fill, even for root.
bool ownWritableFolder(const QString &dir)
{
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable() && info.ownerId() == ::geteuid();
}

} // namespace

QString installedDataFolder(const QString &appDir)
{
    const QString candidate =
        QDir::cleanPath(QDir(appDir).filePath(QStringLiteral(VELMORA_BIN_TO_DATA)));
    if (QFileInfo::exists(QDir(candidate).filePath(QStringLiteral("lang.lng"))))
        return candidate;
    return {};
}

QString installedDataFolder()
{
    return installedDataFolder(applicationFolder());
}

QString chooseProgramFolder(const QString &fromEnv, const QString &appDir,
                            const QString &installedData, bool appDirWritable,
                            const QString &dataHome)
{
    if (!fromEnv.isEmpty())
        return fromEnv;
    if (installedData.isEmpty() || appDirWritable)
        return appDir;
    return QDir(dataHome).filePath(QStringLiteral("olk_Browser"));
}

QString programFolder()
{
    const QString fromEnv = qEnvironmentVariable("VELMORA_PROGRAM_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString appDir = applicationFolder();
    const QString installed = installedDataFolder(appDir);
    if (installed.isEmpty())
        return appDir;
    const QString folder = chooseProgramFolder(
        fromEnv, appDir, installed, ownWritableFolder(appDir),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    if (folder != appDir)
        platform::makeFolder(folder);
    return folder;
}

QString programFile(const QString &name)
{
    return ProgramFolder().file(name);
}

QString shippedFile(const QString &programDir, const QString &name)
{
    const QString own = QDir(programDir).filePath(name);
    if (QFileInfo::exists(own))
        return own;
    const QString installed = installedDataFolder();
    if (!installed.isEmpty()) {
        const QString copy = QDir(installed).filePath(name);
        if (QFileInfo::exists(copy))
            return copy;
    }
    return own;
}

ProgramFolder::ProgramFolder() : m_path(programFolder()) {}

ProgramFolder::ProgramFolder(const QString &path) : m_path(path) {}

QString ProgramFolder::file(const QString &name) const
{
    QString tail = name;
    if (tail.startsWith(u'/') || tail.startsWith(u'\\'))
        tail.remove(0, 1);
    if (m_path.endsWith(u'/'))
        return m_path + tail;
    return m_path + u'/' + tail;
}

} // namespace velmora::services
