#pragma once

#include "InternetCache.h"
#include "MhtmlArchive.h"
#include "WriteFailures.h"

#include <QHash>
#include <QSet>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <optional>

class QWebEngineDownloadRequest;
class QWebEnginePage;

namespace velmora::platform {

// The pages kept for offline work: a web archive of each page saved when it
// completes loading online, one file per address (named by a hash of the
// address, so no address reaches a file name) under
// <cache home>/olk_Browser/pages. The least recently used archives go once
// the folder outgrows its cap. Offline navigation is served from here, and
// lookups answer from here, so the two always agree.
class EngineOfflineCache final : public QObject, public InternetCache
{
    Q_OBJECT
public:
    static constexpr qint64 DefaultCap = 512LL * 1024 * 1024;

    explicit EngineOfflineCache(const QString &folder = defaultFolder(),
                                qint64 capBytes = DefaultCap, QObject *parent = nullptr);
    ~EngineOfflineCache() override;

    static QString defaultFolder();
    QString folder() const { return m_folder; }
    // The most the folder may hold; applies from the next save.
    void setCap(qint64 capBytes) { m_cap = capBytes; }

    // 0 when a whole archive of the page is held; ENOENT when not (or the
    // folder is missing); EACCES when the folder cannot be read.
    int findEntry(const QString &address) const override;

    // Saves the page shown now; written under a temporary name and put in
    // place only once complete.
    void snapshot(QWebEnginePage *page);
    // Follows the profile's downloads, where the saves are made.
    void watchDownload(QWebEngineDownloadRequest *download);

    // The page of the archive kept for an address; null when none is held
    // or the archive is damaged.
    std::optional<MhtmlArchive::Part> findPage(const QString &address);
    // A part (a picture, a style sheet) for the address in an archive opened
    // lately of a page of this site (scheme, host and port of the page):
    // a kept page gets its own parts, never another site's page.
    std::optional<MhtmlArchive::Part> findPart(const QString &site, const QString &address) const;
    bool holdsPart(const QString &site, const QString &address) const;
    // "scheme://host:port" of a web address.
    static QString siteOf(const QUrl &url);

    QString archivePath(const QString &address) const;
    // Where failed saves are raised; none by default.
    void setWriteFailures(WriteFailures *failures) { m_failures = failures; }
    // Deletes every page kept. False when some could not be deleted.
    bool clear();
    // Saves in progress (tests and the benchmark wait for them).
    int pendingSaves() const
    {
        return int(m_pending.size() + std::count_if(m_reading.cbegin(), m_reading.cend(),
                                                    [](const auto &page) { return !page.isNull(); }));
    }

private:
    // Starts the engine's save of the page into a temporary file.
    bool saveArchive(QWebEnginePage *page, const QString &address);
    void dropCopy(const QString &part);
    void finishSave(QWebEngineDownloadRequest *download);
    void evict();
    const MhtmlArchive *open(const QString &address);

    QString m_folder;
    qint64 m_cap;
    WriteFailures *m_failures = nullptr;
    // Temporary path -> the address being saved.
    QHash<QString, QString> m_pending;
    // Pages whose document is being read, and copies loading.
    QList<QPointer<QWebEnginePage>> m_reading;
    // The copies being saved, by temporary path.
    QHash<QString, QPointer<QWebEnginePage>> m_copies;
    // The saves the engine has begun writing.
    QSet<QString> m_started;
    struct Opened
    {
        QString page; // the address form of the page
        QString site; // siteOf the page
        std::shared_ptr<MhtmlArchive> archive;
        QHash<QString, qsizetype> parts; // address form -> part index
    };
    // The archives opened lately, newest first; pages request their parts
    // right after the page itself.
    QList<Opened> m_recent;
};

} // namespace velmora::platform
