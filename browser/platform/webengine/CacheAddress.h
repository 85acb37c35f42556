#pragma once

#include <QString>

namespace velmora::platform {

// The form a cache keys an address by: no fragment, no default port, "/"
// for an empty path, lower-case scheme and host. Empty for no address.
QString cacheForm(const QString &address);

} // namespace velmora::platform
