#pragma once

#include "SecondaryWindow.h"
#include "StoredGeometry.h"

#include <QHash>
#include <QIcon>
#include <QPoint>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace velmora {
class Program;
}

namespace velmora::windows {

// Lists the tabs of a saved tab file (or of the automatic save) and opens
// the chosen ones as new tabs of the main window, online or offline.
class frmOpenTabsDetailed : public SecondaryWindow
{
    Q_OBJECT
public:
    // Window place and size, twips.
    using Geometry = StoredGeometry;
    static bool geometryFits(const Geometry &stored, double screenWidth, double screenHeight)
    {
        return storedGeometryFits(stored, screenWidth, screenHeight);
    }

    explicit frmOpenTabsDetailed(Program &program, QWidget *parent = nullptr);

    // Fills the list from the automatic save (loadAutosave) or from a file
    // the user picks, restores the geometry and shows the window; unloads
    // it when there is nothing to show.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();

    void cmdOnline_Click();
    void cmdOffline_Click();
    void cmdSelectAll_Click();
    void cmdHideSelection_Click();
    void cmdCancel_Click();
    // Key codes and shift state as frmMain::keyCodeOf / services::shiftCode give them.
    void lv_KeyDown(int KeyCode, int Shift);
    void cmdOnline_KeyDown(int KeyCode, int Shift);
    // point: in the list's viewport, pixels.
    void lv_MouseDown(int Button, int Shift, const QPoint &point);
    void openSelected(bool offline);

    // Hidden, geometry stored, and deleted on the next turn of the event loop.
    void unload();
    bool isUnloading() const { return m_unloading; }

    Geometry twipsGeometry();
    void setTwipsGeometry(const Geometry &g);

    QLabel *Label1 = nullptr;
    QTreeWidget *lv = nullptr;
    QPushButton *cmdOnline = nullptr;
    QPushButton *cmdOffline = nullptr;
    QPushButton *cmdSelectAll = nullptr;
    QPushButton *cmdHideSelection = nullptr;
    QPushButton *cmdCancel = nullptr;
    QHash<QString, QIcon> iml;

protected:
    bool Form_QueryUnload() override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void addRow(const QString &text, const QString &address);
    void restoreGeometry();
    int twips();

    bool m_shown = false;
    bool m_unloading = false;
};

} // namespace velmora::windows
