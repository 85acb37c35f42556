#include "HttpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace velmora::test {

namespace {
constexpr qsizetype maxRequestHead = 64 * 1024;
}

HttpServer::HttpServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &HttpServer::onNewConnection);
    m_server->listen(QHostAddress::LocalHost, 0);
}

HttpServer::~HttpServer() = default;

bool HttpServer::isListening() const
{
    return m_server->isListening();
}

quint16 HttpServer::port() const
{
    return m_server->isListening() ? m_server->serverPort() : m_stoppedPort;
}

void HttpServer::stop()
{
    if (!m_server->isListening())
        return;
    m_stoppedPort = m_server->serverPort();
    m_server->close();
}

bool HttpServer::restart()
{
    return m_server->isListening() || m_server->listen(QHostAddress::LocalHost, m_stoppedPort);
}

QUrl HttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

void HttpServer::setResource(const QString &path, const QByteArray &contentType,
                             const QByteArray &body)
{
    m_resources.insert(path, {contentType, body});
}

void HttpServer::setPage(const QString &path, const QString &title, const QString &bodyHtml)
{
    const QString html = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">")
                         + (title.isEmpty() ? QString() : u"<title>" + title + u"</title>")
                         + u"</head><body>" + bodyHtml + u"</body></html>";
    setResource(path, "text/html; charset=utf-8", html.toUtf8());
}

void HttpServer::setAttachment(const QString &path, const QByteArray &body,
                               const QByteArray &fileName)
{
    setResource(path, "application/octet-stream", body);
    m_headers.insert(path, QByteArray("Content-Disposition: attachment; filename=\"") + fileName
                               + "\"\r\n");
}

void HttpServer::setLogin(const QString &path, const QByteArray &user, const QByteArray &password,
                          const QByteArray &realm, const QByteArray &deniedBody)
{
    const QByteArray credentials = QByteArray(user + ':' + password).toBase64();
    m_logins.insert(path, Login{credentials, realm, deniedBody});
}

int HttpServer::requestCount(const QString &path) const
{
    return m_counts.value(path);
}

QStringList HttpServer::requestedPaths() const
{
    return m_order;
}

void HttpServer::resetCounts()
{
    m_counts.clear();
    m_order.clear();
    m_heads.clear();
}

void HttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void HttpServer::onReadyRead(QTcpSocket *socket)
{
    // The head is collected in the socket's own buffer until it is complete.
    const QByteArray head = socket->peek(maxRequestHead);
    if (!head.contains("\r\n\r\n") && head.size() < maxRequestHead)
        return;
    socket->readAll();

    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    QString path = QString::fromLatin1(requestLine.value(1));
    path = path.left(path.indexOf(u'?'));
    if (path.isEmpty())
        path = QStringLiteral("/");

    m_counts[path] += 1;
    m_heads.append(head.left(head.indexOf("\r\n\r\n")));
    m_lastHeads.insert(path, m_heads.constLast());
    m_order.append(path);
    emit requested(path);

    const auto login = m_logins.constFind(path);
    if (login != m_logins.constEnd()
        && !head.contains(QByteArray("\r\nAuthorization: Basic " + login->credentials + "\r\n"))) {
        QByteArray denied = "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\""
                            + login->realm + "\"\r\nContent-Type: text/html\r\nContent-Length: "
                            + QByteArray::number(login->deniedBody.size())
                            + "\r\nConnection: close\r\n\r\n" + login->deniedBody;
        socket->write(denied);
        socket->disconnectFromHost();
        return;
    }

    const auto found = m_resources.constFind(path);
    const bool ok = found != m_resources.constEnd();
    const QByteArray body = ok ? found->body : QByteArray("not found");
    const QByteArray type = ok ? found->contentType : QByteArray("text/plain");
    QByteArray reply = (ok ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n");
    if (ok)
        reply += m_headers.value(path);
    reply += "Content-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size())
             + "\r\nCache-Control: "
             + (m_cacheable.contains(path)  ? QByteArray("max-age=3600")
                : m_storable.contains(path) ? QByteArray("no-cache")
                                            : QByteArray("no-store"))
             + "\r\nConnection: close\r\n\r\n" + body;
    if (const int delay = m_delays.value(path); delay > 0) {
        QTimer::singleShot(delay, socket, [socket, reply] {
            socket->write(reply);
            socket->disconnectFromHost();
        });
        return;
    }
    socket->write(reply);
    socket->disconnectFromHost();
}

} // namespace velmora::test
