#include "FlushPacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace velmora::mainwindow {

FlushPacer::FlushPacer(QWidget *window) : QObject(window), m_window(window)
{
    m_next.setSingleShot(true);
    connect(&m_next, &QTimer::timeout, this, [this] {
        if (!m_window)
            return;
        // The held request is sent now; the window's own bookkeeping still
        // counts it as pending, so no other request comes meanwhile.
        m_releasing = true;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(m_window, &request);
        m_releasing = false;
    });
    window->installEventFilter(this);
}

bool FlushPacer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_window || event->type() != QEvent::UpdateRequest)
        return false;
    if (!m_releasing && m_lastFlush.isValid() && m_lastFlush.elapsed() < FrameMs) {
        if (!m_next.isActive())
            m_next.start(int(FrameMs - m_lastFlush.elapsed()));
        return true;
    }
    m_next.stop();
    m_lastFlush.start();
    return false;
}

} // namespace velmora::mainwindow
