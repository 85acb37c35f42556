#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace velmora::services {

namespace settings {
inline constexpr char16_t Application[] = u"olk_Browser";
inline constexpr char16_t General[] = u"general";
inline constexpr char16_t FavoritesSection[] = u"Favorites";

inline constexpr char16_t Language[] = u"language";
inline constexpr char16_t WindowState[] = u"WindowState";
inline constexpr char16_t Favorites[] = u"Favorites";
inline constexpr char16_t MemMess[] = u"memMess";
inline constexpr char16_t LastNotification[] = u"LastNotification";
inline constexpr char16_t LastNotificationDefault[] = u"01.01.0001";
inline constexpr char16_t NotificationVer[] = u"NotificationVer";
} // namespace settings

// Per-user key/value settings of one application, grouped in sections.
// Section and key names compare without regard to case.
//
// Several running instances share one file: nothing is cached, so every read
// sees the last completed write, and every write re-reads the file, applies
// its one change and replaces the file in one step. Writers also take a lock
// file for that read-change-replace, so two instances changing different keys
// both keep their change.
class SettingsStore
{
public:
    // configHome: the folder holding the application's folder; empty means
    // $XDG_CONFIG_HOME, or ~/.config when that is unset.
    explicit SettingsStore(const QString &configHome = {},
                           const QString &application = QString::fromUtf16(settings::Application));

    static QString defaultConfigHome();
    QString filePath() const { return m_filePath; }

    QString GetSetting(const QString &section, const QString &key,
                       const QString &defaultValue = {}) const;
    // Pairs of (key, value) of one section, in stored order.
    QList<QPair<QString, QString>> GetAllSettings(const QString &section) const;
    // Both return whether the store on disk now holds the change; failures are
    // otherwise silent, as no caller reports them.
    bool SaveSetting(const QString &section, const QString &key, const QString &value);
    bool DeleteSetting(const QString &section, const QString &key);

private:
    QString m_filePath;
};

// "True"/"False" in any case, or a number (nonzero is true); anything else,
// and a missing key, gives defaultValue.
bool readBoolSetting(const SettingsStore &store, const QString &section, const QString &key,
                     bool defaultValue);
// The text form a Boolean is stored in: "True" or "False".
QString boolSettingText(bool value);
// A decimal number, "." or "," as the separator (both are found in stores
// written under different locales); anything else gives defaultValue.
double readNumberSetting(const SettingsStore &store, const QString &section, const QString &key,
                         double defaultValue);

} // namespace velmora::services
