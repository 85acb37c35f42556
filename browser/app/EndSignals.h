#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace velmora {

// Turns the signals that end a process from outside (SIGTERM, SIGHUP,
// SIGINT) into a call on the event loop, so that the program closes the way
// it always does rather than dying mid-write. The handler only writes the
// signal's number to a pipe, which is all a handler may safely do.
class EndSignals : public QObject
{
public:
    explicit EndSignals(std::function<void(int)> onSignal, QObject *parent = nullptr);
    ~EndSignals() override;

private:
    void readSignal();

    std::function<void(int)> m_onSignal;
    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace velmora
