#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::platform {

// A data file that could not be read whole is kept beside itself before it
// is replaced: "<file>.bad", then "<file>.bad.2", ".3", ... No copy is ever
// overwritten, and a copy with the same bytes is not made twice.

// "<path>.bad" for n = 1, "<path>.bad.<n>" after it.
QString damagedCopyPath(const QString &path, int n);
// Writes bytes under the first free copy name, unless a copy holds them
// already. False when no copy could be made.
bool keepDamagedCopy(const QString &path, const QByteArray &bytes);
// Renames a file that cannot even be opened to the first free copy name.
bool moveDamagedAside(const QString &path);

} // namespace velmora::platform
