#pragma once

#include "DialUp.h"

namespace velmora::platform {

// A phone book and connections a test sets; dialling and hanging up are
// recorded.
class FakeDialUp final : public DialUp
{
public:
    std::optional<QStringList> entries() const override
    {
        ++entryQueries;
        if (failEntries)
            return std::nullopt;
        return phoneBook;
    }
    std::optional<QList<DialUpConnection>> activeConnections() const override
    {
        ++connectionQueries;
        if (failConnections)
            return std::nullopt;
        return connections;
    }
    void dial(const QString &entry) override { dialled.append(entry); }
    void hangUp(const DialUpConnection &connection) override
    {
        hungUp.append(connection.handle);
    }

    QStringList phoneBook;
    QList<DialUpConnection> connections;
    bool failEntries = false;
    bool failConnections = false;

    mutable int entryQueries = 0;
    mutable int connectionQueries = 0;
    QStringList dialled;
    QStringList hungUp; // handles, in the order they were hung up
};

} // namespace velmora::platform
