#pragma once

#include <QByteArrayView>
#include <QString>

namespace velmora::platform {

// The one way the program writes a file whole. The bytes go to a temporary
// file in the target's folder; every write, the flush to disk and the size
// on disk are checked before the temporary file is renamed over the target,
// and the folder is flushed after. On any failure the temporary file goes and
// the target keeps its old bytes. A new file is readable by its owner alone
// (0600); a file that exists keeps its mode.

struct WriteOutcome
{
    bool ok = true;
    int error = 0;            // errno of the failing step
    const char *step = "";    // the failing step, for the log
    bool replaced = false;    // the target holds the new bytes (only a late step failed)
    explicit operator bool() const { return ok; }
    // "WebHis.dat: write: No space left on device", for the log.
    QString describe(const QString &path) const;
};

enum class Existing {
    Replace,
    Keep, // the write fails with EEXIST when the target exists
};

WriteOutcome writeWholeFile(const QString &path, QByteArrayView bytes,
                            Existing existing = Existing::Replace);

// Puts a finished temporary file that another writer (the engine) made in
// place of target the same way: flushed, size checked, mode set, renamed,
// folder flushed. The temporary file is gone afterwards, whatever happened.
WriteOutcome putInPlace(const QString &temporary, const QString &target, qint64 expectedSize);

// Creates the folder and its missing parents, each new one readable by its
// owner alone (0700); folders that exist keep their mode.
WriteOutcome makeFolder(const QString &path);

// "<path>.Xy12ab": the name a temporary copy of path is written under; six
// letters and digits, never six small letters (see services/files/StaleFiles).
QString temporaryNameFor(const QString &path);

} // namespace velmora::platform
