#include "ShowPainted.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace velmora::windows {

namespace {

// Ends the wait as soon as the window is exposed.
class ExposeWatch : public QObject
{
public:
    ExposeWatch(QWindow *window, QEventLoop &loop) : m_window(window), m_loop(loop)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed())
            m_loop.quit();
        return false;
    }

private:
    QWindow *m_window;
    QEventLoop &m_loop;
};

} // namespace

bool showPainted(QWidget *window, int timeoutMs)
{
    if (!window)
        return false;
    window->show();
    window->raise();
    QWindow *handle = window->windowHandle();
    if (!handle)
        return false;
    if (!handle->isExposed()) {
        QEventLoop loop;
        ExposeWatch watch(handle, loop);
        QTimer::singleShot(timeoutMs, &loop, [&loop] { loop.quit(); });
        if (!handle->isExposed())
            loop.exec();
    }
    if (!handle->isExposed())
        return false;
    // Paints now and hands the picture to the window system.
    window->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

} // namespace velmora::windows
