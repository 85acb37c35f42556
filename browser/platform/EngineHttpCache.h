#pragma once

#include "InternetCache.h"

#include <QByteArray>

namespace velmora::platform {

// Lookups in the web engine's HTTP disk cache (the profile's cache folder;
// the engine keeps one file per entry, each starting with a header and the
// entry's key, which ends with the address). Reads only; the engine may go
// on writing meanwhile. Each lookup reads the key of every entry, so its
// cost grows with the cache.
class EngineHttpCache final : public InternetCache
{
public:
    explicit EngineHttpCache(const QString &cachePath);

    int findEntry(const QString &address) const override;

    // The address a key names; empty when the key is not the engine's.
    static QString keyAddress(const QByteArray &key);
    // The form the engine keys an address by: no fragment, no default port,
    // "/" for an empty path, lower-case scheme and host.
    static QString cacheForm(const QString &address);
    // The key stored in the head of an entry file; empty when the head is
    // not an entry's.
    static QByteArray entryKey(const QByteArray &head);
    static constexpr int HeaderSize = 24;
    static constexpr quint64 EntryMagic = 0xfcfb6d1ba7725c30ULL;

private:
    QString m_cachePath;
};

} // namespace velmora::platform
