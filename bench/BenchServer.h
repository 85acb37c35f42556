#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace velmora::bench {

// The local server both programs are driven through, on 127.0.0.1 only.
// /start.html is the first page: it reports its load and then waits on /cmd
// for scripts to run (opening and closing pop-ups). /p/<name>.html is a
// page that reports its own load to /beacon/<name>. A request to /cmd is
// held open until a command is queued, so waiting costs no processor time.
class BenchServer : public QObject
{
    Q_OBJECT
public:
    explicit BenchServer(QObject *parent = nullptr);
    ~BenchServer() override;

    bool isListening() const;
    QString url(const QString &path) const;

    // Forgets every beacon and command and drops held requests.
    void reset();
    // Sends a script to the start page (queued while it is not waiting).
    void command(const QString &script);

    // Milliseconds on the server's clock; -1 when the beacon has not come.
    qint64 beaconTime(const QString &name) const;
    qint64 now() const { return m_clock.elapsed(); }
    int beaconCount() const { return m_beacons.size(); }

signals:
    void beacon(const QString &name);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void respond(QTcpSocket *socket, int status, const QByteArray &type, const QByteArray &body);
    void flushCommands();

    QTcpServer *m_server;
    QElapsedTimer m_clock;
    QHash<QString, qint64> m_beacons;
    struct Command
    {
        qint64 number;
        QByteArray script;
    };
    // Sent and not yet acknowledged, oldest first.
    QList<Command> m_commands;
    qint64 m_lastNumber = 0;
    QList<QPointer<QTcpSocket>> m_waiting;
};

} // namespace velmora::bench
