#pragma once

#include "Product.h"

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace velmora::services {

class SettingsStore;

namespace update {
// Names another address of the version document than the build's (a test
// server, a mirror).
inline constexpr char VersionUrlVariable[] = "VELMORA_UPDATE_URL";
// The fetch gives up after this long, whatever the server still sends.
inline constexpr int FetchTimeoutMs = 15000;
// A version document is a few bytes; a longer reply is no version document.
inline constexpr qint64 MaxReplyBytes = 64 * 1024;
} // namespace update

// The version document's address: the environment's, else the build's.
// Empty (no check is made) when neither names an http or https address.
QUrl updateVersionUrl();
// The build's product page; empty when the build names none.
QString productPageUrl();
// The build's download page, else its product page; empty when neither.
QString downloadPageUrl();
// The bundled help's section about the program, for the interface language
// (else the English help, else the Russian); empty without help.
QString aboutHelpUrl(const QString &programDir, const QString &language);

// True when candidate is a newer version than current: the first three
// parts separated by "." compare as numbers, the candidate's read leniently
// (a part that is no number counts as 0), current's strictly. A version
// with fewer than three needed parts, or a part of current that is no
// number, is malformed: the notice settings (NotificationVer and
// LastNotification) are deleted so the next run checks afresh, and the
// answer is false.
bool isNewerVersion(SettingsStore &settings, const QString &candidate, const QString &current);

// The leading number of a text: blanks, a sign, digits and one decimal
// point; anything else ends it; no digits give 0.
double leadingNumber(const QString &text);
// The whole text as a number, or nothing.
std::optional<double> wholeNumber(const QString &text);

// The version text a reply announces: everything after "[VERSION]" and its
// line break, up to "[/VERSION]" and its line break when present. Nothing
// when the reply has no "[VERSION]" (an error page, an empty reply).
std::optional<QString> versionFromReply(const QString &reply);

QString updateNoticeText(const QString &version, const QString &runningVersion);
// The same notice for every interface language but Russian.
QString updateNoticeTextEnglish(const QString &version, const QString &runningVersion);

// The running program's version: major.minor.revision.
QString runningVersion();

// LastNotification holds the day of the last check as day.month.year.
QString checkDateText(const QDate &date);
// Throws RuntimeError(TypeMismatch) when the text is no such date.
QDate parseCheckDate(const QString &text);

// The version text of a reply in the form a version takes: one to four
// numbers of at most nine digits joined by ".", without the blanks and line
// breaks around it. Nothing for any other text.
std::optional<QString> checkedVersion(const QString &versionText);

// Fetches one document without waiting for it: the event loop goes on as
// before. finished follows exactly once, from the event loop: with the body
// when the server answered with success within timeoutMs and sent no more
// than maxBytes; empty otherwise (no answer in time, a refused connection,
// an error page, a longer reply: the transfer stops as soon as it is too
// long). Deleting the object stops the transfer without an answer.
class DocumentFetch : public QObject
{
    Q_OBJECT
public:
    explicit DocumentFetch(QObject *parent = nullptr);
    ~DocumentFetch() override;

    void start(const QUrl &url, int timeoutMs, qint64 maxBytes);
    bool isRunning() const { return m_reply != nullptr; }

signals:
    void finished(const QByteArray &body);

private:
    void readSome();
    void finish(bool success);

    QNetworkAccessManager *m_manager = nullptr;
    QNetworkReply *m_reply = nullptr;
    QTimer m_deadline;
    QByteArray m_body;
    qint64 m_maxBytes = 0;
    bool m_answered = false;
};

} // namespace velmora::services
