#include "Connectivity.h"

#include "DialUp.h"
#include "InternetCache.h"
#include "Services.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenu>

#include <cstring>
#include <memory>

namespace velmora::services {

bool isWinNT(const platform::SystemFacts &system)
{
    return system.isWinNT();
}

bool isConnected(const std::optional<QList<platform::DialUpConnection>> &connections)
{
    return connections && !connections->isEmpty() && connections->first().connected;
}

void isConnected(platform::DialUp &dialUp, std::function<void(bool connected)> answer)
{
    dialUp.activeConnections(
        [answer = std::move(answer)](const std::optional<QList<platform::DialUpConnection>> &list,
                                     const platform::DialUpError &) { answer(isConnected(list)); });
}

void enumEntries(platform::DialUp &dialUp,
                 std::function<void(const QStringList &names, const platform::DialUpError &error)>
                     answer)
{
    dialUp.entries([answer = std::move(answer)](const std::optional<QStringList> &entries,
                                                const platform::DialUpError &error) {
        answer(entries ? *entries : QStringList(), error);
    });
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

int addConnections(QMenu &menu, std::vector<QAction *> &MnuConnections, const QStringList &names,
                   bool enabled)
{
    for (const QString &name : names)
        addConnection(menu, MnuConnections, name, enabled);
    return int(names.size());
}

void dialConnection(platform::DialUp &dialUp, const QString &name,
                    platform::DialUp::DoneAnswer answer)
{
    dialUp.dial(name, std::move(answer));
}

void hangUp(platform::DialUp &dialUp, std::function<void(const HangUpResult &result)> answer)
{
    dialUp.activeConnections([&dialUp, answer = std::move(answer)](
                                 const std::optional<QList<platform::DialUpConnection>> &list,
                                 const platform::DialUpError &error) {
        if (!list) {
            answer({0, false, error});
            return;
        }
        if (list->isEmpty()) {
            answer({0, true, {}});
            return;
        }
        struct Pending
        {
            qsizetype left = 0;
            HangUpResult result;
        };
        auto pending = std::make_shared<Pending>();
        pending->left = list->size();
        for (const platform::DialUpConnection &connection : *list) {
            // The object answers only while it lives, so it outlives this call.
            dialUp.hangUp(connection, [pending, answer](const platform::DialUpError &failure) {
                if (failure.failed()) {
                    if (!pending->result.error.failed())
                        pending->result.error = failure;
                } else {
                    ++pending->result.ended;
                }
                if (--pending->left == 0)
                    answer(pending->result);
            });
        }
    });
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
