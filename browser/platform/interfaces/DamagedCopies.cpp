#include "DamagedCopies.h"

#include "WholeFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace velmora::platform {

namespace {

constexpr int MaxCopies = 1000;

} // namespace

QString damagedCopyPath(const QString &path, int n)
{
    return n == 1 ? QString(path + u".bad") : QString(path + u".bad." + QString::number(n));
}

bool keepDamagedCopy(const QString &path, const QByteArray &bytes)
{
    for (int n = 1; n <= MaxCopies; ++n) {
        const QString name = damagedCopyPath(path, n);
        const WriteOutcome made = writeWholeFile(name, bytes, Existing::Keep);
        if (made.error != EEXIST)
            return made.ok;
        QFile existing(name);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
            return true;
    }
    return false;
}

bool moveDamagedAside(const QString &path)
{
    for (int n = 1; n <= MaxCopies; ++n) {
        const QString name = damagedCopyPath(path, n);
        if (QFileInfo::exists(name))
            continue;
        return QFile::rename(path, name);
    }
    return false;
}

} // namespace velmora::platform
