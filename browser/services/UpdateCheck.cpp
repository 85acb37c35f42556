#include "UpdateCheck.h"

#include "RuntimeError.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace velmora::services {

QUrl updateVersionUrl()
{
    const QString custom = qEnvironmentVariable(update::VersionUrlVariable);
    return QUrl(custom.isEmpty() ? QString::fromUtf16(update::VersionDocumentUrl) : custom);
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

QByteArray fetchDocument(const QUrl &url, int timeoutMs)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!reply->isFinished()) {
        reply->abort();
        return {};
    }
    // An HTTP error still brings the server's page; a failed connection does not.
    if (reply->error() != QNetworkReply::NoError
        && !reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return {};
    return reply->readAll();
}

} // namespace velmora::services
