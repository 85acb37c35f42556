#include "ContentSettings.h"

#include "RegistryAccess.h"
#include "RuntimeFiles.h"

using namespace Qt::StringLiterals;

namespace velmora::services {

using platform::Registry;

namespace {

QString engineKey()
{
    return QString::fromUtf16(content::EngineKey);
}

// A value present reads as the menu reads it: exactly "yes" is on. A
// missing value leaves the engine's default, on. The engine reads with read
// access only, so a key the menu may not change still counts.
bool engineSaysOn(const Registry &registry, quint32 root, const char16_t *valueName)
{
    const QString key = engineKey();
    const QString name = QString::fromUtf16(valueName);
    Registry::Value value;
    if (registry.openKey(root, key, Registry::Access::Read) != Registry::Success
        || registry.queryValue(root, key, name, 255, &value) != Registry::Success)
        return true;
    if (value.type != Registry::Type::String)
        return false;
    QByteArray bytes = value.data;
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return runtime::decodeAnsi(bytes) == "yes"_L1;
}

} // namespace

quint32 engineRoot(bool winNT)
{
    return winNT ? platform::HKEY_CURRENT_USER : platform::HKEY_LOCAL_MACHINE;
}

QString changeNoticeText(quint32 root, const QString &valueName)
{
    return platform::registryRootName(root) + u'\\' + engineKey() + u'\\' + valueName;
}

bool readTextSwitch(const Registry &registry, quint32 root, const QString &valueName)
{
    return regReadString(registry, root, engineKey(), valueName) == "yes"_L1;
}

void writeTextSwitch(Registry &registry, quint32 root, const QString &valueName, bool on)
{
    regWriteString(registry, root, engineKey(), valueName, on ? u"yes"_s : u"no"_s);
}

bool readFlashSwitch(const Registry &registry)
{
    return regReadDword(registry, platform::HKEY_LOCAL_MACHINE,
                        QString::fromUtf16(content::FlashKey),
                        QString::fromUtf16(content::FlashValue))
           != content::FlashKillBit;
}

void writeFlashSwitch(Registry &registry, bool on)
{
    const QString key = QString::fromUtf16(content::FlashKey);
    const QString name = QString::fromUtf16(content::FlashValue);
    if (on)
        regDeleteValue(registry, platform::HKEY_LOCAL_MACHINE, key, name);
    else
        regWriteDword(registry, platform::HKEY_LOCAL_MACHINE, key, name, content::FlashKillBit);
}

platform::ContentSettings engineContentSettings(const Registry &registry, quint32 root)
{
    // The pages follow the reading the menu marks show.
    const auto on = [&](const char16_t *name) { return engineSaysOn(registry, root, name); };
    platform::ContentSettings settings;
    settings.pictures = on(content::Pictures);
    settings.videos = on(content::Videos);
    settings.sounds = on(content::Sounds);
    settings.animations = on(content::Animations);
    return settings;
}

} // namespace velmora::services
