#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmora::platform {

// One active dial-up connection as the platform reports it.
struct DialUpConnection
{
    QString handle; // the platform's identifier of the connection
    bool connected = false;
};

// Why a call of the platform's dial-up failed.
struct DialUpError
{
    enum class Kind {
        None,
        Unavailable, // the platform's dial-up service cannot be reached at all
        TimedOut,    // no answer within the call's time
        Failed,      // the platform answered that it could not
    };
    Kind kind = Kind::None;
    // The platform's own words, one short line; may be empty.
    QString detail;

    bool failed() const { return kind != Kind::None; }
};

// Dial-up networking: the entries of the phone book, the connections that
// are up, dialling and hanging up. Calls ask the platform afresh each time.
// No call waits for the platform: each one answers exactly once, later, from
// the event loop (never from within the call itself), unless the object is
// destroyed first, in which case it never answers.
class DialUp
{
public:
    using EntriesAnswer
        = std::function<void(const std::optional<QStringList> &entries, const DialUpError &error)>;
    using ConnectionsAnswer = std::function<void(
        const std::optional<QList<DialUpConnection>> &connections, const DialUpError &error)>;
    using DoneAnswer = std::function<void(const DialUpError &error)>;

    virtual ~DialUp() = default;
    // Entry names in the platform's order; nullopt when the phone book
    // cannot be read.
    virtual void entries(EntriesAnswer answer) = 0;
    // The active connections, the platform's first one first; nullopt when
    // they cannot be listed.
    virtual void activeConnections(ConnectionsAnswer answer) = 0;
    // Hands an entry to the platform to dial; the platform asks the user for
    // whatever it needs. Answers once the platform has dialled or given up.
    virtual void dial(const QString &entry, DoneAnswer answer) = 0;
    // Ends one connection.
    virtual void hangUp(const DialUpConnection &connection, DoneAnswer answer) = 0;
};

} // namespace velmora::platform
