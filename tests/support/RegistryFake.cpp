#include "RegistryFake.h"

#include <QtEndian>

namespace velmora::platform {

void FakeRegistry::put(quint32 root, const QString &subKey, const QString &name,
                       const Value &value)
{
    m_tree.addKey(root, subKey);
    m_tree.setValue(root, subKey, name, value);
}

void FakeRegistry::putString(quint32 root, const QString &subKey, const QString &name,
                             const QByteArray &bytes)
{
    put(root, subKey, name, Value{Type::String, bytes});
}

void FakeRegistry::putDword(quint32 root, const QString &subKey, const QString &name,
                            quint32 number)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(number, bytes.data());
    put(root, subKey, name, Value{Type::Dword, bytes});
}

Registry::Value FakeRegistry::stored(quint32 root, const QString &subKey,
                                     const QString &name) const
{
    const Value *value = m_tree.value(root, subKey, name);
    return value ? *value : Value{};
}

bool FakeRegistry::hasValue(quint32 root, const QString &subKey, const QString &name) const
{
    return m_tree.value(root, subKey, name) != nullptr;
}

long FakeRegistry::change(const std::function<long(RegistryTree &)> &edit)
{
    RegistryTree tree = m_tree;
    const long status = edit(tree);
    if (status == Success)
        m_tree = tree;
    return status;
}

} // namespace velmora::platform
