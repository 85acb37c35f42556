#include "UpdateCheck.h"

#include "Language.h"
#include "RuntimeError.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

#include <utility>

using namespace Qt::StringLiterals;

namespace velmora::services {

QUrl updateVersionUrl()
{
    const QString custom = qEnvironmentVariable(update::VersionUrlVariable);
    const QUrl url(custom.isEmpty() ? QString::fromUtf16(product::VersionDocument) : custom,
                   QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != "http"_L1 && url.scheme() != "https"_L1))
        return {};
    return url;
}

QString productPageUrl()
{
    return QString::fromUtf16(product::Page);
}

QString downloadPageUrl()
{
    const QString page = QString::fromUtf16(product::DownloadPage);
    return page.isEmpty() ? productPageUrl() : page;
}

QString aboutHelpUrl(const QString &programDir, const QString &language)
{
    for (const QString &name : {Language::dialogHelpFileName(programDir, language),
                                Language::dialogHelpFileName(programDir, u"English"_s),
                                Language::dialogHelpFileName(programDir, u"Russian"_s)}) {
        if (QFileInfo(name).isFile()) {
            QUrl url = QUrl::fromLocalFile(name);
            url.setFragment(u"about"_s);
            return url.toString();
        }
    }
    return {};
}

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r'
                               || text[i] == u'\n'))
        ++i;
    QString number;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        number += text[i++];
    bool point = false;
    bool digits = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        number += c;
    }
    if (!digits)
        return 0;
    return number.toDouble();
}

std::optional<double> wholeNumber(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool isNewerVersion(SettingsStore &settings, const QString &candidate, const QString &current)
{
    if (candidate.isEmpty())
        return false;
    if (current.isEmpty())
        return true;
    const QStringList newer = candidate.split(u'.');
    const QStringList older = current.split(u'.');
    for (qsizetype k = 0; k < 3; ++k) {
        if (k >= newer.size() || k >= older.size())
            break;
        const double a = leadingNumber(newer[k]);
        const std::optional<double> b = wholeNumber(older[k]);
        if (!b)
            break;
        if (*b < a)
            return true;
        if (*b > a)
            return false;
        if (k == 2)
            return false;
    }
    const QString general = QString::fromUtf16(settings::General);
    settings.DeleteSetting(general, QString::fromUtf16(settings::NotificationVer));
    settings.DeleteSetting(general, QString::fromUtf16(settings::LastNotification));
    return false;
}

std::optional<QString> versionFromReply(const QString &reply)
{
    if (!reply.contains("[VERSION]"_L1))
        return std::nullopt;
    // The opening marker and its CR LF.
    QString version = reply.mid(11);
    const qsizetype end = version.indexOf("[/VERSION]\r\n"_L1);
    if (end >= 0)
        version.truncate(end);
    return version;
}

QString updateNoticeText(const QString &version, const QString &runningVersion)
{
    const QString crlf = u"\r\n"_s;
    return u"Вышла новая версия Velmora."_s + crlf + crlf + u"Новая версия: "_s + version + crlf
           + u"Текущая версия: "_s + runningVersion + crlf + crlf
           + u"Перейти на страничку программы для получения дополнительной информации "
             u"(откроется в новой вкладке)?"_s;
}

QString updateNoticeTextEnglish(const QString &version, const QString &runningVersion)
{
    const QString crlf = u"\r\n"_s;
    return u"A new version of Velmora is out."_s + crlf + crlf + u"New version: "_s + version
           + crlf + u"Running version: "_s + runningVersion + crlf + crlf
           + u"Go to the program's page for more information (it opens in a new tab)?"_s;
}

QString runningVersion()
{
    return QCoreApplication::applicationVersion();
}

QString checkDateText(const QDate &date)
{
    return date.toString(u"dd.MM.yyyy"_s);
}

QDate parseCheckDate(const QString &text)
{
    const QDate date = QDate::fromString(text.trimmed(), u"d.M.yyyy"_s);
    if (!date.isValid())
        throw RuntimeError(RuntimeError::TypeMismatch, "not a date");
    return date;
}

std::optional<QString> checkedVersion(const QString &versionText)
{
    static const QRegularExpression form(u"^[0-9]{1,9}(\\.[0-9]{1,9}){0,3}$"_s);
    const QString version = versionText.trimmed();
    if (!form.match(version).hasMatch())
        return std::nullopt;
    return version;
}

DocumentFetch::DocumentFetch(QObject *parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(false); });
}

DocumentFetch::~DocumentFetch()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void DocumentFetch::start(const QUrl &url, int timeoutMs, qint64 maxBytes)
{
    m_maxBytes = maxBytes;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(timeoutMs);
    m_reply = m_manager->get(request);
    // The transfer holds no more than the bound while nobody reads.
    m_reply->setReadBufferSize(maxBytes + 1);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_maxBytes)
            finish(false);
    });
    connect(m_reply, &QIODevice::readyRead, this, &DocumentFetch::readSome);
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        readSome();
        if (!m_reply)
            return;
        const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        finish(m_reply->error() == QNetworkReply::NoError && status >= 200 && status < 300);
    });
    // The whole transfer, not only a pause in it.
    m_deadline.start(timeoutMs);
}

void DocumentFetch::readSome()
{
    if (!m_reply)
        return;
    m_body += m_reply->read(m_maxBytes + 1 - m_body.size());
    if (m_body.size() > m_maxBytes)
        finish(false);
}

void DocumentFetch::finish(bool success)
{
    if (m_answered)
        return;
    m_answered = true;
    m_deadline.stop();
    if (m_reply) {
        QNetworkReply *reply = std::exchange(m_reply, nullptr);
        reply->disconnect(this);
        if (reply->isRunning())
            reply->abort();
        reply->deleteLater();
    }
    QByteArray body = success ? std::exchange(m_body, {}) : QByteArray();
    m_body.clear();
    // Never from inside the network classes' own signals.
    QMetaObject::invokeMethod(
        this, [this, body = std::move(body)] { emit finished(body); }, Qt::QueuedConnection);
}

} // namespace velmora::services
