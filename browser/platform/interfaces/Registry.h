#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace velmora::platform {

// Predefined roots, by the handle values callers pass.
inline constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
inline constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr quint32 HKEY_USERS = 0x80000003u;

// "HKEY_CURRENT_USER" and so on; empty for a handle that is no root.
QString registryRootName(quint32 root);

// The store the browser engine's content settings live in: keys under a few
// roots, each key a path of names joined by '\', holding named values. Key
// and value names compare without regard to case. Every call names its key;
// nothing stays open between calls. Results are status codes: 0 is success.
class Registry
{
public:
    enum Status : long { Success = 0, FileNotFound = 2, AccessDenied = 5, MoreData = 234 };
    // Default: what a plain open grants, full access where the user may
    // write, else reading.
    enum class Access { Read, Write, Full, Default };
    enum class Type : quint32 { None = 0, String = 1, Dword = 4 };
    struct Value
    {
        Type type = Type::None;
        QByteArray data;
        bool operator==(const Value &) const = default;
    };

    virtual ~Registry() = default;

    // Opens subKey, creating it and its missing parents.
    virtual long createKey(quint32 root, const QString &subKey, Access access) = 0;
    // Opens an existing key; FileNotFound when there is none.
    virtual long openKey(quint32 root, const QString &subKey, Access access) const = 0;
    // Reads a value as the platform reports it: a string value always counts
    // a terminating NUL byte, which is added when the value was written
    // without one. MoreData, and no data, when that does not fit bufferSize.
    virtual long queryValue(quint32 root, const QString &subKey, const QString &name,
                            qsizetype bufferSize, Value *value) const = 0;
    // Writes a value of an existing key, stored as given.
    virtual long setValue(quint32 root, const QString &subKey, const QString &name,
                          const Value &value) = 0;
    virtual long deleteValue(quint32 root, const QString &subKey, const QString &name) = 0;
    // onChange runs, on the UI thread, soon after the store changed, also
    // when another running program changed it. A store that no other program
    // shares never calls it.
    virtual void watch(std::function<void()> onChange) { (void)onChange; }
};

} // namespace velmora::platform
