#pragma once

#include "SecondaryWindow.h"

#include "FavoritesTree.h"

#include <QHash>
#include <QIcon>
#include <QList>

class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora::windows {

// Puts a window above all others, or takes it back, without moving, sizing
// or activating it. Changing the flag re-creates a shown window, so it is
// shown again at once.
void setStaysOnTop(QWidget *window, bool on);

// The Favorites folder as a tree with a check box on every node; opens the
// ticked pages in the main window. Every opening reads the folder afresh,
// and closing always unloads the window. While it is open the main window
// is disabled.
class frmFavoritesShow : public SecondaryWindow
{
    Q_OBJECT
public:
    // The smallest size the window takes, in twips.
    static constexpr int MinHeight = 4512;
    static constexpr int MinWidth = 8052;

    explicit frmFavoritesShow(Program &program, QWidget *parent = nullptr);
    ~frmFavoritesShow() override;

    // Reads the folder, fills the tree, places the window and shows it.
    void Form_Load();
    void Form_Resize();
    // True once closed: the object only waits to be deleted.
    bool isUnloaded() const { return m_unloaded; }

    // Opens the ticked pages (or the selected one): the first in the current
    // tab and the rest in new tabs, or every one in a new tab.
    void openChecked(bool newTab);
    void checkChildren(QTreeWidgetItem *node, Qt::CheckState state);
    // The child positions from the root down to the node.
    static QList<int> positionPath(const QTreeWidgetItem *node);

    void cmdLoad_Click();
    void cmdOpenInNewWindow_Click();
    void cmdFavEdit_Click();
    void cmdCancel_Click();
    void tvFav_NodeClick(QTreeWidgetItem *node);
    void tvFav_DblClick();
    void tvFav_NodeCheck(QTreeWidgetItem *node);

    const services::FavoritesTree &tree() const { return m_tree; }

    QLabel *Image1 = nullptr;
    QFrame *Shape1 = nullptr;
    QLabel *lblCapt = nullptr;
    QTreeWidget *tvFav = nullptr;
    QHash<QString, QIcon> imlIcons;
    QPushButton *cmdLoad = nullptr;
    QPushButton *cmdOpenInNewWindow = nullptr;
    QPushButton *cmdFavEdit = nullptr;
    QPushButton *cmdCancel = nullptr;

protected:
    bool Form_QueryUnload() override { return true; }
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Paint();
    void Form_Unload();
    void fillTree(const services::FavoriteFolder &folder, QTreeWidgetItem *parent);
    // Says under the folder's node what the tree left out of it.
    void addNotes(const services::FavoritesLeftOut &left, QTreeWidgetItem *parent);
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &text, const QString &image,
                             int tag);

    services::FavoritesTree m_tree;
    QTreeWidgetItem *m_lastNode = nullptr;
    bool m_painted = false;
    bool m_unloaded = false;
    bool m_filling = false;
};

} // namespace velmora::windows
