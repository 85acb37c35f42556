#pragma once

#include "WriteFailures.h"

#include <QByteArray>
#include <QString>

namespace velmora::services {

// Internet-shortcut files: a profile file with the section "InternetShortcut"
// whose key "URL" holds the address.

// The two bare lines the export writes, each ended by CR LF, in Windows-1251.
QByteArray internetShortcutBytes(const QString &address);
// Creates or replaces the file. Throws RuntimeError when it cannot.
void writeInternetShortcut(const QString &path, const QString &address,
                           platform::WriteFailures *failures = nullptr);

// The longest value a profile read returns; longer ones are cut.
inline constexpr int ProfileValueLimit = 2047;

// A profile file's text: UTF-16 (with a byte-order mark, or recognised by its
// zero bytes), UTF-8 (with a mark, or when the bytes are UTF-8 with at least
// one character beyond ASCII), and otherwise Windows-1251.
QString decodeProfileBytes(const QByteArray &bytes);

// One value of a profile file's text, read the way the desktop's profile
// functions read it: section and key names compare without regard to case
// and around white space, the first matching section and key win, a value
// loses its surrounding white space and one pair of matching quotes. A
// missing value gives defaultValue. The result is cut to ProfileValueLimit.
QString readProfileString(const QByteArray &bytes, const QString &section, const QString &key,
                          const QString &defaultValue);
QString readProfileText(const QString &text, const QString &section, const QString &key,
                        const QString &defaultValue);
// The same, of a file; a file that cannot be read gives defaultValue.
QString readIniString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file);
// The address of an internet-shortcut file named by its bytes. Anything but a
// regular file (a pipe, a device) is not read and gives "".
QString readShortcutUrl(const QByteArray &nativePath);

} // namespace velmora::services
