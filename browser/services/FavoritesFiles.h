#pragma once

#include <QByteArray>
#include <QString>

namespace velmora::services {

// Internet-shortcut files: a profile file with the section "InternetShortcut"
// whose key "URL" holds the address.

// The two bare lines the export writes, each ended by CR LF, in Windows-1251.
QByteArray internetShortcutBytes(const QString &address);
// Creates or replaces the file. Throws RuntimeError when it cannot.
void writeInternetShortcut(const QString &path, const QString &address);

// The longest value a profile read returns; longer ones are cut.
inline constexpr int ProfileValueLimit = 2047;

// One value of a profile file's text, read the way the desktop's profile
// functions read it: section and key names compare without regard to case
// and around white space, the first matching section and key win, a value
// loses its surrounding white space and one pair of matching quotes. A
// missing value gives defaultValue. The result is cut to ProfileValueLimit.
QString readProfileString(const QByteArray &bytes, const QString &section, const QString &key,
                          const QString &defaultValue);
// The same, of a file; a file that cannot be read gives defaultValue.
QString readIniString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file);

} // namespace velmora::services
