#pragma once

#include "DialUp.h"
#include "RuntimeError.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;

namespace velmora::platform {
class InternetCache;
class InternetState;
class SystemFacts;
} // namespace velmora::platform

namespace velmora::services {

// The platform family test, dial-up networking, the global offline state
// and cache lookups. Nothing is kept here: every call asks the platform.

bool isWinNT(const platform::SystemFacts &system);

// Each dial-up call answers later, from the event loop, never within the
// call: nothing waits for the platform.

// True when the first of the listed connections is up; only the first
// counts. False when they could not be listed.
bool isConnected(const std::optional<QList<platform::DialUpConnection>> &connections);
// Asks the platform and answers with the above.
void isConnected(platform::DialUp &dialUp, std::function<void(bool connected)> answer);

// The phone book's entry names; none, and the reason, when it cannot be read.
void enumEntries(platform::DialUp &dialUp,
                 std::function<void(const QStringList &names, const platform::DialUpError &error)>
                     answer);

// Appends one element, named "MnuConnections_<position>" and captioned with
// the entry name, to the dial-up menu and its element list, and hides
// element 0 (the "no connections" item). enabled: whether it can be clicked.
void addConnection(QMenu &menu, std::vector<QAction *> &MnuConnections, const QString &name,
                   bool enabled = true);
// One element per name, in the given order. Returns the count.
int addConnections(QMenu &menu, std::vector<QAction *> &MnuConnections, const QStringList &names,
                   bool enabled = true);

// Hands the entry to the platform's dialler; answers when it has dialled
// or failed.
void dialConnection(platform::DialUp &dialUp, const QString &name,
                    platform::DialUp::DoneAnswer answer);

struct HangUpResult
{
    int ended = 0;             // connections the platform ended
    bool noneActive = false;   // there was nothing to hang up
    platform::DialUpError error; // the first failure: listing or ending one
};
// Ends every active dial-up connection, started in the platform's order;
// answers once all of them have answered.
void hangUp(platform::DialUp &dialUp, std::function<void(const HangUpResult &result)> answer);

bool isOffline(const platform::InternetState &state);
// force asks for the offline state that holds until it is set again. The
// shared state here has that one kind only: nothing but a later call (of
// this or another instance) changes it, so force changes nothing.
void setOffline(platform::InternetState &state, bool offline, bool force);

// The one error the program raises itself: a cache lookup that failed for
// any reason but "it is there" (for an address never cached: no such file).
class CacheLookupError : public RuntimeError
{
public:
    CacheLookupError(const QString &source, const QString &description);
    QString source() const { return m_source; }
    QString description() const { return m_description; }

private:
    QString m_source;
    QString m_description;
};

// True when the cache holds an entry for the address; throws
// CacheLookupError (CacheEntryMissing, source "<program>.mCacheEntry")
// otherwise.
bool isUrlCached(const platform::InternetCache &cache, const QString &address);

// The system's message for an error number; empty for a number it has no
// message for.
QString apiErrorText(int code);

// The executable's name without its folder and extension.
QString programName();

} // namespace velmora::services
