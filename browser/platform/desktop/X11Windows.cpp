#include "X11Windows.h"

#include <QApplication>
#include <QColor>
#include <QDeadlineTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QPlatformSurfaceEvent>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace velmora::platform {

namespace {

xcb_connection_t *xConnection()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return nullptr;
    const auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// One channel of colour placed at the visual's mask.
quint32 channel(int value, quint32 mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const quint32 top = mask >> shift;
    return (quint32(value) * top / 255u) << shift;
}

// The pixel value of colour in the window's own visual, or false when the
// visual is not a true-colour one.
bool pixelOf(xcb_connection_t *connection, xcb_window_t window, const QColor &colour,
             quint32 *pixel)
{
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    if (!attributes)
        return false;
    const xcb_visualid_t visual = attributes->visual;
    std::free(attributes);
    const xcb_setup_t *setup = xcb_get_setup(connection);
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(setup); screen.rem;
         xcb_screen_next(&screen)) {
        for (xcb_depth_iterator_t depth = xcb_screen_allowed_depths_iterator(screen.data);
             depth.rem; xcb_depth_next(&depth)) {
            for (xcb_visualtype_iterator_t type = xcb_depth_visuals_iterator(depth.data);
                 type.rem; xcb_visualtype_next(&type)) {
                if (type.data->visual_id != visual)
                    continue;
                if (type.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR
                    && type.data->_class != XCB_VISUAL_CLASS_DIRECT_COLOR)
                    return false;
                *pixel = channel(colour.red(), type.data->red_mask)
                    | channel(colour.green(), type.data->green_mask)
                    | channel(colour.blue(), type.data->blue_mask);
                // A window with an alpha channel is opaque where filled.
                if (depth.data->depth == 32)
                    *pixel |= ~(type.data->red_mask | type.data->green_mask
                                | type.data->blue_mask);
                return true;
            }
        }
    }
    return false;
}

QColor windowColour(QWindow *window)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == window)
                return widget->palette().color(QPalette::Window);
        }
    }
    return QGuiApplication::palette().color(QPalette::Window);
}

// Sets the background of each top-level window when its native window is
// made, before it is first shown.
class WindowFiller final : public QObject
{
public:
    explicit WindowFiller(xcb_connection_t *connection)
        : QObject(QCoreApplication::instance()), m_connection(connection)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::PlatformSurface)
            return false;
        auto *window = qobject_cast<QWindow *>(watched);
        const auto *surface = static_cast<QPlatformSurfaceEvent *>(event);
        if (!window || surface->surfaceEventType() != QPlatformSurfaceEvent::SurfaceCreated
            || window->parent() || window->format().hasAlpha())
            return false;
        const auto native = xcb_window_t(window->winId());
        quint32 pixel = 0;
        if (native && pixelOf(m_connection, native, windowColour(window), &pixel)) {
            xcb_change_window_attributes(m_connection, native, XCB_CW_BACK_PIXEL, &pixel);
            xcb_flush(m_connection);
        }
        return false;
    }

private:
    xcb_connection_t *m_connection;
};

} // namespace

void fillWindowsBeforePaint()
{
    if (xcb_connection_t *connection = xConnection())
        new WindowFiller(connection);
}

QMargins frameExtentsBeforeShow(QWidget *window, int timeoutMs)
{
    xcb_connection_t *connection = xConnection();
    if (!connection || !window || !window->isWindow() || window->isVisible())
        return {};
    const xcb_atom_t request = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(connection, "_NET_FRAME_EXTENTS");
    const xcb_atom_t supported = atom(connection, "_NET_SUPPORTED");
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE)
        return {};

    // Only a window manager that says it answers is asked.
    bool answers = false;
    xcb_get_property_reply_t *list = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, screen->root, supported, XCB_ATOM_ATOM, 0, 4096),
        nullptr);
    if (list && list->format == 32) {
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(list));
        const int count = xcb_get_property_value_length(list) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count && !answers; ++i)
            answers = atoms[i] == request;
    }
    std::free(list);
    if (!answers)
        return {};

    // Asked for a stand-in window of the same kind, never mapped: the real
    // one is then made at its final size, as the engine's drawing surface
    // keeps the size a window had when it was made until its first frame.
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0,
                      quint16(std::max(1, window->width())), quint16(std::max(1, window->height())),
                      0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = probe;
    message.type = request;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);

    // The answer is a property on the window; asked again until it is there.
    QMargins margins;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, probe, extents, XCB_ATOM_CARDINAL, 0, 4),
            nullptr);
        bool got = false;
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 16) {
            const auto *v = static_cast<const quint32 *>(xcb_get_property_value(reply));
            // Left, right, top, bottom; a frame over a screen's size is not one.
            got = v[0] < 4096 && v[1] < 4096 && v[2] < 4096 && v[3] < 4096;
            if (got)
                margins = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
        }
        std::free(reply);
        if (got || deadline.hasExpired())
            break;
        QThread::msleep(2);
    }
    xcb_destroy_window(connection, probe);
    xcb_flush(connection);
    return margins;
}

} // namespace velmora::platform
