#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace velmora::services {

// The favourites menu array: element 0 is the built-in entry the menu is
// made with; loaded elements follow it, in front of a fixed item of the
// same menu. A click on element i runs the click handler with i.
class FavoritesMenu : public QObject
{
    Q_OBJECT
public:
    // element0 and before are items of menu; before may be null (the end).
    FavoritesMenu(QMenu *menu, QAction *element0, QAction *before,
                  std::function<void(int index)> click, QObject *parent = nullptr);
    ~FavoritesMenu() override;

    // Loaded elements, element 0 included.
    int count() const { return static_cast<int>(m_items.size()); }
    // Throws RuntimeError(SubscriptOutOfRange) for an element not loaded.
    QAction *item(int index) const;
    // Loads a new element at index count(), visible and without a caption,
    // and returns its index.
    int load();
    // Unloads the elements from first to the last; element 0 stays.
    void unloadFrom(int first);

private:
    QPointer<QMenu> m_menu;
    QPointer<QAction> m_before;
    std::function<void(int)> m_click;
    std::vector<QPointer<QAction>> m_items;
};

} // namespace velmora::services
