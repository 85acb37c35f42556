#include "EngineOcclusion.h"

#include <QHash>
#include <QRect>
#include <QWidget>

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

} // namespace velmora::platform
