#pragma once

#include "WebDownload.h"

namespace velmora::platform {

// A download without an engine: a test drives its progress and its end.
class FakeWebDownload final : public WebDownload
{
    Q_OBJECT
public:
    FakeWebDownload(const QUrl &url, const QString &suggestedName, qint64 total, QObject *parent);

    QUrl url() const override { return m_url; }
    QString suggestedFileName() const override { return m_suggested; }
    QString mimeType() const override { return QStringLiteral("application/octet-stream"); }
    qint64 totalBytes() const override { return m_total; }
    qint64 receivedBytes() const override { return m_received; }
    State state() const override { return m_state; }
    QString path() const override { return m_path; }
    QString errorText() const override { return m_error; }
    void accept(const QString &path) override;
    void cancel() override;

    // Left unaccepted by the host: dropped, as the engine drops it.
    void fakeDrop();
    void fakeProgress(qint64 received);
    void fakeComplete();
    void fakeFail(const QString &reason);

    int cancelCalls = 0;

private:
    void finish(State state);

    QUrl m_url;
    QString m_suggested;
    qint64 m_total;
    qint64 m_received = 0;
    State m_state = State::Asking;
    QString m_path;
    QString m_error;
};

} // namespace velmora::platform
