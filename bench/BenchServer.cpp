#include "BenchServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace velmora::bench {

namespace {

constexpr qsizetype maxRequestHead = 64 * 1024;

// Reports its load, then runs the driver's scripts one after the other.
// A page may open only ten windows by itself per load in Velmora: the start
// page opens at most ten per command, each of those opens its share of the
// rest (listed in its query), and the start page reloads itself first when
// this load has already opened some. Pop-ups close themselves when told by
// name over a broadcast channel, so a reload loses no handle. Each script
// comes with its number and is sent again until the page asks for the next:
// the program may cut a held request (a page being saved stops its fetches).
const char startPage[] = R"(<!DOCTYPE html><html><head><meta charset="utf-8">
<title>Bench start</title></head><body><p>Benchmark start page</p><script>
var opened = 0;
var done = +(sessionStorage.done || 0);
var channel = new BroadcastChannel('bench');
function openPages(prefix, from, count) {
  var direct = Math.min(count, 10);
  if (opened + direct > 10) {
    sessionStorage.pending = JSON.stringify([prefix, from, count]);
    location.reload();
    return;
  }
  opened += direct;
  for (var i = 0; i < direct; ++i) {
    var kids = [];
    for (var k = from + direct + i; k < from + count; k += direct) kids.push(prefix + k);
    window.open('/p/' + prefix + (from + i) + '.html' + (kids.length ? '?' + kids.join(',') : ''));
  }
}
function closeNames(names) { channel.postMessage(names); }
async function loop() {
  for (;;) {
    try {
      const reply = await fetch('/cmd?' + done, {cache: 'no-store'});
      const text = await reply.text();
      const number = +text.substring(0, text.indexOf('\n'));
      if (number > done) {
        done = number;
        sessionStorage.done = done;
        eval(text.substring(text.indexOf('\n') + 1));
      }
    } catch (e) {
      await new Promise(function (r) { setTimeout(r, 200); });
    }
  }
}
addEventListener('load', function () {
  var pending = sessionStorage.pending;
  sessionStorage.removeItem('pending');
  if (pending) openPages.apply(null, JSON.parse(pending));
  fetch('/beacon/start', {cache: 'no-store'}).finally(loop);
});
document.addEventListener('visibilitychange', function () {
  if (document.visibilityState !== 'visible') return;
  var shown = +(sessionStorage.shown || 0) + 1;
  sessionStorage.shown = shown;
  fetch('/beacon/start-shown' + shown, {cache: 'no-store'});
});
</script></body></html>)";

QByteArray popupPage(const QByteArray &name)
{
    // A beacon whose request failed is sent again.
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Page " + name
           + "</title></head><body><p>Page " + name
           + "</p><script>function beacon(n) {\n"
             "  fetch('/beacon/' + n, {cache: 'no-store'}).catch(function () {\n"
             "    setTimeout(function () { beacon(n); }, 50); });\n}\n"
             "addEventListener('load', function () { beacon('"
           + name + "'); });\nvar shown = 0;\n"
             "new BroadcastChannel('bench').onmessage = function (e) {\n"
             "  if (e.data.indexOf('" + name + "') >= 0) window.close();\n};\n"
             "location.search.substring(1).split(',').forEach(function (kid) {\n"
             "  if (kid) window.open('/p/' + kid + '.html');\n});\n"
             "document.addEventListener('visibilitychange', function () {\n"
             "  if (document.visibilityState === 'visible') beacon('"
           + name + "-shown' + (++shown));\n});</script></body></html>";
}

} // namespace

BenchServer::BenchServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    m_clock.start();
    connect(m_server, &QTcpServer::newConnection, this, &BenchServer::onNewConnection);
    // A hundred pages loading at once connect faster than one event loop pass.
    m_server->setMaxPendingConnections(1000);
    m_server->listen(QHostAddress::LocalHost, 0);
}

BenchServer::~BenchServer() = default;

bool BenchServer::isListening() const
{
    return m_server->isListening();
}

QString BenchServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server->serverPort()).arg(path);
}

void BenchServer::reset()
{
    m_beacons.clear();
    m_commands.clear();
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_waiting)) {
        if (socket)
            socket->abort();
    }
    m_waiting.clear();
}

void BenchServer::command(const QString &script)
{
    m_commands.append({++m_lastNumber, script.toUtf8()});
    flushCommands();
}

qint64 BenchServer::beaconTime(const QString &name) const
{
    return m_beacons.value(name, -1);
}

void BenchServer::flushCommands()
{
    if (m_commands.isEmpty())
        return;
    const Command &next = m_commands.constFirst();
    while (!m_waiting.isEmpty()) {
        QPointer<QTcpSocket> socket = m_waiting.takeFirst();
        if (!socket || socket->state() != QAbstractSocket::ConnectedState)
            continue;
        respond(socket, 200, "text/plain", QByteArray::number(next.number) + '\n' + next.script);
    }
}

void BenchServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void BenchServer::onReadyRead(QTcpSocket *socket)
{
    const QByteArray head = socket->peek(maxRequestHead);
    if (!head.contains("\r\n\r\n") && head.size() < maxRequestHead)
        return;
    socket->readAll();
    const QList<QByteArray> words = head.left(head.indexOf("\r\n")).split(' ');
    QByteArray path = words.size() > 1 ? words.at(1) : QByteArray();
    QByteArray query;
    if (const qsizetype mark = path.indexOf('?'); mark >= 0) {
        query = path.mid(mark + 1);
        path.truncate(mark);
    }

    if (path == "/start.html") {
        respond(socket, 200, "text/html; charset=utf-8", startPage);
    } else if (path.startsWith("/p/") && path.endsWith(".html")) {
        respond(socket, 200, "text/html; charset=utf-8", popupPage(path.mid(3).chopped(5)));
    } else if (path.startsWith("/beacon/")) {
        const QString name = QString::fromLatin1(path.mid(8));
        if (!m_beacons.contains(name))
            m_beacons.insert(name, m_clock.elapsed());
        respond(socket, 204, "text/plain", {});
        emit beacon(name);
    } else if (path == "/cmd") {
        // The page has run every script up to this number.
        const qint64 done = query.toLongLong();
        while (!m_commands.isEmpty() && m_commands.constFirst().number <= done)
            m_commands.removeFirst();
        m_waiting.append(socket);
        flushCommands();
    } else {
        respond(socket, 404, "text/plain", "not found");
    }
}

void BenchServer::respond(QTcpSocket *socket, int status, const QByteArray &type,
                          const QByteArray &body)
{
    const QByteArray reason = status == 200 ? "OK" : status == 204 ? "No Content" : "Not Found";
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    reply += "Content-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size())
             + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
    socket->write(reply);
    socket->disconnectFromHost();
}

} // namespace velmora::bench
