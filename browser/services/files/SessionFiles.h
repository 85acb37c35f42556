#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmora::services::sessions {

// Both kinds of saved tab list share one extension and one dialog filter.
inline constexpr char16_t SaveFilter[] = u"BrowserTabList|*.btl";
inline constexpr char16_t OpenFilter[] = u"BroserTabList|*.btl";
// Program-folder files written by the automatic save.
inline constexpr char16_t AutosaveFile[] = u"autosave.btl";
inline constexpr char16_t CrashFile[] = u"crash!$#";

// The first line of a Session file. Readers compare the whole line with it,
// letter case included.
QString sessionHeader();

struct SavedTab
{
    QString address;
    QString title; // Session records only
    bool hasTitle = false;

    friend bool operator==(const SavedTab &, const SavedTab &) = default;
};

// A Session file: the header, then a title line and an address line per tab,
// bare text in Windows-1251, each line ended with CR LF.
QByteArray writeSessionFile(const QList<SavedTab> &tabs);
// A Tab list file: one quoted address a line.
QByteArray writeTabList(const QStringList &addresses);

struct SavedTabs
{
    bool session = false; // the first line was the Session header
    QList<SavedTab> tabs; // in file order
    // False when the file ended inside a record: an empty file, a Session
    // title without its address line, an unclosed quote. The records before
    // it are kept.
    bool complete = true;
};

// Tells the two formats apart by the first line and reads every record.
SavedTabs readSavedTabs(const QByteArray &bytes);
// Reads the whole file as a Tab list: values by the list-input rule, so a
// line with commas gives several addresses.
SavedTabs readTabList(const QByteArray &bytes);

// path with ".btl" added when its file name has no ending of its own.
QString withSessionSuffix(const QString &path);

} // namespace velmora::services::sessions
