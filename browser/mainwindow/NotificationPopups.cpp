#include "NotificationPopups.h"

#include "WebNotification.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace velmora::mainwindow {

using platform::WebNotification;

NotificationPopup::NotificationPopup(QWidget *owner, WebNotification *notification,
                                     const QString &closeTip)
    : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                        | Qt::WindowDoesNotAcceptFocus)
    , m_notification(notification)
{
    setObjectName(u"notificationPopup"_s);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::Box);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    setFixedWidth(320);

    auto *site = new QLabel(notification->site(), this);
    site->setObjectName(u"site"_s);
    QFont small = site->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    site->setFont(small);
    site->setForegroundRole(QPalette::PlaceholderText);
    auto *cross = new QToolButton(this);
    cross->setObjectName(u"close"_s);
    cross->setText(u"\u00D7"_s);
    cross->setToolTip(closeTip);
    cross->setAutoRaise(true);
    cross->setCursor(Qt::ArrowCursor);
    connect(cross, &QToolButton::clicked, this, &NotificationPopup::dismiss);
    auto *title = new QLabel(notification->title(), this);
    title->setObjectName(u"title"_s);
    title->setTextFormat(Qt::PlainText);
    title->setWordWrap(true);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *message = new QLabel(notification->message(), this);
    message->setObjectName(u"message"_s);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setVisible(!notification->message().isEmpty());

    auto *top = new QHBoxLayout;
    top->addWidget(site, 1);
    top->addWidget(cross);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 4, 4, 10);
    layout->addLayout(top);
    layout->addWidget(title);
    layout->addWidget(message);
    site->setTextFormat(Qt::PlainText);

    connect(notification, &WebNotification::withdrawn, this, &NotificationPopup::drop);
    // The tab's control went, and the notification with it.
    connect(notification, &QObject::destroyed, this, &NotificationPopup::drop);
}

void NotificationPopup::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QFrame::mousePressEvent(event);
    if (m_notification)
        m_notification->click();
    emit clicked();
    dismiss();
}

void NotificationPopup::dismiss()
{
    if (m_notification)
        m_notification->close();
    drop();
}

void NotificationPopup::drop()
{
    if (m_gone)
        return;
    m_gone = true;
    if (m_notification)
        m_notification->deleteLater();
    emit gone();
    close();
}

NotificationPopups::NotificationPopups(QWidget *window, Host host)
    : QObject(window)
    , m_window(window)
    , m_host(std::move(host))
{
    setObjectName(u"notifications"_s);
}

QList<NotificationPopup *> NotificationPopups::popups() const
{
    QList<NotificationPopup *> shown;
    for (const QPointer<NotificationPopup> &popup : m_popups) {
        if (popup)
            shown.append(popup);
    }
    return shown;
}

void NotificationPopups::present(WebNotification *notification, std::function<void()> onClick)
{
    const auto text = [this](const char16_t *ru, const char16_t *en) { return m_host.text(ru, en); };
    if (!m_window->isVisible() || m_window->isMinimized()) {
        // Nowhere to show a popup: the status bar keeps it for when the
        // window comes back.
        QString line = text(u"Уведомление сайта %1: %2", u"Notification from %1: %2")
                           .arg(notification->site(), notification->title());
        if (!notification->message().isEmpty())
            line += u" \u2014 "_s + notification->message();
        m_host.status(line);
        notification->show();
        const QPointer<WebNotification> guarded(notification);
        QTimer::singleShot(m_lifetime, notification, [guarded] {
            if (!guarded)
                return;
            guarded->close();
            guarded->deleteLater();
        });
        return;
    }

    // A newer notification of the same site and tag takes the older's place.
    for (NotificationPopup *popup : popups()) {
        WebNotification *old = popup->notification();
        if (old && !notification->tag().isEmpty() && old->tag() == notification->tag()
            && old->site() == notification->site())
            popup->drop();
    }
    m_popups.removeAll(nullptr);
    while (popups().size() >= MaxShown)
        popups().constFirst()->dismiss();

    auto *popup = new NotificationPopup(m_window, notification,
                                        text(u"Закрыть", u"Close"));
    m_popups.append(popup);
    connect(popup, &NotificationPopup::clicked, this, [onClick] { onClick(); });
    connect(popup, &NotificationPopup::gone, this, [this, popup] {
        m_popups.removeAll(popup);
        m_popups.removeAll(nullptr);
        // Later: the window may be going away with its controls.
        QMetaObject::invokeMethod(this, &NotificationPopups::place, Qt::QueuedConnection);
    });
    auto *timer = new QTimer(popup);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, popup, &NotificationPopup::dismiss);
    timer->start(m_lifetime);
    popup->adjustSize();
    place();
    popup->show();
    notification->show();
}

void NotificationPopups::place()
{
    // Bottom-right of the page area, inside the screen, the newest lowest.
    QRect frame = m_host.area ? m_host.area() : QRect();
    if (frame.isEmpty())
        frame = m_window->frameGeometry();
    QRect area = frame;
    if (QScreen *screen = m_window->screen())
        area = frame.intersected(screen->availableGeometry());
    if (area.isEmpty())
        area = frame;
    constexpr int Margin = 12;
    int bottom = area.bottom() - Margin;
    const QList<NotificationPopup *> shown = popups();
    for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
        NotificationPopup *popup = *it;
        const QSize size = popup->sizeHint().expandedTo(popup->minimumSize());
        popup->resize(popup->width(), size.height());
        popup->move(area.right() - Margin - popup->width(), bottom - popup->height() + 1);
        bottom -= popup->height() + Margin / 2;
    }
}

} // namespace velmora::mainwindow
