#include "ShownAddress.h"

#include "RuntimeFiles.h"

#include <QUrl>

namespace velmora::services {

using runtime::schemePrefix;

QString shownAddress(const QString &address)
{
    if (!address.contains(u"xn--", Qt::CaseInsensitive))
        return address;
    const QStringView text(address);
    const qsizetype start = schemePrefix(text);
    qsizetype end = start;
    while (end < text.size() && !QStringView(u"/?#\\").contains(text.at(end)))
        ++end;
    // user:password@host:port
    qsizetype hostStart = start;
    for (qsizetype i = start; i < end; ++i) {
        if (text.at(i) == u'@')
            hostStart = i + 1;
    }
    qsizetype hostEnd = end;
    if (hostStart < end && text.at(hostStart) != u'[') {
        for (qsizetype i = end - 1; i > hostStart; --i) {
            if (text.at(i) == u':') {
                hostEnd = i;
                break;
            }
        }
    }
    const QString host = text.sliced(hostStart, hostEnd - hostStart).toString();
    bool ascii = true;
    for (const QChar c : host)
        ascii = ascii && c.unicode() < 0x80;
    if (!ascii)
        return address;
    const QString unicode = QUrl::fromAce(host.toLatin1(), QUrl::IgnoreIDNWhitelist);
    if (unicode.isEmpty() || unicode == host || !runtime::fitsAnsi(unicode))
        return address;
    // The control's form comes back for an address that names no real
    // host: only one that encodes to the same host again is shown decoded.
    if (QUrl::toAce(unicode).compare(host.toLatin1(), Qt::CaseInsensitive) != 0)
        return address;
    return address.left(hostStart) + unicode + address.mid(hostEnd);
}

} // namespace velmora::services
