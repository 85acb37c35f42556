#include "EventLoop.h"

#include <QEventLoop>
#include <QTimer>

namespace velmora::test {

bool spinUntil(const std::function<bool()> &condition, int ms)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    poll.start(5);
    loop.exec();
    return condition();
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace velmora::test
