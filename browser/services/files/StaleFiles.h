#pragma once

#include <QString>
#include <QStringList>

namespace velmora::services {

// What a writer of this program leaves behind when it is killed mid-write:
// the temporary copy of a file being replaced ("<file>.XXXXXX") and the
// lock file that orders writers ("<file>.lock").
//
// Removes, in folder, the temporary copies of the named files (wildcards
// allowed) that nobody has written for a minute, and their lock files that
// no running instance holds. Returns the names removed.
QStringList removeStaleFiles(const QString &folder, const QStringList &names);

} // namespace velmora::services
