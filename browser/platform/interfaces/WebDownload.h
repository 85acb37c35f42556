#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace velmora::platform {

// One download a page started. It asks first: nothing is written until
// accept() names the file. Progress and the end are reported by signals.
class WebDownload : public QObject
{
    Q_OBJECT
public:
    enum class State { Asking, Running, Completed, Cancelled, Failed };

    using QObject::QObject;

    virtual QUrl url() const = 0;
    // The file name the server suggests, as it sent it (see safeFileName).
    virtual QString suggestedFileName() const = 0;
    virtual QString mimeType() const = 0;
    // -1 while unknown.
    virtual qint64 totalBytes() const = 0;
    virtual qint64 receivedBytes() const = 0;
    virtual State state() const = 0;
    // The file being written; empty until accepted.
    virtual QString path() const = 0;
    // Why it failed, in the engine's words.
    virtual QString errorText() const = 0;

    // Only while Asking: writes the download to this file.
    virtual void accept(const QString &path) = 0;
    virtual void cancel() = 0;

    bool isFinished() const
    {
        return state() == State::Completed || state() == State::Cancelled
               || state() == State::Failed;
    }

signals:
    void progress(qint64 received, qint64 total);
    // Completed, cancelled or failed.
    void finished();
};

// A file name a server suggested, made safe to put in a folder: only its
// last part counts (no folder, no "..", no drive), without control
// characters or characters a file name cannot hold; "download" when nothing
// is left.
QString safeFileName(const QString &suggested);

} // namespace velmora::platform
