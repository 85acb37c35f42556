#include "EngineHttpCache.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QtEndian>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

// Keys longer than this are not addresses anyone types.
constexpr quint32 MaxKeyLength = 64 * 1024;

// The key length a header announces; 0 when the bytes are no entry header.
quint32 announcedKeyLength(const QByteArray &head)
{
    if (head.size() < EngineHttpCache::HeaderSize)
        return 0;
    const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
    if (qFromLittleEndian<quint64>(bytes) != EngineHttpCache::EntryMagic)
        return 0;
    const quint32 length = qFromLittleEndian<quint32>(bytes + 12);
    return length <= MaxKeyLength ? length : 0;
}

} // namespace

EngineHttpCache::EngineHttpCache(const QString &cachePath) : m_cachePath(cachePath) {}

QByteArray EngineHttpCache::entryKey(const QByteArray &head)
{
    const quint32 length = announcedKeyLength(head);
    if (length == 0 || head.size() < HeaderSize + qsizetype(length))
        return {};
    return head.mid(HeaderSize, length);
}

QString EngineHttpCache::keyAddress(const QByteArray &key)
{
    // "1/0/" and, with a split cache, the sites of the page go before the
    // address; an address holds no space.
    QString text = QString::fromUtf8(key);
    text = text.mid(text.lastIndexOf(u' ') + 1);
    static const QRegularExpression prefix(u"^(?:\\d+/)+"_s);
    text.remove(prefix);
    return text;
}

QString EngineHttpCache::cacheForm(const QString &address)
{
    QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return {};
    url.setFragment(QString());
    const QString scheme = url.scheme().toLower();
    if ((scheme == "http"_L1 && url.port() == 80) || (scheme == "https"_L1 && url.port() == 443))
        url.setPort(-1);
    if (!url.host().isEmpty() && url.path().isEmpty())
        url.setPath(u"/"_s);
    url.setHost(url.host().toLower());
    url.setScheme(scheme);
    return url.toString(QUrl::FullyEncoded);
}

int EngineHttpCache::findEntry(const QString &address) const
{
    const QString wanted = cacheForm(address);
    if (wanted.isEmpty())
        return ENOENT;
    const QFileInfo root(m_cachePath);
    if (!root.exists())
        return ENOENT;
    if (!root.isDir())
        return ENOTDIR;
    if (!root.isReadable() || !root.isExecutable())
        return EACCES;
    // The engine keeps its entries a folder or two below the cache path;
    // stream 0 of an entry ("<hash>_0") holds the key.
    QDirIterator entries(m_cachePath, {u"*_0"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        QFile file(entries.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QByteArray head = file.read(HeaderSize);
        const quint32 length = announcedKeyLength(head);
        if (length == 0)
            continue;
        head += file.read(length);
        const QByteArray key = entryKey(head);
        if (!key.isEmpty() && cacheForm(keyAddress(key)) == wanted)
            return 0;
    }
    return ENOENT;
}

} // namespace velmora::platform
