// The facts of the page a control shows, for the page's properties: what the
// document says of itself, what the engine's cache kept of its answer, and
// the site's certificate, read by a connection of its own since the engine
// gives out no certificate of a page it trusts.

#include "EngineCertificates.h"
#include "EngineOfflineWork.h"
#include "EnginePage.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMimeDatabase>
#include <QPointer>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslSocket>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>

#include <memory>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

// The whole reading never takes longer than this.
constexpr int FactsTimeoutMs = 5000;
// How often the answer of the cache is looked for.
constexpr int PollMs = 100;

// What the document says of itself; starts a look into the engine's cache
// for the answer the page came with, left in the isolated world under key.
// The isolated world's own fetch and performance: the page cannot change them.
const char *const DocumentScript = R"((function (key) {
  var r = { type: document.contentType, modified: document.lastModified, now: Date.now() };
  var n = performance.getEntriesByType('navigation')[0];
  if (n) { r.protocol = n.nextHopProtocol; r.size = n.decodedBodySize; }
  if (location.protocol === 'http:' || location.protocol === 'https:') {
    window[key] = null;
    try {
      fetch(location.href, { cache: 'only-if-cached', mode: 'same-origin', credentials: 'same-origin' })
        .then(function (res) {
          window[key] = { ok: true, date: res.headers.get('Date') || '',
                          modified: res.headers.get('Last-Modified') || '' };
          if (res.body) res.body.cancel();
        }, function () { window[key] = { ok: false }; });
      r.cached = true;
    } catch (e) { }
  }
  return r;
})(%1))";

QString jsLiteral(const QString &text)
{
    const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
}

QDateTime httpDate(const QString &text)
{
    // "Wed, 21 Oct 2015 07:28:00 GMT"
    QString form = text.trimmed();
    if (form.endsWith(" GMT"_L1))
        form = form.chopped(4) + " +0000"_L1;
    return QDateTime::fromString(form, Qt::RFC2822Date);
}

// One reading; it lives under its control and goes when it has answered.
class FactsReading final : public QObject
{
public:
    FactsReading(QObject *owner, PageFacts facts, std::function<void(const PageFacts &)> done)
        : QObject(owner)
        , m_facts(std::move(facts))
        , m_done(std::move(done))
    {
        QTimer::singleShot(FactsTimeoutMs, this, [this] { finish(); });
    }

    PageFacts &facts() { return m_facts; }
    void begin() { ++m_parts; }
    void end()
    {
        if (--m_parts <= 0)
            finish();
    }

    void readDocument(QWebEnginePage *page)
    {
        begin();
        const QString key = "__velmoraFacts"_L1
                            + QString::number(QRandomGenerator::global()->generate64(), 36);
        const QPointer<QWebEnginePage> guarded(page);
        const QPointer<FactsReading> self(this);
        page->runJavaScript(QString::fromLatin1(DocumentScript).arg(jsLiteral(key)),
                            QWebEngineScript::ApplicationWorld,
                            [this, self, guarded, key](const QVariant &value) {
                                if (!self)
                                    return;
                                const QVariantMap r = value.toMap();
                                takeDocument(r);
                                if (guarded && r.value(u"cached"_s).toBool())
                                    pollCache(guarded, key);
                                end();
                            });
    }

    void readCertificate(const QUrl &url)
    {
        begin();
        auto *socket = new QSslSocket(this);
        auto trusted = std::make_shared<bool>(true);
        connect(socket, &QSslSocket::sslErrors, socket, [socket, trusted] {
            *trusted = false;
            // Only to read it: nothing is sent over this connection.
            socket->ignoreSslErrors();
        });
        connect(socket, &QSslSocket::encrypted, this, [this, socket, trusted] {
            const QSslCertificate cert = socket->peerCertificate();
            if (!cert.isNull()) {
                m_facts.certificateRead = true;
                m_facts.certificate.subject = describe(cert, true);
                m_facts.certificate.issuer = describe(cert, false);
                m_facts.certificate.validFrom = cert.effectiveDate();
                m_facts.certificate.validTo = cert.expiryDate();
                m_facts.certificate.trusted = *trusted;
            }
            socket->abort();
        });
        connect(socket, &QSslSocket::disconnected, this, [this, socket] { done(socket); });
        connect(socket, &QSslSocket::errorOccurred, this, [this, socket] { done(socket); });
        socket->connectToHostEncrypted(url.host(), quint16(url.port(443)));
    }

private:
    void done(QSslSocket *socket)
    {
        if (socket->property("velmoraDone").toBool())
            return;
        socket->setProperty("velmoraDone", true);
        socket->deleteLater();
        end();
    }

