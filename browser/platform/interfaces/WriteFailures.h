#pragma once

#include "WholeFile.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <set>

namespace velmora::platform {

// The kinds of file the program writes whole; a failed write is told to the
// user once per kind.
enum class DataFile {
    Settings,       // the settings store
    AddressHistory, // WebHis.dat
    HomePage,       // home.dat
    Options,        // web_nw.dat, mode.dat, exit.dat
    HotWords,       // db.tdb
    Autosave,       // autosave.btl and the crash file
    Session,        // session and tab list files the user saves
    Favorites,      // internet shortcuts
    Registry,       // registry.json
    OfflineState,   // the shared offline switch
    PageCache,      // pages kept for offline work
};

struct WriteFailure
{
    DataFile kind;
    QString path;
    WriteOutcome outcome;
};

// Where writers raise their failures and the window that tells the user
// listens. A failure of a kind is passed on once; a later successful write
// of that kind makes the next failure of it worth telling again. Failures
// raised while no one listens wait for the listener. Every failure is also
// logged.
class WriteFailures
{
public:
    using Listener = std::function<void(const WriteFailure &)>;

    void note(DataFile kind, const QString &path, const WriteOutcome &outcome);
    void setListener(Listener listener);
    // Whether a failure of the kind has been raised and no write of it has
    // succeeded since.
    bool failing(DataFile kind) const { return m_failing.count(kind) != 0; }

private:
    std::set<DataFile> m_failing;
    QList<WriteFailure> m_waiting;
    Listener m_listener;
};

// writeWholeFile() whose outcome is noted (failures may be null).
WriteOutcome writeWholeFile(WriteFailures *failures, DataFile kind, const QString &path,
                            QByteArrayView bytes, Existing existing = Existing::Replace);

} // namespace velmora::platform
