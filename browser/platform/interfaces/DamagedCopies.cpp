#include "DamagedCopies.h"

#include <QFile>
#include <QFileInfo>

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
        QFile copy(name);
        if (copy.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            const bool ok = copy.write(bytes) == bytes.size() && copy.flush();
            copy.close();
            if (!ok)
                copy.remove();
            return ok;
        }
        if (!QFileInfo::exists(name))
            return false;
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
