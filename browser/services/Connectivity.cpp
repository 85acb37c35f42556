#include "Connectivity.h"

#include "DialUp.h"
#include "InternetCache.h"
#include "Services.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>

#include <cstring>

namespace velmora::services {

bool isWinNT(const platform::SystemFacts &system)
{
    return system.isWinNT();
}

bool isConnected(const platform::DialUp &dialUp)
{
    const auto connections = dialUp.activeConnections();
    return connections && !connections->isEmpty() && connections->first().connected;
}

int enumEntries(const platform::DialUp &dialUp, QStringList &names)
{
    names.clear();
    if (const auto entries = dialUp.entries())
        names = *entries;
    return int(names.size());
}

void addConnection(QMenu &menu, std::vector<QAction *> &MnuConnections, const QString &name,
                   bool enabled)
{
    QAction *element = menu.addAction(name);
    element->setObjectName(QStringLiteral("MnuConnections_%1").arg(MnuConnections.size()));
    element->setEnabled(enabled);
    element->setVisible(true);
    MnuConnections.push_back(element);
    if (QAction *none = MnuConnections.front(); none != element)
        none->setVisible(false);
}

int fillConnections(const platform::DialUp &dialUp, QMenu &menu,
                    std::vector<QAction *> &MnuConnections, bool enabled)
{
    QStringList names;
    const int n = enumEntries(dialUp, names);
    for (int i = 0; i < n; ++i)
        addConnection(menu, MnuConnections, names.at(i), enabled);
    return n;
}

void dialConnection(platform::DialUp &dialUp, const QString &name)
{
    dialUp.dial(name);
}

void hangUp(platform::DialUp &dialUp)
{
    const auto connections = dialUp.activeConnections();
    if (!connections)
        return;
    for (const platform::DialUpConnection &connection : *connections)
        dialUp.hangUp(connection);
}

bool isOffline(const platform::InternetState &state)
{
    return state.isOffline();
}

void setOffline(platform::InternetState &state, bool offline, bool force)
{
    Q_UNUSED(force);
    state.setOffline(offline);
}

CacheLookupError::CacheLookupError(const QString &source, const QString &description)
    : RuntimeError(CacheEntryMissing, description.toStdString()),
      m_source(source),
      m_description(description)
{
}

bool isUrlCached(const platform::InternetCache &cache, const QString &address)
{
    const int code = cache.findEntry(address);
    if (code == 0)
        return true;
    throw CacheLookupError(programName() + QStringLiteral(".mCacheEntry"), apiErrorText(code));
}

QString apiErrorText(int code)
{
    if (!::strerrordesc_np(code))
        return {};
    return QString::fromLocal8Bit(std::strerror(code));
}

QString programName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    return QCoreApplication::applicationName();
}

} // namespace velmora::services
