#include "ProgramFixture.h"

#include "FakeDialogs.h"
#include "HttpServer.h"
#include "PostedKeys.h"
#include "Program.h"
#include "SettingsStore.h"
#include "UpdateCheck.h"
#include "frmMain.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace velmora;
using namespace velmora::services;
using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;

namespace {

const QString general = u"general"_s;
const QString lastKey = u"LastNotification"_s;
const QString versionKey = u"NotificationVer"_s;

QDate today()
{
    return QDateTime::currentDateTimeUtc().date();
}

QByteArray reply(const QByteArray &version)
{
    return "[VERSION]\r\n" + version + "[/VERSION]\r\n";
}

// Takes connections and answers them with a fixed text, then closes them;
// with no text, holds them without a word.
class RawServer : public QObject
{
public:
    explicit RawServer(QByteArray answer = {}) : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_held.append(socket);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    if (!m_answer.isEmpty() && !socket->property("answered").toBool()) {
                        socket->setProperty("answered", true);
                        // Closed once all of it is written, as far as the peer reads.
                        socket->write(m_answer);
                        socket->disconnectFromHost();
                    }
                });
            }
        });
    }
    QUrl url() const
    {
        QUrl url;
        url.setScheme(u"http"_s);
        url.setHost(u"127.0.0.1"_s);
        url.setPort(m_server.serverPort());
        url.setPath(u"/version.txt"_s);
        return url;
    }
    qsizetype connections() const { return m_held.size(); }
    // Ends every connection and takes no more: the peer sees the other end
    // close, and a second try refused.
    void drop()
    {
        m_server.close();
        for (QTcpSocket *socket : std::as_const(m_held))
            socket->abort();
    }

private:
    QTcpServer m_server;
    QList<QTcpSocket *> m_held;
    QByteArray m_answer;
};

// "[VERSION]", its line break and ten megabytes of digits: no closing marker.
QByteArray hugeVersion()
{
    return "[VERSION]\r\n" + QByteArray(10 * 1024 * 1024, '1');
}

qint64 settingsFileSize(ProgramFixture &fx)
{
    return QFileInfo(fx.env.configHome() + u"/olk_Browser/olk_Browser.conf"_s).size();
}

} // namespace

// The version document is fetched beside the window: bounded, timed, and
// never holding up a key.
class tst_UpdateFetch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCoreApplication::setApplicationVersion(u"1.4.7"_s); }
    void init();
    void cleanup();

    void fetchAnswersLater_data();
    void fetchAnswersLater();
    void windowAnswersDuringTheFetch_data();
    void windowAnswersDuringTheFetch();

private:
    std::unique_ptr<HttpServer> m_server;
};

void tst_UpdateFetch::init()
{
    m_server = std::make_unique<HttpServer>();
    QVERIFY(m_server->isListening());
    qputenv("VELMORA_UPDATE_URL", m_server->url(u"/version.txt"_s).toString().toLatin1());
}

void tst_UpdateFetch::cleanup()
{
    qunsetenv("VELMORA_UPDATE_URL");
    m_server.reset();
}

void tst_UpdateFetch::fetchAnswersLater_data()
{
    QTest::addColumn<QString>("server"); // what answers: "http", "silent", "closed", "raw"
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body"); // served at path, or sent raw
    QTest::addColumn<QByteArray>("fetched");

    const QByteArray document = reply("1.5.0");
    QTest::newRow("document") << u"http"_s << u"/version.txt"_s << document << document;
    QTest::newRow("at the bound") << u"http"_s << u"/version.txt"_s
                                  << QByteArray(update::MaxReplyBytes, 'x')
                                  << QByteArray(update::MaxReplyBytes, 'x');
    // A page that says the server failed is no version document, whatever it holds.
    QTest::newRow("error page") << u"http"_s << u"/missing"_s << document << QByteArray();
    QTest::newRow("one byte past the bound, length declared")
        << u"http"_s << u"/version.txt"_s << QByteArray(update::MaxReplyBytes + 1, 'x')
        << QByteArray();
    QTest::newRow("ten megabytes, length declared")
        << u"http"_s << u"/version.txt"_s << hugeVersion() << QByteArray();
    QTest::newRow("ten megabytes, no length")
        << u"raw"_s << QString() << "HTTP/1.0 200 OK\r\n\r\n" + hugeVersion() << QByteArray();
    QTest::newRow("never answers") << u"silent"_s << QString() << QByteArray() << QByteArray();
    QTest::newRow("connection refused") << u"closed"_s << QString() << QByteArray() << QByteArray();
}

