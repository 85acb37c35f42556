#include "StaleFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

namespace velmora::services {

namespace {

// A writer that has not touched its copy for this long is gone.
constexpr qint64 IdleSeconds = 60;

} // namespace

QStringList removeStaleFiles(const QString &folder, const QStringList &names)
{
    QStringList removed;
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return removed;
    QStringList bodies;
    for (const QString &name : names)
        bodies.append(QRegularExpression::wildcardToRegularExpression(
            name, QRegularExpression::UnanchoredWildcardConversion));
    // The six random characters a temporary file name is given; six small
    // letters look like a word (".backup"), and such a file is not touched.
    const QString any = QStringLiteral("\\A(?:") + bodies.join(u'|') + u')';
    const QRegularExpression temporary(any + QStringLiteral("\\.(?![a-z]{6}\\z)[A-Za-z0-9]{6}\\z"));
    const QRegularExpression lock(any + QStringLiteral("\\.lock\\z"));
    const QDateTime idleSince = QDateTime::currentDateTimeUtc().addSecs(-IdleSeconds);

    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString name = entry.fileName();
        if (temporary.match(name).hasMatch()) {
            if (entry.lastModified().toUTC() < idleSince && QFile::remove(entry.filePath()))
                removed.append(name);
        } else if (lock.match(name).hasMatch()) {
            // Taken only when its holder is no longer running; giving it
            // back removes the file.
            QLockFile held(entry.filePath());
            if (held.tryLock(0)) {
                held.unlock();
                removed.append(name);
            }
        }
    }
    return removed;
}

} // namespace velmora::services
