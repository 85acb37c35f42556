#include "FavoritesMenu.h"

#include "RuntimeError.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace velmora::services {

FavoritesMenu::FavoritesMenu(QMenu *menu, QAction *element0, QAction *before,
                             std::function<void(int)> click, QObject *parent)
    : QObject(parent), m_menu(menu), m_before(before), m_click(std::move(click))
{
    m_items.emplace_back(element0);
    if (element0)
        connect(element0, &QAction::triggered, this, [this] {
            if (m_click)
                m_click(0);
        });
}

FavoritesMenu::~FavoritesMenu()
{
    unloadFrom(1);
}

QAction *FavoritesMenu::item(int index) const
{
    if (index < 0 || index >= count() || !m_items[static_cast<size_t>(index)])
        throw RuntimeError(RuntimeError::SubscriptOutOfRange, "Subscript out of range");
    return m_items[static_cast<size_t>(index)];
}

int FavoritesMenu::load()
{
    const int index = count();
    auto *action = new QAction(m_menu ? static_cast<QObject *>(m_menu.data()) : this);
    action->setObjectName(QStringLiteral("FavItem_%1").arg(index));
    if (m_menu)
        m_menu->insertAction(m_before, action);
    connect(action, &QAction::triggered, this, [this, index] {
        if (m_click)
            m_click(index);
    });
    m_items.emplace_back(action);
    return index;
}

void FavoritesMenu::unloadFrom(int first)
{
    first = std::max(first, 1);
    while (count() > first) {
        QPointer<QAction> action = m_items.back();
        m_items.pop_back();
        delete action.data();
    }
}

} // namespace velmora::services