void tst_UpdateFetch::fetchAnswersLater()
{
    QFETCH(QString, server);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, fetched);

    RawServer raw(server == "raw"_L1 ? body : QByteArray());
    QUrl url = raw.url();
    if (server == "http"_L1) {
        if (path != "/missing"_L1)
            m_server->setResource(path, "text/plain", body);
        url = m_server->url(path);
    } else if (server == "closed"_L1) {
        m_server->stop();
        url = m_server->url(u"/version.txt"_s);
    }

    DocumentFetch fetch;
    QSignalSpy finished(&fetch, &DocumentFetch::finished);
    fetch.start(url, 1500, update::MaxReplyBytes);
    QVERIFY(fetch.isRunning());
    QCOMPARE(finished.size(), 0); // never from within the call
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toByteArray(), fetched);
    QVERIFY(!fetch.isRunning());
    QTest::qWait(20);
    QCOMPARE(finished.size(), 1);
    if (server == "silent"_L1)
        QCOMPARE(raw.connections(), 1);
}

void tst_UpdateFetch::windowAnswersDuringTheFetch_data()
{
    QTest::addColumn<QString>("server"); // "silent", "raw" or "http"
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("never answers") << u"silent"_s << QByteArray();
    QTest::newRow("ten megabytes without the closing marker") << u"http"_s << hugeVersion();
    QTest::newRow("ten megabytes, no length")
        << u"raw"_s << "HTTP/1.0 200 OK\r\n\r\n" + hugeVersion();
}

void tst_UpdateFetch::windowAnswersDuringTheFetch()
{
    QFETCH(QString, server);
    QFETCH(QByteArray, body);
    RawServer raw(server == "raw"_L1 ? body : QByteArray());
    if (server == "http"_L1)
        m_server->setResource(u"/version.txt"_s, "text/plain", body);
    else
        qputenv("VELMORA_UPDATE_URL", raw.url().toString().toLatin1());

    ProgramFixture fx;
    frmMain &w = fx.start();
    w.updateArmed = true;
    QVERIFY(velmora::test::activateForKeys(w));
    // Long enough that the silent server's fetch is still on when the keys come.
    w.updateFetchTimeoutMs = 60000;
    // The tick comes from the event loop, as it does every minute.
    w.tmrUpd->start(1);
    QTRY_VERIFY(w.updateCheckRunning() || !w.tmrUpd->isActive());
    if (server == "silent"_L1)
        QTRY_COMPARE(raw.connections(), 1);

    const int tabs = w.webCount();
    const qint64 delay = velmora::test::postedKeyDelayMs(w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY2(delay >= 0 && delay < 100, qPrintable(QString::number(delay)));
    QTRY_COMPARE_WITH_TIMEOUT(w.webCount(), tabs + 1, 3000);
    if (server == "silent"_L1) {
        QVERIFY(w.updateCheckRunning());
        raw.drop();
    }

    QTRY_VERIFY_WITH_TIMEOUT(!w.updateCheckRunning(), 20000);
    QVERIFY(!w.tmrUpd->isActive());
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    SettingsStore &settings = fx.program().settings();
    QCOMPARE(settings.GetSetting(general, versionKey), QString());
    QCOMPARE(settings.GetSetting(general, lastKey), checkDateText(today()));
    QVERIFY(settingsFileSize(fx) > 0);
    QVERIFY2(settingsFileSize(fx) < 100 * 1024, qPrintable(QString::number(settingsFileSize(fx))));
}

QTEST_MAIN(tst_UpdateFetch)
#include "tst_updatefetch.moc"
