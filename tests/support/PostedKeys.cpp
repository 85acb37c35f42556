#include "PostedKeys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace velmora::test {

namespace {

class PressSeen : public QObject
{
public:
    PressSeen(int key, const QElapsedTimer &clock) : m_key(key), m_clock(clock) {}
    qint64 delay = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A key that is a shortcut reaches the window as its override query
        // alone.
        const bool press
            = event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride;
        if (delay < 0 && press && static_cast<QKeyEvent *>(event)->key() == m_key)
            delay = m_clock.elapsed();
        return QObject::eventFilter(watched, event);
    }

private:
    int m_key;
    const QElapsedTimer &m_clock;
};

} // namespace

bool activateForKeys(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

qint64 postedKeyDelayMs(QWidget &window, int key, Qt::KeyboardModifiers modifiers, int timeoutMs)
{
    QPointer<QWidget> target = window.focusWidget() ? window.focusWidget() : &window;
    QElapsedTimer clock;
    PressSeen seen(key, clock);
    qApp->installEventFilter(&seen);
    clock.start();
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, modifiers));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
    while (seen.delay < 0 && clock.elapsed() < timeoutMs)
        QTest::qWait(1);
    qApp->removeEventFilter(&seen);
    return seen.delay;
}

} // namespace velmora::test
