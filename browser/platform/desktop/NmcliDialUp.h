#pragma once

#include "DialUp.h"

namespace velmora::platform {

// Dial-up networking over NetworkManager's command-line client. The phone
// book is NetworkManager's profiles of the kinds one dials (mobile
// broadband, PPPoE, Bluetooth and VPN); wired and wireless profiles come up
// by themselves and are left out. Without the client, or without the
// service behind it, the phone book is empty and no connection is up.
class NmcliDialUp final : public DialUp
{
public:
    explicit NmcliDialUp(const QString &program = QStringLiteral("nmcli"));

    std::optional<QStringList> entries() const override;
    std::optional<QList<DialUpConnection>> activeConnections() const override;
    void dial(const QString &entry) override;
    void hangUp(const DialUpConnection &connection) override;

    // The fields of one line of the client's terse output ("\:" is a colon
    // inside a field, "\\" a backslash).
    static QStringList splitTerseLine(const QString &line);
    static bool isDialledType(const QString &type);

private:
    // The client's output, or nullopt when it cannot run or reports a failure.
    std::optional<QStringList> run(const QStringList &arguments) const;
    void start(const QStringList &arguments) const;

    QString m_program;
};

} // namespace velmora::platform
