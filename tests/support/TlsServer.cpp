#include "TlsServer.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>

namespace velmora::test {

TlsServer::TlsServer(const QByteArray &html, QObject *parent)
    : QObject(parent)
    , m_server(new QSslServer(this))
    , m_html(html)
{
    if (!makeCertificate())
        return;
    QFile keyFile(m_dir.filePath(QStringLiteral("key.pem")));
    QFile certFile(m_dir.filePath(QStringLiteral("cert.pem")));
    if (!keyFile.open(QIODevice::ReadOnly) || !certFile.open(QIODevice::ReadOnly)) {
        m_why = QStringLiteral("certificate files missing");
        return;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
    config.setLocalCertificate(QSslCertificate(certFile.readAll()));
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server->setSslConfiguration(config);
    connect(m_server, &QSslServer::pendingConnectionAvailable, this, [this] {
        while (auto *socket = qobject_cast<QSslSocket *>(m_server->nextPendingConnection())) {
            connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QIODevice::readyRead, socket, [this, socket] {
                if (!socket->peek(64 * 1024).contains("\r\n\r\n"))
                    return;
                socket->readAll();
                ++m_requests;
                socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                              "Content-Length: "
                              + QByteArray::number(m_html.size())
                              + "\r\nConnection: close\r\n\r\n" + m_html);
                socket->disconnectFromHost();
            });
        }
    });
    if (!m_server->listen(QHostAddress::LocalHost, 0))
        m_why = m_server->errorString();
}

TlsServer::~TlsServer() = default;

bool TlsServer::makeCertificate()
{
    if (!QSslSocket::supportsSsl()) {
        m_why = QStringLiteral("no TLS backend");
        return false;
    }
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                   QStringLiteral("-keyout"), m_dir.filePath(QStringLiteral("key.pem")),
                   QStringLiteral("-out"), m_dir.filePath(QStringLiteral("cert.pem"))});
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        m_why = QStringLiteral("openssl could not make a certificate: ")
                + QString::fromLocal8Bit(openssl.readAllStandardError());
        return false;
    }
    return true;
}

bool TlsServer::isListening() const
{
    return m_server->isListening();
}

QUrl TlsServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(m_server->serverPort()).arg(path));
}

} // namespace velmora::test
