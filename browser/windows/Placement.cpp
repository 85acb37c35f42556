#include "Placement.h"

#include "Program.h"
#include "frmMain.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>

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

namespace {

QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(),
            frame.right() - inner.right(), frame.bottom() - inner.bottom()};
}

// Runs a step once, when the window is first exposed: only then has the
// window manager framed it, so only then is its frame's size known.
class WhenFramed : public QObject
{
public:
    WhenFramed(QWidget *window, std::function<void()> step)
        : QObject(window), m_window(window), m_step(std::move(step))
    {
        window->installEventFilter(this);
        watchHandle();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show)
            watchHandle();
        if (watched == m_handle && event->type() == QEvent::Expose && m_handle->isExposed()
            && !m_done) {
            m_done = true;
            m_window->removeEventFilter(this);
            m_handle->removeEventFilter(this);
            m_step();
            deleteLater();
        }
        return false;
    }

private:
    void watchHandle()
    {
        QWindow *handle = m_window->windowHandle();
        if (handle && handle != m_handle) {
            m_handle = handle;
            handle->installEventFilter(this);
        }
    }

    QWidget *m_window;
    QPointer<QWindow> m_handle;
    std::function<void()> m_step;
    bool m_done = false;
};

} // namespace

void whenFramed(QWidget *window, std::function<void()> step)
{
    if (window->windowHandle() && window->windowHandle()->isExposed())
        step();
    else
        new WhenFramed(window, std::move(step));
}

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

namespace {

// Platforms differ in whether a window's position is that of its frame or
// of its inner area; moving by the difference works on all of them.
void moveInnerTo(QWidget *window, const QPoint &inner)
{
    window->move(window->pos() + (inner - window->geometry().topLeft()));
}

// The inner top-left corner that centres window over owner (inner areas),
// with the whole frame kept on the screen.
QPoint centredInner(QWidget *window, const QRect &owner, const QRect &screen)
{
    const QRect inner = window->geometry();
    const QRect frame = window->frameGeometry();
    const QPoint toInner = inner.topLeft() - frame.topLeft();
    // The frame placed so that the inner areas share their centre.
    const QPoint centre = owner.isValid() ? owner.center() : screen.center();
    const QPoint innerAt(centre.x() - inner.width() / 2, centre.y() - inner.height() / 2);
    return keptOnScreen(QRect(innerAt - toInner, frame.size()), screen) + toInner;
}

} // namespace

void placeOverMainWindow(QWidget *window, Program &program)
{
    if (!window)
        return;
    QRect owner;
    if (program.hasMainWindow()) {
        const QWidget &main = program.mainWindow();
        if (main.isVisible())
            owner = main.geometry();
    }
    const QRect screen = screenArea(program);
    moveInnerTo(window, centredInner(window, owner, screen));
    // Centred again once the window manager has framed it, unless something
    // else placed it meanwhile; the frame may have pushed it by its own size.
    const QPoint placed = window->geometry().topLeft();
    QPointer<QWidget> guarded(window);
    whenFramed(window, [guarded, owner, screen, placed] {
        if (!guarded)
            return;
        const QMargins m = frameMargins(guarded);
        const QPoint now = guarded->geometry().topLeft();
        if (now == placed || now == placed + QPoint(m.left(), m.top()))
            moveInnerTo(guarded, centredInner(guarded, owner, screen));
    });
}

void keepOnScreen(QWidget *window, Program &program)
{
    if (!window)
        return;
    const QRect frame = window->frameGeometry();
    const QPoint inside = keptOnScreen(frame, screenArea(program));
    if (inside != frame.topLeft())
        moveInnerTo(window, window->geometry().topLeft() + (inside - frame.topLeft()));
}

namespace {

void fitWith(QWidget *window, const QRect &outer, const QMargins &margins)
{
    window->resize(outer.width() - margins.left() - margins.right(),
                   outer.height() - margins.top() - margins.bottom());
    moveInnerTo(window, outer.topLeft() + QPoint(margins.left(), margins.top()));
}

// Fitted again once the window manager's frame is known, if it is not the
// one the window was fitted to, unless something else placed or sized the
// window meanwhile.
void refitWhenFramed(QWidget *window, const QRect &outer, const QMargins &fittedTo)
{
    const QRect placed = window->geometry();
    QPointer<QWidget> guarded(window);
    whenFramed(window, [guarded, outer, fittedTo, placed] {
        if (!guarded || guarded->windowState() != Qt::WindowNoState)
            return;
        const QMargins m = frameMargins(guarded);
        const QRect now = guarded->geometry();
        const bool untouched = now.size() == placed.size()
            && (now.topLeft() == placed.topLeft()
                || now.topLeft() == placed.topLeft() + QPoint(m.left(), m.top()));
        if (m != fittedTo && untouched)
            fitWith(guarded, outer, m);
    });
}

} // namespace

void fitFrame(QWidget *window, const QRect &outer)
{
    if (window && outer.isValid())
        fitWith(window, outer, frameMargins(window));
}

void showFitted(QWidget *window, const QRect &outer, const QMargins &expected)
{
    if (!window)
        return;
    if (expected.isNull() || !outer.isValid() || window->windowState() != Qt::WindowNoState
        || window->testAttribute(Qt::WA_WState_Created)) {
        window->show();
        fitFrameOnShow(window, outer);
        return;
    }
    // Made at its final size; until it is made its position is its frame's.
    window->resize(outer.size().shrunkBy(expected));
    window->move(outer.topLeft());
    window->show();
    refitWhenFramed(window, outer, expected);
}

void fitFrameOnShow(QWidget *window, const QRect &outer)
{
    if (!window || !outer.isValid() || window->windowState() != Qt::WindowNoState)
        return;
    fitFrame(window, outer);
    refitWhenFramed(window, outer, frameMargins(window));
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
