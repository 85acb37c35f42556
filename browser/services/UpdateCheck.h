#pragma once

#include "Product.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QUrl>

#include <optional>

namespace velmora::services {

class SettingsStore;

namespace update {
// The version document on our update server; the environment variable
// names another address (a test server, a mirror).
inline constexpr const char16_t *VersionDocumentUrl = product::VersionDocument;
inline constexpr char VersionUrlVariable[] = "VELMORA_UPDATE_URL";
inline constexpr const char16_t *DownloadPageUrl = product::DownloadPage;
// The window waits no longer than this for the version document.
inline constexpr int FetchTimeoutMs = 5000;
} // namespace update

QUrl updateVersionUrl();

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

// Fetches a document over HTTP, waiting at most timeoutMs; the event loop
// runs meanwhile, but takes no user input. The body as sent, also of an
// error page; empty when nothing came back in time.
QByteArray fetchDocument(const QUrl &url, int timeoutMs);

} // namespace velmora::services
