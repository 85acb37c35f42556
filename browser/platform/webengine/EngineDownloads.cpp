#include "EngineDownloads.h"

#include "EnginePage.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace velmora::platform {

EngineDownload::EngineDownload(QWebEngineDownloadRequest *request)
    : WebDownload(request)
    , m_request(request)
{
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this] { emit progress(receivedBytes(), totalBytes()); });
    connect(request, &QWebEngineDownloadRequest::isFinishedChanged, this, [this] {
        if (m_request && m_request->isFinished())
            emit finished();
    });
}

QUrl EngineDownload::url() const
{
    return m_request ? m_request->url() : QUrl();
}

QString EngineDownload::suggestedFileName() const
{
    return m_request ? m_request->suggestedFileName() : QString();
}

QString EngineDownload::mimeType() const
{
    return m_request ? m_request->mimeType() : QString();
}

qint64 EngineDownload::totalBytes() const
{
    return m_request ? m_request->totalBytes() : -1;
}

qint64 EngineDownload::receivedBytes() const
{
    return m_request ? m_request->receivedBytes() : 0;
}

WebDownload::State EngineDownload::state() const
{
    if (!m_request)
        return State::Cancelled;
    switch (m_request->state()) {
    case QWebEngineDownloadRequest::DownloadRequested: return State::Asking;
    case QWebEngineDownloadRequest::DownloadInProgress: return State::Running;
    case QWebEngineDownloadRequest::DownloadCompleted: return State::Completed;
    case QWebEngineDownloadRequest::DownloadCancelled:
        // Accepted and not cancelled here: the engine gave up (no folder to write to).
        return !m_path.isEmpty() && !m_cancelled ? State::Failed : State::Cancelled;
    case QWebEngineDownloadRequest::DownloadInterrupted: return State::Failed;
    }
    return State::Failed;
}

QString EngineDownload::path() const
{
    return m_path;
}

QString EngineDownload::errorText() const
{
    return m_request ? m_request->interruptReasonString() : QString();
}

void EngineDownload::accept(const QString &path)
{
    if (!m_request || m_request->state() != QWebEngineDownloadRequest::DownloadRequested
        || path.isEmpty())
        return;
    const QFileInfo target(path);
    m_path = target.absoluteFilePath();
    m_request->setDownloadDirectory(target.absolutePath());
    m_request->setDownloadFileName(target.fileName());
    m_request->accept();
}

void EngineDownload::cancel()
{
    if (m_request && !m_request->isFinished()) {
        m_cancelled = true;
        m_request->cancel();
    }
}

void routeDownloads(QWebEngineProfile *profile)
{
    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest *request) {
                         // Saving a page is the program's own; it has its file.
                         if (request->isSavePageDownload())
                             return;
                         auto *page = dynamic_cast<EnginePage *>(request->page());
                         if (page && page->owner()) {
                             auto *download = new EngineDownload(request);
                             emit page->owner()->DownloadRequested(download);
                         }
                         if (request->state() == QWebEngineDownloadRequest::DownloadRequested)
                             request->cancel();
                     });
}

} // namespace velmora::platform
