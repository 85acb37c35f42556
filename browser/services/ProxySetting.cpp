#include "ProxySetting.h"

#include "SettingsStore.h"

using namespace Qt::StringLiterals;

namespace velmora::services {

using platform::ProxyChoice;

namespace {

const QString Section = u"general"_s;

struct KindName
{
    ProxyChoice::Kind kind;
    QLatin1String name;
};
constexpr KindName Kinds[] = {
    {ProxyChoice::Kind::System, "system"_L1},
    {ProxyChoice::Kind::None, "none"_L1},
    {ProxyChoice::Kind::Http, "http"_L1},
    {ProxyChoice::Kind::Socks, "socks"_L1},
};

} // namespace

bool isUsable(const ProxyChoice &choice)
{
    if (choice.kind == ProxyChoice::Kind::System || choice.kind == ProxyChoice::Kind::None)
        return true;
    const QString host = choice.host;
    if (host.isEmpty() || host.contains(u"://"_s) || host.contains(u'/'))
        return false;
    for (const QChar c : host) {
        if (c.isSpace())
            return false;
    }
    return choice.port > 0 && choice.port <= 65535;
}

ProxyChoice readProxyChoice(const SettingsStore &store)
{
    const QString name = store.GetSetting(Section, u"proxy"_s).trimmed().toLower();
    ProxyChoice choice;
    for (const KindName &k : Kinds) {
        if (name == k.name)
            choice.kind = k.kind;
    }
    if (choice.kind != ProxyChoice::Kind::Http && choice.kind != ProxyChoice::Kind::Socks)
        return choice;
    choice.host = store.GetSetting(Section, u"proxyHost"_s).trimmed();
    bool ok = false;
    choice.port = store.GetSetting(Section, u"proxyPort"_s).trimmed().toInt(&ok);
    if (!ok || !isUsable(choice))
        return {};
    return choice;
}

bool saveProxyChoice(SettingsStore &store, const ProxyChoice &choice)
{
    QLatin1String name;
    for (const KindName &k : Kinds) {
        if (choice.kind == k.kind)
            name = k.name;
    }
    const bool own = choice.kind == ProxyChoice::Kind::Http
                     || choice.kind == ProxyChoice::Kind::Socks;
    bool saved = store.SaveSetting(Section, u"proxy"_s, name);
    saved = store.SaveSetting(Section, u"proxyHost"_s, own ? choice.host : QString()) && saved;
    saved = store.SaveSetting(Section, u"proxyPort"_s, own ? QString::number(choice.port)
                                                           : QString())
            && saved;
    return saved;
}

} // namespace velmora::services
