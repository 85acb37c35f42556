#pragma once

#include "RuntimeError.h"

#include <QString>
#include <QStringList>

#include <vector>

class QAction;
class QMenu;

namespace velmora::platform {
class DialUp;
class InternetCache;
class InternetState;
class SystemFacts;
} // namespace velmora::platform

namespace velmora::services {

// The platform family test, dial-up networking, the global offline state
// and cache lookups. Nothing is kept here: every call asks the platform.

bool isWinNT(const platform::SystemFacts &system);

// True when the first active dial-up connection is up; only the first counts.
bool isConnected(const platform::DialUp &dialUp);

// Replaces names with the phone book's entry names and returns their count;
// 0 and no names when the phone book cannot be read.
int enumEntries(const platform::DialUp &dialUp, QStringList &names);

// Appends one element, named "MnuConnections_<position>" and captioned with
// the entry name, to the dial-up menu and its element list, and hides
// element 0 (the "no connections" item). enabled: whether it can be clicked.
void addConnection(QMenu &menu, std::vector<QAction *> &MnuConnections, const QString &name,
                   bool enabled = true);
// One element per phone-book entry, in the platform's order. Returns the count.
int fillConnections(const platform::DialUp &dialUp, QMenu &menu,
                    std::vector<QAction *> &MnuConnections, bool enabled = true);

// Hands the entry to the platform's dialler.
void dialConnection(platform::DialUp &dialUp, const QString &name);
// Ends every active dial-up connection, in the platform's order; nothing
// when they cannot be listed.
void hangUp(platform::DialUp &dialUp);

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
