#pragma once

#include "InternetCache.h"

#include <QStringList>

#include <cerrno>

namespace velmora::platform {

// A cache holding the addresses a test lists; failure makes every lookup
// fail with that error number.
class FakeInternetCache final : public InternetCache
{
public:
    int findEntry(const QString &address) const override
    {
        lookups.append(address);
        if (failure != 0)
            return failure;
        return cached.contains(address) ? 0 : ENOENT;
    }

    QStringList cached;
    int failure = 0;
    mutable QStringList lookups;
};

} // namespace velmora::platform
