#include "EngineOfflineCache.h"

#include "CacheAddress.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include <algorithm>
#include <cerrno>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

// Archives kept parsed in memory for the requests of their parts.
constexpr int RecentArchives = 8;
constexpr qsizetype RecentBytes = 256LL * 1024 * 1024;
constexpr int SaveStartLimitMs = 10000;
// Less free room than this beside a save that failed: the disk was full.
constexpr qint64 NearlyFullBytes = 1024 * 1024;
// A copy is loaded as data, which the engine takes up to 2 MB of once
// encoded; a larger document is saved from the live page.
constexpr qsizetype CopyLimitBytes = 1500 * 1024;

QString addressForm(const QString &address)
{
    return cacheForm(address);
}

// The errno a failed save stands for, or 0 when the disk was not the cause.
// The engine gives a page save that could not write its file no reason of
// its own (it reports a shutdown), so the folder itself is asked.
int engineWriteError(QWebEngineDownloadRequest::DownloadInterruptReason reason,
                     const QString &folder)
{
    using R = QWebEngineDownloadRequest;
    switch (reason) {
    case R::FileNoSpace: return ENOSPC;
    case R::FileAccessDenied: return EACCES;
    case R::FileTooLarge: return EFBIG;
    case R::FileFailed: return EIO;
    default: break;
    }
    const QByteArray name = QFile::encodeName(folder);
    if (::access(name.constData(), W_OK) != 0)
        return EACCES;
    struct statvfs disk = {};
    if (::statvfs(name.constData(), &disk) == 0
        && qint64(disk.f_bavail) * qint64(disk.f_frsize) < NearlyFullBytes)
        return ENOSPC;
    return 0;
}

bool isWebAddress(const QUrl &url)
{
    return url.scheme() == "http"_L1 || url.scheme() == "https"_L1;
}

} // namespace

EngineOfflineCache::EngineOfflineCache(const QString &folder, qint64 capBytes, QObject *parent)
    : QObject(parent)
    , m_folder(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
    , m_cap(capBytes)
{
}

EngineOfflineCache::~EngineOfflineCache()
{
    // Saves still running write into files nobody will put in place.
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        QFile::remove(it.key());
}

QString EngineOfflineCache::defaultFolder()
{
    QString cacheHome = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cacheHome.isEmpty())
        cacheHome = QDir::homePath() + "/.cache"_L1;
    return QDir(cacheHome).filePath(u"olk_Browser/pages"_s);
}

QString EngineOfflineCache::archivePath(const QString &address) const
{
    const QString form = addressForm(address);
    if (form.isEmpty())
        return {};
    const QByteArray hash = QCryptographicHash::hash(form.toUtf8(), QCryptographicHash::Sha1);
    return QDir(m_folder).filePath(QString::fromLatin1(hash.toHex()) + ".mhtml"_L1);
}

int EngineOfflineCache::findEntry(const QString &address) const
{
    const QFileInfo root(m_folder);
    if (!root.exists())
        return ENOENT;
    if (!root.isDir())
        return ENOTDIR;
    if (!root.isReadable() || !root.isExecutable())
        return EACCES;
    const QString path = archivePath(address);
    if (path.isEmpty() || !MhtmlArchive::looksComplete(path))
        return ENOENT;
    return 0;
}

void EngineOfflineCache::snapshot(QWebEnginePage *page)
{
    if (!page || !isWebAddress(page->url()))
        return;
    // Saving a page makes the engine stop it, which cuts the requests it
    // still has going (a held fetch, a long poll): the live page only gives
    // its document, and a copy of it with scripts off is loaded and saved.
    const QUrl url = page->url();
    const bool pictures = page->settings()->testAttribute(QWebEngineSettings::AutoLoadImages);
    QWebEngineProfile *profile = page->profile();
    m_reading.append(page);
    page->toHtml([this, guard = QPointer<QWebEnginePage>(page), url, pictures,
                  profile](const QString &html) {
        m_reading.removeOne(guard);
        // The page went, or moved on while its document was read.
        if (!guard || guard->url() != url)
            return;
        const QByteArray document = html.toUtf8();
        if (document.size() > CopyLimitBytes) {
            saveArchive(guard, url.toString());
            return;
        }
        auto *copy = new QWebEnginePage(profile, this);
        copy->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        copy->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, pictures);
        m_reading.append(copy);
        connect(copy, &QWebEnginePage::loadFinished, this, [this, copy, url](bool ok) {
            m_reading.removeOne(copy);
            if (!ok || !saveArchive(copy, url.toString()))
                copy->deleteLater();
        });
        copy->setContent(document, u"text/html;charset=UTF-8"_s, url);
    });
}

bool EngineOfflineCache::saveArchive(QWebEnginePage *page, const QString &address)
{
    const QString path = archivePath(address);
    if (path.isEmpty())
        return false;
    if (const WriteOutcome made = makeFolder(m_folder); !made) {
        if (m_failures)
            m_failures->note(DataFile::PageCache, m_folder, made);
        return false;
    }
    const QString part = path + u'.'
                         + QString::number(QRandomGenerator::global()->generate64(), 36)
                         + ".part"_L1;
    m_pending.insert(part, address);
    if (page->parent() == this)
        m_copies.insert(part, page);
    page->save(part, QWebEngineDownloadRequest::MimeHtmlSaveFormat);
    // A page that moves on before the engine begins the save never gets it.
    QTimer::singleShot(SaveStartLimitMs, this, [this, part] {
        if (!m_started.contains(part)) {
            m_pending.remove(part);
            dropCopy(part);
        }
    });
    return true;
}

