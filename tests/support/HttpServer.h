#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

namespace velmora::test {

// A tiny HTTP/1.0 server on 127.0.0.1 for engine tests: serves fixed
// resources by path and counts the requests it sees per path. Unknown paths
// get 404. The query part of a request is ignored for lookup and counting.
class HttpServer : public QObject
{
    Q_OBJECT
public:
    struct Resource
    {
        QByteArray contentType;
        QByteArray body;
    };

    explicit HttpServer(QObject *parent = nullptr);
    ~HttpServer() override;

    // False when no port could be opened.
    bool isListening() const;
    quint16 port() const;
    // http://127.0.0.1:port + path
    QUrl url(const QString &path) const;

    void setResource(const QString &path, const QByteArray &contentType, const QByteArray &body);
    // An HTML page with this title and body markup.
    void setPage(const QString &path, const QString &title, const QString &bodyHtml = {});

    // Served as fresh for an hour, so the engine may keep it in its caches
    // (everything else is served as not to be stored).
    void setCacheable(const QString &path) { m_cacheable.insert(path); }
    // Stops listening: every connection is refused until restart(), which
    // listens on the same port again.
    void stop();
    bool restart();
    // A file sent as an attachment under this suggested name.
    void setAttachment(const QString &path, const QByteArray &body, const QByteArray &fileName);
    // The resource at path wants a basic login; without it the server answers
    // 401 with deniedBody as an HTML page.
    void setLogin(const QString &path, const QByteArray &user, const QByteArray &password,
                  const QByteArray &realm, const QByteArray &deniedBody);

    // The answer for path is held this long, as a long poll is.
    void setDelay(const QString &path, int ms) { m_delays.insert(path, ms); }

    // One more header line (without CR LF) sent with the answer for path.
    void addHeader(const QString &path, const QByteArray &line)
    {
        m_headers[path] += line + "\r\n";
    }
    // The answer for path may be stored by the engine but is asked for anew
    // each time (no-cache), rather than never stored (no-store).
    void setStorable(const QString &path) { m_storable.insert(path); }
    // More header lines of the answer for path, each ending in CR LF.
    void setHeaders(const QString &path, const QByteArray &lines) { m_headers.insert(path, lines); }
    // The head (request line and headers) of the last request for path.
    QByteArray lastHead(const QString &path) const { return m_lastHeads.value(path); }

    int requestCount(const QString &path) const;
    // The head of every request seen (request line and headers), in order.
    QList<QByteArray> requestHeads() const { return m_heads; }
    QStringList requestedPaths() const;
    void resetCounts();

signals:
    void requested(const QString &path);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);

    QTcpServer *m_server;
    struct Login
    {
        QByteArray credentials; // base64 of user:password
        QByteArray realm;
        QByteArray deniedBody;
    };
    QHash<QString, Resource> m_resources;
    QHash<QString, Login> m_logins;
    QHash<QString, QByteArray> m_headers; // more header lines, each ending in CR LF
    QHash<QString, int> m_counts;
    QHash<QString, QByteArray> m_lastHeads;
    QStringList m_order;
    QSet<QString> m_cacheable;
    QSet<QString> m_storable;
    QList<QByteArray> m_heads;
    QHash<QString, int> m_delays;
    quint16 m_stoppedPort = 0;
};

} // namespace velmora::test
