#include "RegistryAccess.h"

#include "RuntimeFiles.h"

#include <QtEndian>

namespace velmora::services {

using platform::Registry;

namespace {

constexpr qsizetype StringBuffer = 255;
constexpr qsizetype DwordBuffer = 4;

// The extended create first; the plain one when the store refuses it.
bool createKey(Registry &registry, quint32 root, const QString &subKey, Registry::Access access)
{
    return registry.createKey(root, subKey, access) == Registry::Success
           || registry.createKey(root, subKey, Registry::Access::Default) == Registry::Success;
}

} // namespace

void regWriteDword(Registry &registry, quint32 root, const QString &subKey,
                   const QString &valueName, qint32 data)
{
    if (!createKey(registry, root, subKey, Registry::Access::Full))
        return;
    QByteArray bytes(DwordBuffer, '\0');
    qToLittleEndian(data, bytes.data());
    registry.setValue(root, subKey, valueName, Registry::Value{Registry::Type::Dword, bytes});
}

QString regReadString(const Registry &registry, quint32 root, const QString &subKey,
                      const QString &valueName)
{
    if (registry.openKey(root, subKey, Registry::Access::Full) != Registry::Success)
        return {};
    Registry::Value value;
    if (registry.queryValue(root, subKey, valueName, StringBuffer, &value) != Registry::Success)
        return {};
    // The reported length counts a terminating NUL.
    const qsizetype length = value.data.size();
    if (length <= 1)
        return {};
    return runtime::decodeAnsi(value.data.left(length - 1));
}

void regWriteString(Registry &registry, quint32 root, const QString &subKey,
                    const QString &valueName, const QString &data)
{
    if (!createKey(registry, root, subKey, Registry::Access::Write))
        return;
    registry.setValue(root, subKey, valueName,
                      Registry::Value{Registry::Type::String, runtime::encodeAnsi(data)});
}

qint32 regReadDword(const Registry &registry, quint32 root, const QString &subKey,
                    const QString &valueName)
{
    if (registry.openKey(root, subKey, Registry::Access::Default) != Registry::Success)
        return 0;
    Registry::Value value;
    if (registry.queryValue(root, subKey, valueName, DwordBuffer, &value) != Registry::Success)
        return 0;
    QByteArray bytes = value.data;
    bytes.resize(DwordBuffer, '\0');
    return qFromLittleEndian<qint32>(bytes.constData());
}

long regDeleteValue(Registry &registry, quint32 root, const QString &subKey,
                    const QString &valueName)
{
    if (registry.openKey(root, subKey, Registry::Access::Default) != Registry::Success)
        return 0;
    return registry.deleteValue(root, subKey, valueName);
}

} // namespace velmora::services
