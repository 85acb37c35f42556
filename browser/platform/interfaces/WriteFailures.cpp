#include "WriteFailures.h"

#include <QtGlobal>

namespace velmora::platform {

void WriteFailures::note(DataFile kind, const QString &path, const WriteOutcome &outcome)
{
    if (outcome) {
        m_failing.erase(kind);
        return;
    }
    qWarning("Not saved: %s", qPrintable(outcome.describe(path)));
    if (!m_failing.insert(kind).second)
        return;
    const WriteFailure failure{kind, path, outcome};
    if (m_listener)
        m_listener(failure);
    else
        m_waiting.append(failure);
}

void WriteFailures::setListener(Listener listener)
{
    m_listener = std::move(listener);
    if (!m_listener)
        return;
    const QList<WriteFailure> waiting = std::exchange(m_waiting, {});
    for (const WriteFailure &failure : waiting)
        m_listener(failure);
}

WriteOutcome writeWholeFile(WriteFailures *failures, DataFile kind, const QString &path,
                            QByteArrayView bytes, Existing existing)
{
    const WriteOutcome outcome = writeWholeFile(path, bytes, existing);
    if (failures)
        failures->note(kind, path, outcome);
    return outcome;
}

} // namespace velmora::platform
