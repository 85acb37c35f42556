#include "FakeWebDownload.h"

namespace velmora::platform {

FakeWebDownload::FakeWebDownload(const QUrl &url, const QString &suggestedName, qint64 total,
                                 QObject *parent)
    : WebDownload(parent)
    , m_url(url)
    , m_suggested(suggestedName)
    , m_total(total)
{
}

void FakeWebDownload::accept(const QString &path)
{
    if (m_state != State::Asking || path.isEmpty())
        return;
    m_path = path;
    m_state = State::Running;
}

void FakeWebDownload::cancel()
{
    ++cancelCalls;
    if (!isFinished())
        finish(State::Cancelled);
}

void FakeWebDownload::fakeDrop()
{
    if (m_state == State::Asking)
        m_state = State::Cancelled;
}

void FakeWebDownload::fakeProgress(qint64 received)
{
    if (m_state != State::Running)
        return;
    m_received = received;
    emit progress(m_received, m_total);
}

void FakeWebDownload::fakeComplete()
{
    if (m_state != State::Running)
        return;
    m_received = m_total < 0 ? m_received : m_total;
    finish(State::Completed);
}

void FakeWebDownload::fakeFail(const QString &reason)
{
    if (m_state != State::Running)
        return;
    m_error = reason;
    finish(State::Failed);
}

void FakeWebDownload::finish(State state)
{
    m_state = state;
    emit finished();
}

} // namespace velmora::platform
