#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <QUrl>

class QSslServer;

namespace velmora::test {

// An HTTPS server on 127.0.0.1 with a self-signed certificate made for the
// run (by the openssl command into a temporary folder): every request gets
// the same HTML page. Engines do not trust it, which is what it is for.
class TlsServer : public QObject
{
    Q_OBJECT
public:
    explicit TlsServer(const QByteArray &html, QObject *parent = nullptr);
    ~TlsServer() override;

    // False when no certificate could be made or no port opened; why() says.
    bool isListening() const;
    QString why() const { return m_why; }
    // https://127.0.0.1:port + path
    QUrl url(const QString &path) const;
    // Requests that got through the handshake and were answered.
    int requestCount() const { return m_requests; }

private:
    bool makeCertificate();

    QTemporaryDir m_dir;
    QSslServer *m_server;
    QByteArray m_html;
    QString m_why;
    int m_requests = 0;
};

} // namespace velmora::test
