#include "TestEnvironment.h"

#include <QDir>
#include <QFile>

namespace velmora::test {

TestEnvironment::TestEnvironment()
{
    QDir root(m_root.path());
    for (const char *sub : {"program", "config", "data", "cache"})
        root.mkpath(QString::fromLatin1(sub));
    qputenv("VELMORA_PROGRAM_DIR", programDir().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")).toLocal8Bit());
}

TestEnvironment::~TestEnvironment() = default;

QString TestEnvironment::programDir() const
{
    return m_root.filePath(QStringLiteral("program"));
}

QString TestEnvironment::configHome() const
{
    return m_root.filePath(QStringLiteral("config"));
}

QString TestEnvironment::dataHome() const
{
    return m_root.filePath(QStringLiteral("data"));
}

void TestEnvironment::installLanguageFiles() const
{
    const QDir source(QString::fromLocal8Bit(qgetenv("VELMORA_SOURCE_DATA")));
    for (const QString &name : source.entryList({QStringLiteral("*.lng")}, QDir::Files))
        QFile::copy(source.filePath(name), QDir(programDir()).filePath(name));
}

void TestEnvironment::writeProgramFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(QDir(programDir()).filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray TestEnvironment::readProgramFile(const QString &name) const
{
    QFile file(QDir(programDir()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace velmora::test
