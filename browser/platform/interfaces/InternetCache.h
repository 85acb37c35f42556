#pragma once

#include <QString>

namespace velmora::platform {

// Looks addresses up in the HTTP cache the pages are loaded through.
class InternetCache
{
public:
    virtual ~InternetCache() = default;
    // 0 when the cache holds an entry for the address; otherwise the system
    // error number of the failure (ENOENT: no entry for it).
    virtual int findEntry(const QString &address) const = 0;
};

} // namespace velmora::platform
