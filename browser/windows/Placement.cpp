#include "Placement.h"

#include "Program.h"
#include "frmMain.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace velmora::windows {

namespace {

int keptInside(int start, int length, int areaStart, int areaLength)
{
    // Too long to fit: the start edge stays visible.
    if (length >= areaLength)
        return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

} // namespace

QPoint keptOnScreen(const QRect &frame, const QRect &screen)
{
    if (screen.isEmpty())
        return frame.topLeft();
    return {keptInside(frame.x(), frame.width(), screen.x(), screen.width()),
            keptInside(frame.y(), frame.height(), screen.y(), screen.height())};
}

QPoint centredOver(const QRect &owner, const QSize &frame, const QRect &screen)
{
    const QPoint centre = owner.isValid() ? owner.center() : screen.center();
    const QRect placed(QPoint(centre.x() - frame.width() / 2, centre.y() - frame.height() / 2),
                       frame);
    return keptOnScreen(placed, screen);
}

QRect screenArea(Program &program)
{
    return QRect(QPoint(0, 0), program.system().screenPixels());
}

void placeOverMainWindow(QWidget *window, Program &program)
{
    if (!window)
        return;
    QRect owner;
    if (program.hasMainWindow()) {
        const QWidget &main = program.mainWindow();
        if (main.isVisible())
            owner = main.frameGeometry();
    }
    window->move(centredOver(owner, window->frameGeometry().size(), screenArea(program)));
}

void keepOnScreen(QWidget *window, Program &program)
{
    if (!window)
        return;
    const QRect frame = window->frameGeometry();
    const QPoint inside = keptOnScreen(frame, screenArea(program));
    if (inside != frame.topLeft())
        window->move(inside);
}

void fitFrame(QWidget *window, const QRect &outer)
{
    if (!window || !outer.isValid())
        return;
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
    window->resize(outer.width() - margins.left() - margins.right(),
                   outer.height() - margins.top() - margins.bottom());
    window->move(outer.topLeft());
}

namespace {

// Fits the frame once, at the window's first exposure.
class FrameFitter : public QObject
{
public:
    FrameFitter(QWidget *window, const QRect &outer)
        : QObject(window->windowHandle()), m_window(window), m_outer(outer)
    {
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && watched == parent()) {
            // The user may have moved or sized it already; only a window
            // still where the load put it is refitted.
            if (m_window && m_window->windowState() == Qt::WindowNoState
                && m_window->pos() == m_outer.topLeft())
                fitFrame(m_window, m_outer);
            deleteLater();
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
    QRect m_outer;
};

} // namespace

void fitFrameOnShow(QWidget *window, const QRect &outer)
{
    if (!window || !outer.isValid() || window->windowState() != Qt::WindowNoState)
        return;
    fitFrame(window, outer);
    if (window->windowHandle() && !window->windowHandle()->isExposed())
        new FrameFitter(window, outer);
}

void bringToFront(QWidget *window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

} // namespace velmora::windows
