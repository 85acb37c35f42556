#include "EngineOcclusion.h"

#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace velmora::platform {

QList<bool> coveredWidgets(const QList<QWidget *> &widgets)
{
    QList<bool> covered(widgets.size(), false);
    // Siblings stack in the order of their parent's children, the last on top.
    QHash<QObject *, QList<qsizetype>> byParent;
    for (qsizetype i = 0; i < widgets.size(); ++i) {
        QWidget *w = widgets.at(i);
        if (w && !w->isHidden() && w->parent())
            byParent[w->parent()].append(i);
    }
    for (auto it = byParent.cbegin(); it != byParent.cend(); ++it) {
        const QObjectList &stack = it.key()->children();
        QList<std::pair<qsizetype, qsizetype>> order; // stacking position, index
        for (qsizetype i : it.value())
            order.append({stack.indexOf(widgets.at(i)), i});
        std::sort(order.begin(), order.end(), std::greater<>());
        QList<QRect> above;
        for (const auto &[position, i] : std::as_const(order)) {
            const QRect own = widgets.at(i)->geometry();
            covered[i] = std::any_of(above.cbegin(), above.cend(),
                                     [&](const QRect &r) { return r.contains(own); });
            // A covered widget adds nothing to what covers those below it.
            if (!covered[i])
                above.append(own);
        }
    }
    return covered;
}

namespace {

constexpr auto ExposeWatchName = "velmoraExposeWatch";

class ExposeWatch final : public QObject
{
public:
    ExposeWatch(QWindow *window, std::function<void()> then)
        : QObject(window), m_window(window), m_then(std::move(then))
    {
        setObjectName(QString::fromLatin1(ExposeWatchName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed()) {
            m_window->removeEventFilter(this);
            deleteLater();
            // After the window's own handling of the exposure.
            QMetaObject::invokeMethod(m_window, m_then, Qt::QueuedConnection);
        }
        return false;
    }

private:
    QPointer<QWindow> m_window;
    std::function<void()> m_then;
};

} // namespace

bool windowOnScreen(QWidget *widget, const std::function<void()> &then)
{
    QWindow *window = widget ? widget->window()->windowHandle() : nullptr;
    if (!window)
        return false;
    if (window->isExposed())
        return true;
    if (!window->findChild<ExposeWatch *>(QString::fromLatin1(ExposeWatchName),
                                          Qt::FindDirectChildrenOnly))
        new ExposeWatch(window, then);
    return false;
}

} // namespace velmora::platform
