#include "WebDownload.h"

using namespace Qt::StringLiterals;

namespace velmora::platform {

QString safeFileName(const QString &suggested)
{
    QString name = suggested;
    // Both separators count: a name made on another system may use either.
    const qsizetype cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (cut >= 0)
        name = name.mid(cut + 1);
    QString clean;
    for (const QChar c : std::as_const(name)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || u":*?\"<>|"_s.contains(c))
            clean += u'_';
        else
            clean += c;
    }
    clean = clean.trimmed();
    // No hidden files and no "." or "..": leading dots go.
    while (clean.startsWith(u'.'))
        clean.remove(0, 1);
    while (clean.endsWith(u'.') || clean.endsWith(u' '))
        clean.chop(1);
    if (clean.isEmpty())
        return u"download"_s;
    // Keep within what a file system takes (255 bytes), extension kept.
    while (clean.toUtf8().size() > 240) {
        const qsizetype dot = clean.lastIndexOf(u'.');
        if (dot > 0 && clean.size() - dot <= 16)
            clean.remove(dot - 1, 1);
        else
            clean.chop(1);
    }
    return clean;
}

} // namespace velmora::platform
