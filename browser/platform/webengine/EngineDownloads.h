#pragma once

#include "WebDownload.h"

#include <QPointer>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace velmora::platform {

// A download of the engine. It belongs to the engine's request.
class EngineDownload final : public WebDownload
{
    Q_OBJECT
public:
    explicit EngineDownload(QWebEngineDownloadRequest *request);

    QUrl url() const override;
    QString suggestedFileName() const override;
    QString mimeType() const override;
    qint64 totalBytes() const override;
    qint64 receivedBytes() const override;
    State state() const override;
    QString path() const override;
    QString errorText() const override;
    void accept(const QString &path) override;
    void cancel() override;

private:
    QPointer<QWebEngineDownloadRequest> m_request;
    QString m_path;
    bool m_cancelled = false; // by cancel(); the engine also cancels what it cannot write
};

// Hands each download of the profile to the control whose page started it;
// one nobody accepts is cancelled before anything is written.
void routeDownloads(QWebEngineProfile *profile);

} // namespace velmora::platform
