#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

namespace velmora::mainwindow {

// Lets a top-level window put its painting on screen at most once per
// frame. Every flush of a window that holds engine pages composes the whole
// window again; when many small changes come one event apart (a burst of new
// tabs, each reporting progress, titles and status text), they are gathered
// into the next frame instead of each costing a flush of its own.
class FlushPacer final : public QObject
{
public:
    static constexpr int FrameMs = 16;

    explicit FlushPacer(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    QElapsedTimer m_lastFlush;
    QTimer m_next;
    bool m_releasing = false;
};

} // namespace velmora::mainwindow