void EngineOfflineCache::dropCopy(const QString &part)
{
    if (QPointer<QWebEnginePage> copy = m_copies.take(part))
        copy->deleteLater();
}

void EngineOfflineCache::watchDownload(QWebEngineDownloadRequest *download)
{
    if (!download || !download->isSavePageDownload())
        return;
    const QString path = QDir::cleanPath(
        QFileInfo(QDir(download->downloadDirectory()).filePath(download->downloadFileName()))
            .absoluteFilePath());
    if (!m_pending.contains(path))
        return;
    download->setProperty("velmoraArchive", path);
    m_started.insert(path);
    if (download->isFinished()) {
        finishSave(download);
        return;
    }
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this,
            [this, download] { finishSave(download); });
}

void EngineOfflineCache::finishSave(QWebEngineDownloadRequest *download)
{
    const QString part = download->property("velmoraArchive").toString();
    if (!download->isFinished() || !m_pending.contains(part))
        return;
    const QString address = m_pending.take(part);
    m_started.remove(part);
    dropCopy(part);
    // The profile keeps every download it reported until told otherwise.
    download->deleteLater();
    const QString path = archivePath(address);
    bool ok = download->state() == QWebEngineDownloadRequest::DownloadCompleted
              && MhtmlArchive::looksComplete(part);
    if (ok) {
        // The archive replaces the old one only once it is flushed whole.
        const WriteOutcome placed = putInPlace(part, path, -1);
        ok = placed.ok;
        if (m_failures)
            m_failures->note(DataFile::PageCache, path, placed);
    } else {
        QFile::remove(part);
        if (m_failures) {
            const int error = engineWriteError(download->interruptReason(), m_folder);
            if (error != 0)
                m_failures->note(DataFile::PageCache, path,
                                 WriteOutcome{false, error, "save", false});
        }
    }
    const QString form = addressForm(address);
    m_recent.removeIf([&](const Opened &opened) { return opened.page == form; });
    if (ok)
        evict();
}

bool EngineOfflineCache::clear()
{
    m_recent.clear();
    bool all = true;
    const QDir dir(m_folder);
    for (const QFileInfo &file : dir.entryInfoList({u"*.mhtml"_s}, QDir::Files))
        all = QFile::remove(file.absoluteFilePath()) && all;
    return all;
}

void EngineOfflineCache::evict()
{
    QDir dir(m_folder);
    const QFileInfoList files =
        dir.entryInfoList({u"*.mhtml"_s}, QDir::Files, QDir::Time); // newest first
    qint64 total = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        total += files.at(i).size();
        // The newest stays, however large.
        if (i > 0 && total > m_cap)
            QFile::remove(files.at(i).absoluteFilePath());
    }
    // Saves cut off by an earlier end of the program.
    const QDateTime stale = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo &file : dir.entryInfoList({u"*.part"_s}, QDir::Files)) {
        if (!m_pending.contains(file.absoluteFilePath()) && file.lastModified() < stale)
            QFile::remove(file.absoluteFilePath());
    }
}

const MhtmlArchive *EngineOfflineCache::open(const QString &address)
{
    const QString form = addressForm(address);
    if (form.isEmpty())
        return nullptr;
    for (qsizetype i = 0; i < m_recent.size(); ++i) {
        if (m_recent.at(i).page == form) {
            m_recent.move(i, 0);
            return m_recent.first().archive.get();
        }
    }
    const QString path = archivePath(address);
    const QFileInfo info(path);
    if (!info.exists())
        return nullptr;
    auto archive = std::make_shared<MhtmlArchive>();
    if (!archive->readFile(path) || addressForm(archive->page()->location) != form) {
        // A damaged archive is dropped, so that lookups stop finding it.
        if (info.isReadable())
            QFile::remove(path);
        return nullptr;
    }
    // Used now: the last to go when the folder is trimmed.
    ::utimes(QFile::encodeName(path).constData(), nullptr);
    Opened opened{form, siteOf(QUrl(form)), archive, {}};
    const QList<MhtmlArchive::Part> &parts = archive->parts();
    for (qsizetype i = parts.size() - 1; i >= 0; --i)
        opened.parts.insert(addressForm(parts.at(i).location), i);
    m_recent.prepend(opened);
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < m_recent.size(); ++i) {
        bytes += m_recent.at(i).archive->size();
        if (i > 0 && (i >= RecentArchives || bytes > RecentBytes)) {
            m_recent.resize(i);
            break;
        }
    }
    return archive.get();
}

QString EngineOfflineCache::siteOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme + "://"_L1 + url.host().toLower() + u':'
           + QString::number(url.port(scheme == "https"_L1 ? 443 : 80));
}

std::optional<MhtmlArchive::Part> EngineOfflineCache::findPage(const QString &address)
{
    if (const MhtmlArchive *archive = open(address))
        return *archive->page();
    return std::nullopt;
}

std::optional<MhtmlArchive::Part> EngineOfflineCache::findPart(const QString &site,
                                                               const QString &address) const
{
    const QString form = addressForm(address);
    for (const Opened &opened : std::as_const(m_recent)) {
        if (opened.site != site)
            continue;
        const auto it = opened.parts.constFind(form);
        if (it != opened.parts.cend())
            return opened.archive->parts().at(*it);
    }
    return std::nullopt;
}

bool EngineOfflineCache::holdsPart(const QString &site, const QString &address) const
{
    const QString form = addressForm(address);
    return std::any_of(m_recent.cbegin(), m_recent.cend(), [&](const Opened &opened) {
        return opened.site == site && opened.parts.contains(form);
    });
}

} // namespace velmora::platform
