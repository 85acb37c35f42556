#pragma once

#include "Registry.h"

#include <QString>

namespace velmora::services {

// The registry procedures, one per need. Arguments come in the order root,
// key path, value name, then the data. None reports a failure: writers leave
// the store as the failed call left it, readers give "" or 0. Texts are
// stored in the ANSI code page.

// Stores the 4 bytes of data as a number value.
void regWriteDword(platform::Registry &registry, quint32 root, const QString &subKey,
                   const QString &valueName, qint32 data);
// The text of a value without its terminating NUL. The key is opened with
// full access, so a key the user may read but not change reads as "". A
// value that needs more than 255 bytes with its NUL reads as "".
QString regReadString(const platform::Registry &registry, quint32 root, const QString &subKey,
                      const QString &valueName);
// Stores exactly the text's bytes, with no terminating NUL.
void regWriteString(platform::Registry &registry, quint32 root, const QString &subKey,
                    const QString &valueName, const QString &data);
// The stored number, or 0 when the value is missing or longer than 4 bytes.
qint32 regReadDword(const platform::Registry &registry, quint32 root, const QString &subKey,
                    const QString &valueName);
// The store's result of the deletion (0: deleted); 0 as well when the key
// cannot be opened.
long regDeleteValue(platform::Registry &registry, quint32 root, const QString &subKey,
                    const QString &valueName);

} // namespace velmora::services
