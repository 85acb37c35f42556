#pragma once

#include "RegistryTree.h"

#include <QSet>

namespace velmora::platform {

// A registry in memory. Roots listed in readOnlyRoots behave as a machine's
// keys do for a user without the right to change them.
class FakeRegistry final : public TreeRegistry
{
public:
    // Stores a value as another program would, bypassing the access rules.
    void put(quint32 root, const QString &subKey, const QString &name, const Value &value);
    void putString(quint32 root, const QString &subKey, const QString &name,
                   const QByteArray &bytes);
    void putDword(quint32 root, const QString &subKey, const QString &name, quint32 number);
    // The value as stored; type None when missing.
    Value stored(quint32 root, const QString &subKey, const QString &name) const;
    bool hasValue(quint32 root, const QString &subKey, const QString &name) const;
    const RegistryTree &tree() const { return m_tree; }

    QSet<quint32> readOnlyRoots;

protected:
    RegistryTree load() const override { return m_tree; }
    long change(const std::function<long(RegistryTree &)> &edit) override;
    bool isWritable(quint32 root) const override { return !readOnlyRoots.contains(root); }

private:
    RegistryTree m_tree;
};

} // namespace velmora::platform
