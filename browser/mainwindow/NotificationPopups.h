#pragma once

#include "WebNotification.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QRect>

#include <functional>

class QTimer;

namespace velmora::mainwindow {

// One page notification on screen: a small frameless window with the site,
// the title and the message. A click on it is the user's click on the
// notification; the cross only closes it.
class NotificationPopup final : public QFrame
{
    Q_OBJECT
public:
    NotificationPopup(QWidget *owner, platform::WebNotification *notification,
                      const QString &closeTip);

    platform::WebNotification *notification() const { return m_notification; }
    // Takes it off the screen and tells the page it was closed.
    void dismiss();
    // Takes it off the screen without a word to the page (it withdrew it or
    // a newer one replaces it).
    void drop();

signals:
    void clicked();
    void gone();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QPointer<platform::WebNotification> m_notification;
    bool m_gone = false;
};

// The notifications of one main window, stacked up from its bottom-right
// corner. Each closes by itself after a few seconds; while the window is not
// on screen, a notification is shown as a status text instead.
class NotificationPopups final : public QObject
{
    Q_OBJECT
public:
    struct Host
    {
        std::function<QString(const char16_t *, const char16_t *)> text;
        std::function<void(const QString &)> status;
        // Where on screen popups may stand (the page area); the window's
        // frame when empty.
        std::function<QRect()> area;
    };
    NotificationPopups(QWidget *window, Host host);

    // Shows notification; onClick runs when the user clicks it.
    void present(platform::WebNotification *notification, std::function<void()> onClick);
    QList<NotificationPopup *> popups() const;
    int lifetime() const { return m_lifetime; }
    void setLifetime(int milliseconds) { m_lifetime = milliseconds; }

    static constexpr int MaxShown = 3;

private:
    void place();

    QWidget *m_window;
    Host m_host;
    QList<QPointer<NotificationPopup>> m_popups;
    int m_lifetime = 7000;
};

} // namespace velmora::mainwindow
