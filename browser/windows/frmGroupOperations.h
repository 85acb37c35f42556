#pragma once

#include "SecondaryWindow.h"
#include "StoredGeometry.h"

#include <QHash>
#include <QIcon>
#include <QList>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace velmora::mainwindow {
class frmMain;
}

namespace velmora::windows {

// Lists the open tabs of the main window and closes, refreshes or stops the
// ones the user picks. Loading it fills the list and shows it; it unloads
// once an operation has run, or on cancel, and keeps its place and size in
// the settings store.
class frmGroupOperations : public SecondaryWindow
{
    Q_OBJECT
public:
    enum Operation { CloseTabs = 0, RefreshTabs = 1, StopTabs = 2 };

    // The window's place and size in twips.
    using Geometry = StoredGeometry;
    static bool geometryFits(const Geometry &stored, double screenWidth, double screenHeight)
    {
        return storedGeometryFits(stored, screenWidth, screenHeight);
    }

    explicit frmGroupOperations(Program &program, QWidget *parent = nullptr);

    void Form_Load();
    void Form_Resize();
    void Form_Unload();

    void cmdClose_Click();
    void cmdRefresh_Click();
    void cmdStop_Click();
    void cmdUpdInfo_Click();
    void cmdSelectAll_Click();
    void cmdHideSelection_Click();
    void cmdCancel_Click();
    void lv_KeyDown(int KeyCode, int Shift);
    void cmdClose_KeyDown(int KeyCode, int Shift);
    // On empty space of the list.
    void lv_MouseDown(int Button, int Shift, float x, float y);
    void runOnSelected(int operation);

    // The tab number of each row, in list order.
    QList<int> rowTags() const;

    QLabel *Label1 = nullptr;
    QTreeWidget *lv = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QPushButton *cmdStop = nullptr;
    QPushButton *cmdSelectAll = nullptr;
    QPushButton *cmdHideSelection = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdUpdInfo = nullptr;
    QHash<QString, QIcon> iml;

protected:
    // Closing always unloads: this window never only hides.
    bool Form_QueryUnload() override { return true; }
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Geometry twipsGeometry();
    void setTwipsGeometry(const Geometry &g);
    void closeTab(mainwindow::frmMain &main, int n, bool last);
    void unload();
};

} // namespace velmora::windows
