#pragma once

#include "Registry.h"

#include <QList>
#include <QMap>
#include <QPair>

#include <functional>

namespace velmora::platform {

// The keys and values of a registry, in memory. A key exists when it was
// added or lies on the path of one that was.
class RegistryTree
{
public:
    bool hasKey(quint32 root, const QString &subKey) const;
    void addKey(quint32 root, const QString &subKey);
    // Null when the key or the value is missing.
    const Registry::Value *value(quint32 root, const QString &subKey, const QString &name) const;
    // False when the key is missing.
    bool setValue(quint32 root, const QString &subKey, const QString &name,
                  const Registry::Value &value);
    // False when the key or the value is missing.
    bool removeValue(quint32 root, const QString &subKey, const QString &name);

    // Our own file form: JSON, one object per root, key paths as found, data
    // in hexadecimal. Damaged input gives what could be read.
    QByteArray toJson() const;
    // *damaged: the text held something that is not our form (only blanks
    // are not damage).
    static RegistryTree fromJson(const QByteArray &json, bool *damaged = nullptr);

    // "a\\b\\" and "\\A\\B" name the same key.
    static QString normalizedPath(const QString &subKey);

private:
    struct Key
    {
        QString path; // as first written
        QList<QPair<QString, Registry::Value>> values;
    };
    static QString fold(const QString &path);
    const Key *findKey(quint32 root, const QString &subKey) const;
    Key *findKey(quint32 root, const QString &subKey);

    // root -> folded path -> key
    QMap<quint32, QMap<QString, Key>> m_roots;
};

// A registry over a tree that a subclass loads and saves; the rules of
// access and of reporting values are the same for every store.
class TreeRegistry : public Registry
{
public:
    long createKey(quint32 root, const QString &subKey, Access access) override;
    long openKey(quint32 root, const QString &subKey, Access access) const override;
    long queryValue(quint32 root, const QString &subKey, const QString &name,
                    qsizetype bufferSize, Value *value) const override;
    long setValue(quint32 root, const QString &subKey, const QString &name,
                  const Value &value) override;
    long deleteValue(quint32 root, const QString &subKey, const QString &name) override;

protected:
    virtual RegistryTree load() const = 0;
    // Runs edit on the stored tree and keeps the result when edit succeeds,
    // as one step against other writers. Returns edit's status, or
    // AccessDenied when the result could not be stored.
    virtual long change(const std::function<long(RegistryTree &)> &edit) = 0;
    virtual bool isWritable(quint32 root) const = 0;
};

} // namespace velmora::platform
