#include "RegistryTree.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

constexpr quint32 roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
                             HKEY_USERS};
constexpr long InvalidHandle = 6;

bool isRoot(quint32 root)
{
    return !registryRootName(root).isEmpty();
}

} // namespace

QString registryRootName(quint32 root)
{
    switch (root) {
    case HKEY_CLASSES_ROOT:
        return u"HKEY_CLASSES_ROOT"_s;
    case HKEY_CURRENT_USER:
        return u"HKEY_CURRENT_USER"_s;
    case HKEY_LOCAL_MACHINE:
        return u"HKEY_LOCAL_MACHINE"_s;
    case HKEY_USERS:
        return u"HKEY_USERS"_s;
    default:
        return {};
    }
}

QString RegistryTree::normalizedPath(const QString &subKey)
{
    return subKey.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

QString RegistryTree::fold(const QString &path)
{
    return normalizedPath(path).toCaseFolded();
}

const RegistryTree::Key *RegistryTree::findKey(quint32 root, const QString &subKey) const
{
    const auto r = m_roots.constFind(root);
    if (r == m_roots.cend())
        return nullptr;
    const auto k = r->constFind(fold(subKey));
    return k == r->cend() ? nullptr : &*k;
}

RegistryTree::Key *RegistryTree::findKey(quint32 root, const QString &subKey)
{
    const auto r = m_roots.find(root);
    if (r == m_roots.end())
        return nullptr;
    const auto k = r->find(fold(subKey));
    return k == r->end() ? nullptr : &*k;
}

bool RegistryTree::hasKey(quint32 root, const QString &subKey) const
{
    if (!isRoot(root))
        return false;
    const QString folded = fold(subKey);
    if (folded.isEmpty())
        return true;
    const auto r = m_roots.constFind(root);
    if (r == m_roots.cend())
        return false;
    if (r->contains(folded))
        return true;
    // A parent of a stored key exists too: the first stored path at or after
    // "path\" tells.
    const QString prefix = folded + u'\\';
    const auto next = r->lowerBound(prefix);
    return next != r->cend() && next.key().startsWith(prefix);
}

void RegistryTree::addKey(quint32 root, const QString &subKey)
{
    if (!isRoot(root) || findKey(root, subKey))
        return;
    Key key;
    key.path = normalizedPath(subKey);
    m_roots[root].insert(fold(subKey), key);
}

const Registry::Value *RegistryTree::value(quint32 root, const QString &subKey,
                                           const QString &name) const
{
    const Key *key = findKey(root, subKey);
    if (!key)
        return nullptr;
    const QString folded = name.toCaseFolded();
    for (const auto &entry : key->values) {
        if (entry.first.toCaseFolded() == folded)
            return &entry.second;
    }
    return nullptr;
}

bool RegistryTree::setValue(quint32 root, const QString &subKey, const QString &name,
                            const Registry::Value &value)
{
    if (!hasKey(root, subKey))
        return false;
    addKey(root, subKey);
    Key *key = findKey(root, subKey);
    const QString folded = name.toCaseFolded();
    for (auto &entry : key->values) {
        if (entry.first.toCaseFolded() == folded) {
            entry.second = value;
            return true;
        }
    }
    key->values.append({name, value});
    return true;
}

bool RegistryTree::removeValue(quint32 root, const QString &subKey, const QString &name)
{
    Key *key = findKey(root, subKey);
    if (!key)
        return false;
    const QString folded = name.toCaseFolded();
    for (qsizetype i = 0; i < key->values.size(); ++i) {
        if (key->values[i].first.toCaseFolded() == folded) {
            key->values.removeAt(i);
            return true;
        }
    }
    return false;
}

QByteArray RegistryTree::toJson() const
{
    QJsonObject top;
    for (auto r = m_roots.cbegin(); r != m_roots.cend(); ++r) {
        QJsonObject keys;
        for (const Key &key : *r) {
            QJsonObject values;
            for (const auto &entry : key.values) {
                values.insert(entry.first,
                              QJsonObject{{u"type"_s, qint64(entry.second.type)},
                                          {u"data"_s, QString::fromLatin1(
                                                          entry.second.data.toHex())}});
            }
            keys.insert(key.path, values);
        }
        top.insert(registryRootName(r.key()), keys);
    }
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

RegistryTree RegistryTree::fromJson(const QByteArray &json, bool *damaged)
{
    RegistryTree tree;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (damaged)
        *damaged = !json.trimmed().isEmpty()
                   && (error.error != QJsonParseError::NoError || !document.isObject());
    const QJsonObject top = document.object();
    for (quint32 root : roots) {
        const QJsonObject keys = top.value(registryRootName(root)).toObject();
        for (auto k = keys.constBegin(); k != keys.constEnd(); ++k) {
            tree.addKey(root, k.key());
            const QJsonObject values = k.value().toObject();
            for (auto v = values.constBegin(); v != values.constEnd(); ++v) {
                const QJsonObject stored = v.value().toObject();
                Registry::Value value;
                value.type = Registry::Type(stored.value(u"type"_s).toInteger());
                value.data = QByteArray::fromHex(stored.value(u"data"_s).toString().toLatin1());
                tree.setValue(root, k.key(), v.key(), value);
            }
        }
    }
    return tree;
}

long TreeRegistry::createKey(quint32 root, const QString &subKey, Access access)
{
    if (!isRoot(root))
        return InvalidHandle;
    const bool writable = isWritable(root);
    if (!writable && (access == Access::Write || access == Access::Full))
        return AccessDenied;
    if (load().hasKey(root, subKey))
        return Success;
    if (!writable)
        return AccessDenied;
    return change([&](RegistryTree &tree) {
        tree.addKey(root, subKey);
        return long(Success);
    });
}

long TreeRegistry::openKey(quint32 root, const QString &subKey, Access access) const
{
    if (!isRoot(root))
        return InvalidHandle;
    if (!load().hasKey(root, subKey))
        return FileNotFound;
    if (!isWritable(root) && (access == Access::Write || access == Access::Full))
        return AccessDenied;
    return Success;
}

long TreeRegistry::queryValue(quint32 root, const QString &subKey, const QString &name,
                              qsizetype bufferSize, Value *value) const
{
    if (!isRoot(root))
        return InvalidHandle;
    const RegistryTree tree = load();
    const Value *stored = tree.value(root, subKey, name);
    if (!stored)
        return FileNotFound;
    Value reported = *stored;
    if (reported.type == Type::String && !reported.data.endsWith('\0'))
        reported.data.append('\0');
    if (reported.data.size() > bufferSize) {
        *value = Value{reported.type, {}};
        return MoreData;
    }
    *value = reported;
    return Success;
}

long TreeRegistry::setValue(quint32 root, const QString &subKey, const QString &name,
                            const Value &value)
{
    if (!isRoot(root))
        return InvalidHandle;
    if (!isWritable(root))
        return AccessDenied;
    return change([&](RegistryTree &tree) {
        return tree.setValue(root, subKey, name, value) ? long(Success) : long(FileNotFound);
    });
}

long TreeRegistry::deleteValue(quint32 root, const QString &subKey, const QString &name)
{
    if (!isRoot(root))
        return InvalidHandle;
    if (!isWritable(root))
        return AccessDenied;
    return change([&](RegistryTree &tree) {
        return tree.removeValue(root, subKey, name) ? long(Success) : long(FileNotFound);
    });
}

} // namespace velmora::platform