    static QString describe(const QSslCertificate &cert, bool subject)
    {
        QStringList parts;
        for (const auto field : {QSslCertificate::CommonName, QSslCertificate::Organization,
                                 QSslCertificate::CountryName}) {
            const QStringList values = subject ? cert.subjectInfo(field) : cert.issuerInfo(field);
            if (!values.isEmpty())
                parts << values.join(", "_L1);
        }
        return parts.join("; "_L1);
    }

    void takeDocument(const QVariantMap &r)
    {
        if (m_facts.mimeType.isEmpty())
            m_facts.mimeType = r.value(u"type"_s).toString();
        m_facts.wireProtocol = r.value(u"protocol"_s).toString();
        bool ok = false;
        const qint64 size = r.value(u"size"_s).toLongLong(&ok);
        if (ok && size > 0 && m_facts.size < 0)
            m_facts.size = size;
        // Without a date of its own the document reads the time of asking.
        const QDateTime modified =
            QDateTime::fromString(r.value(u"modified"_s).toString(), u"MM/dd/yyyy HH:mm:ss"_s);
        const QDateTime asked =
            QDateTime::fromMSecsSinceEpoch(qint64(r.value(u"now"_s).toDouble()));
        if (modified.isValid() && !m_facts.modified.isValid() && modified.secsTo(asked) > 2)
            m_facts.modified = modified;
    }

    void pollCache(const QPointer<QWebEnginePage> &page, const QString &key)
    {
        begin();
        const QPointer<FactsReading> self(this);
        page->runJavaScript("window["_L1 + jsLiteral(key) + "]"_L1,
                            QWebEngineScript::ApplicationWorld,
                            [this, self, page, key](const QVariant &value) {
                                if (!self)
                                    return;
                                const QVariantMap r = value.toMap();
                                if (r.isEmpty() && page && !m_finished) {
                                    QTimer::singleShot(PollMs, this, [this, page, key] {
                                        if (page)
                                            pollCache(page, key);
                                        end();
                                    });
                                    return;
                                }
                                if (r.value(u"ok"_s).toBool()) {
                                    const QDateTime modified =
                                        httpDate(r.value(u"modified"_s).toString());
                                    if (modified.isValid())
                                        m_facts.modified = modified;
                                    m_facts.serverDate = httpDate(r.value(u"date"_s).toString());
                                }
                                end();
                            });
    }

    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        // Not from inside a part's own handler.
        QTimer::singleShot(0, this, [this] {
            m_done(m_facts);
            deleteLater();
        });
    }

    PageFacts m_facts;
    std::function<void(const PageFacts &)> m_done;
    int m_parts = 0;
    bool m_finished = false;
};

} // namespace

void EngineWebBrowser::readPageFacts(std::function<void(const PageFacts &)> done)
{
    PageFacts facts;
    facts.address = LocationURL();
    facts.title = m_page ? m_documentTitle : QString();
    const QUrl url = m_page ? EngineOfflineWork::realForm(m_page->url()) : QUrl(facts.address);
    facts.scheme = url.scheme();
    const bool errorPage = !m_errorPage.isEmpty() && m_page && m_page->url() == m_errorPage;
    // Of a failed page the user asked for the address, not the error page's.
    facts.failed = errorPage;
    if (errorPage)
        facts.address = url.toString();
    facts.encrypted = facts.scheme == "https"_L1 && !errorPage;
    if (url.isLocalFile()) {
        const QFileInfo file(url.toLocalFile());
        if (file.isFile()) {
            facts.size = file.size();
            facts.modified = file.lastModified();
            facts.created = file.birthTime();
            facts.mimeType = QMimeDatabase().mimeTypeForFile(file).name();
        }
    }
    auto *reading = new FactsReading(this, facts, std::move(done));
    // Held until the parts have begun, so no part ends the reading early.
    reading->begin();
    if (m_page && !errorPage && !m_page->url().isEmpty()) {
        if (facts.encrypted)
            reading->facts().certificateExcepted =
                EngineTrustedSites::of(m_page->profile()).contains(url);
        reading->readDocument(m_page);
        // Offline, nothing reaches the network.
        reading->facts().offline = m_offline || (m_factory && m_factory->isOffline());
        if (facts.encrypted && !url.host().isEmpty() && !reading->facts().offline)
            reading->readCertificate(url);
    }
    reading->end();
}

} // namespace velmora::platform
