#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::platform {

// One active dial-up connection as the platform reports it.
struct DialUpConnection
{
    QString handle; // the platform's identifier of the connection
    bool connected = false;
};

// Dial-up networking: the entries of the phone book, the connections that
// are up, dialling and hanging up. Calls ask the platform afresh each time.
class DialUp
{
public:
    virtual ~DialUp() = default;
    // Entry names in the platform's order; nullopt when the phone book
    // cannot be read.
    virtual std::optional<QStringList> entries() const = 0;
    // The active connections, the platform's first one first; nullopt when
    // they cannot be listed.
    virtual std::optional<QList<DialUpConnection>> activeConnections() const = 0;
    // Hands an entry to the platform to dial; the platform asks the user for
    // whatever it needs. Does not wait for the connection.
    virtual void dial(const QString &entry) = 0;
    // Ends one connection; does not wait for it to close.
    virtual void hangUp(const DialUpConnection &connection) = 0;
};

} // namespace velmora::platform
