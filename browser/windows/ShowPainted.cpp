#include "ShowPainted.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
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

// Once: at the window's first exposure, after the event that painted it.
class FirstPicture : public QObject
{
public:
    FirstPicture(QWidget *window, std::function<void()> step, int timeoutMs)
        : QObject(window), m_window(window), m_step(std::move(step))
    {
        m_handle = window->windowHandle();
        if (m_handle)
            m_handle->installEventFilter(this);
        QTimer::singleShot(timeoutMs, this, [this] { run(); });
        if (!m_handle || m_handle->isExposed())
            QTimer::singleShot(0, this, [this] { run(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The exposure is painted and flushed before the loop runs this.
        if (watched == m_handle && event->type() == QEvent::Expose && m_handle->isExposed())
            QTimer::singleShot(0, this, [this] { run(); });
        return false;
    }

private:
    void run()
    {
        if (m_done)
            return;
        m_done = true;
        if (m_handle)
            m_handle->removeEventFilter(this);
        const std::function<void()> step = std::move(m_step);
        deleteLater();
        step();
    }

    QWidget *m_window;
    QPointer<QWindow> m_handle;
    std::function<void()> m_step;
    bool m_done = false;
};

} // namespace

void afterFirstPicture(QWidget *window, std::function<void()> step, int timeoutMs)
{
    if (!window)
        return;
    new FirstPicture(window, std::move(step), timeoutMs);
}

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
