#include "EndSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora {

namespace {

constexpr int handled[] = {SIGTERM, SIGHUP, SIGINT};
volatile std::sig_atomic_t writeEnd = -1;

extern "C" void onEndSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    if (writeEnd >= 0 && ::write(writeEnd, &number, 1) < 0) {
        // Nothing a handler could do about it.
    }
    errno = savedErrno;
}

void setHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : handled)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

EndSignals::EndSignals(std::function<void(int)> onSignal, QObject *parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0)
        return;
    // A full pipe must never block the handler.
    ::fcntl(m_fds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(m_fds[1], F_SETFL, O_NONBLOCK);
    writeEnd = m_fds[1];
    m_notifier = new QSocketNotifier(m_fds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::readSignal);
    setHandler(onEndSignal);
}

EndSignals::~EndSignals()
{
    if (m_fds[0] < 0)
        return;
    setHandler(SIG_DFL);
    writeEnd = -1;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void EndSignals::readSignal()
{
    unsigned char number = 0;
    while (::read(m_fds[0], &number, 1) == 1) {
        if (m_onSignal)
            m_onSignal(number);
    }
}

} // namespace velmora
