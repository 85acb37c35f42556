#pragma once

#include "DialUp.h"

#include <QObject>

#include <functional>

namespace velmora::platform {

// A phone book and connections a test sets; dialling and hanging up are
// recorded. Every answer comes later, from the event loop, as the real
// platform's does; while hold is set, answers wait for release().
class FakeDialUp final : public DialUp
{
public:
    void entries(EntriesAnswer answer) override
    {
        ++entryQueries;
        const std::optional<QStringList> value
            = failEntries ? std::nullopt : std::optional<QStringList>(phoneBook);
        const DialUpError error = failEntries ? failure : DialUpError{};
        later([answer, value, error] { answer(value, error); });
    }
    void activeConnections(ConnectionsAnswer answer) override
    {
        ++connectionQueries;
        const std::optional<QList<DialUpConnection>> value
            = failConnections ? std::nullopt : std::optional<QList<DialUpConnection>>(connections);
        const DialUpError error = failConnections ? failure : DialUpError{};
        later([answer, value, error] { answer(value, error); });
    }
    void dial(const QString &entry, DoneAnswer answer) override
    {
        dialled.append(entry);
        const DialUpError error = failDial ? failure : DialUpError{};
        later([answer, error] { answer(error); });
    }
    void hangUp(const DialUpConnection &connection, DoneAnswer answer) override
    {
        hungUp.append(connection.handle);
        const DialUpError error = failHangUp ? failure : DialUpError{};
        later([answer, error] { answer(error); });
    }

    // Sends the answers held so far.
    void release()
    {
        const QList<std::function<void()>> held = std::exchange(m_held, {});
        for (const auto &send : held)
            QMetaObject::invokeMethod(&m_context, send, Qt::QueuedConnection);
    }
    qsizetype heldAnswers() const { return m_held.size(); }

    QStringList phoneBook;
    QList<DialUpConnection> connections;
    bool failEntries = false;
    bool failConnections = false;
    bool failDial = false;
    bool failHangUp = false;
    // What a failing call reports.
    DialUpError failure{DialUpError::Kind::Unavailable, {}};
    bool hold = false;

    int entryQueries = 0;
    int connectionQueries = 0;
    QStringList dialled;
    QStringList hungUp; // handles, in the order they were hung up

private:
    void later(std::function<void()> send)
    {
        if (hold)
            m_held.append(std::move(send));
        else
            QMetaObject::invokeMethod(&m_context, std::move(send), Qt::QueuedConnection);
    }

    // Answers not yet sent die with the object.
    QObject m_context;
    QList<std::function<void()>> m_held;
};

} // namespace velmora::platform
