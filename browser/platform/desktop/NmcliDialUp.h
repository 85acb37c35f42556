#pragma once

#include "DialUp.h"

#include <QByteArray>
#include <QObject>

#include <memory>

class QProcess;

namespace velmora::platform {

// Dial-up networking over NetworkManager's command-line client. The phone
// book is NetworkManager's profiles of the kinds one dials (mobile
// broadband, PPPoE, Bluetooth and VPN); wired and wireless profiles come up
// by themselves and are left out. Without the client, or without the
// service behind it, the phone book cannot be read and no connection is up.
// The client runs as a separate process that nothing waits for; one that
// does not answer in time is killed and the call fails.
class NmcliDialUp final : public DialUp
{
public:
    struct Timeouts
    {
        int listMs = 5000; // listing profiles or connections
        // Bringing a connection up or down; the client is asked to give up
        // a few seconds before it is killed.
        int changeMs = 65000;
    };
    explicit NmcliDialUp(const QString &program = QStringLiteral("nmcli"));
    NmcliDialUp(const QString &program, Timeouts timeouts);
    ~NmcliDialUp() override;

    void entries(EntriesAnswer answer) override;
    void activeConnections(ConnectionsAnswer answer) override;
    void dial(const QString &entry, DoneAnswer answer) override;
    void hangUp(const DialUpConnection &connection, DoneAnswer answer) override;

    // The fields of one line of the client's terse output ("\:" is a colon
    // inside a field, "\\" a backslash).
    static QStringList splitTerseLine(const QString &line);
    static bool isDialledType(const QString &type);
    // The platform's words for a failure: the last non-empty line the client
    // wrote to its error output, cut to a readable length.
    static QString errorDetail(const QByteArray &errorOutput);

    // The most output the client may write before it is taken as broken.
    static constexpr qsizetype MaxOutputBytes = 1024 * 1024;

private:
    using Finished = std::function<void(const QByteArray &output, const DialUpError &error)>;
    // Runs the client with a time-out; finished gets its output, or the
    // reason it failed, once, from the event loop.
    void run(const QStringList &arguments, int timeoutMs, Finished finished);
    QStringList changeArguments(const QStringList &command) const;

    QString m_program;
    Timeouts m_timeouts;
    // Parent of the running clients; they end with it, unanswered.
    std::unique_ptr<QObject> m_owner;
};

} // namespace velmora::platform
