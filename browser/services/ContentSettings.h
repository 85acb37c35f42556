#pragma once

#include "Services.h"

#include <QString>

namespace velmora::services {

// Where the browser engine keeps what it loads into pages, and how the page
// content switches read and write it.
namespace content {
inline constexpr char16_t EngineKey[] = u"SOFTWARE\\Microsoft\\Internet Explorer\\Main";
inline constexpr char16_t FlashKey[] = u"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX "
                                       u"Compatibility\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";
inline constexpr char16_t FlashValue[] = u"Compatibility Flags";
// The engine's flag that keeps the Flash control from loading.
inline constexpr qint32 FlashKillBit = 0x400;

inline constexpr char16_t Pictures[] = u"Display Inline Images";
inline constexpr char16_t Videos[] = u"Display Inline Videos";
inline constexpr char16_t Sounds[] = u"Play_Background_Sounds";
inline constexpr char16_t Animations[] = u"Play_Animations";
} // namespace content

// The root of the engine key: the machine's on the older platform family,
// the user's on the NT family.
quint32 engineRoot(bool winNT);
// "HKEY_CURRENT_USER\SOFTWARE\...\Main\<value name>": the text of the notice
// that tells running programs a value changed.
QString changeNoticeText(quint32 root, const QString &valueName);

// A text switch is on exactly when its value reads "yes".
bool readTextSwitch(const platform::Registry &registry, quint32 root, const QString &valueName);
void writeTextSwitch(platform::Registry &registry, quint32 root, const QString &valueName,
                     bool on);
// The Flash switch is on unless its value is exactly the kill flag.
bool readFlashSwitch(const platform::Registry &registry);
// On deletes the whole value, other flags with it; off writes the flag alone.
void writeFlashSwitch(platform::Registry &registry, bool on);

// What the pages show: a value present is on exactly when it reads "yes",
// as the menu mark reads it, so the two agree ("Yes" is off for both); a
// missing value leaves the engine's default, on.
platform::ContentSettings engineContentSettings(const platform::Registry &registry,
                                                quint32 root);

} // namespace velmora::services
