#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace velmora::services {

QString programFolder()
{
    const QString fromEnv = qEnvironmentVariable("VELMORA_PROGRAM_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString programFile(const QString &name)
{
    return ProgramFolder().file(name);
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
