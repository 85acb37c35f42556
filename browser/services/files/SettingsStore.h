#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <memory>

namespace velmora::platform {
class WriteFailures;
}

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
// Several running instances share one file. The file is parsed once and read
// again only when it is no longer the same file (see FileStamp), so every
// read still sees the last completed write. Every write takes a lock file,
// looks at the file again, changes its one line and replaces the file in one
// step, so two instances changing different keys both keep their change, and
// lines the program does not change keep their bytes.
struct SettingsFile;

// One version of a file on disk.
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds
    qint64 changed = 0;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

class SettingsStore
{
public:
    // configHome: the folder holding the application's folder; empty means
    // $XDG_CONFIG_HOME, or ~/.config when that is unset.
    explicit SettingsStore(const QString &configHome = {},
                           const QString &application = QString::fromUtf16(settings::Application));

    ~SettingsStore();
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    static QString defaultConfigHome();
    // Where failed writes are raised; none by default.
    void setWriteFailures(platform::WriteFailures *failures) { m_writeFailures = failures; }
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
    // The parsed file as it is on disk now. Throws when it cannot be read.
    std::shared_ptr<const SettingsFile> current() const;
    bool rewrite(const std::function<bool(SettingsFile &)> &change);

    QString m_filePath;
    mutable std::shared_ptr<const SettingsFile> m_cache;
    mutable FileStamp m_stamp;
    platform::WriteFailures *m_writeFailures = nullptr;
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
