#pragma once

#include "SecondaryWindow.h"

#include <vector>

class QListWidget;
class QPushButton;
class QTimer;

namespace velmora {
class Program;
}

namespace velmora::windows {

// Editor of the address bar's history (WebHis.dat): remove rows and change
// their order. Rows 0..7 are a block of their own; when there are more, row
// 8 is a blank divider that is never moved and never written.
class frmRemove : public SecondaryWindow
{
    Q_OBJECT
public:
    static constexpr int DividerRow = 8;
    // The Y a repeat tick passes, telling it from a real press.
    static constexpr float RepeatY = 416;
    static constexpr int FirstRepeatMs = 1000;
    static constexpr int RepeatMs = 250;

    explicit frmRemove(Program &program, QWidget *parent = nullptr);

    // Set by the opener before it calls Form_Load; while false, the load
    // also applies the language.
    bool manual = false;

    // Hides the window and fills the list from the history file.
    void Form_Load();
    // Saves the list, reloads the address bar from it and hides the window.
    void cmdClose_Click();
    // Hides the window; the edits are dropped at the next opening.
    void cmdExWO_Click();
    void cmdRemove_Click();
    void cmdRemAll_Click();
    // Button, Shift as the mouse events give them (left = 1); X, Y in twips.
    void cmdDown_MouseDown(int Button, int Shift, float X, float Y);
    void cmdUp_MouseDown(int Button, int Shift, float X, float Y);
    void cmdDown_MouseUp();
    void cmdUp_MouseUp();
    void Timer1_Timer();
    void Timer2_Timer();
    void Form_MouseMove();

    QListWidget *List1 = nullptr;
    QPushButton *cmdRemAll = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *cmdUp = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdExWO = nullptr;
    QPushButton *cmdClose = nullptr;
    QTimer *Timer1 = nullptr; // repeats down
    QTimer *Timer2 = nullptr; // repeats up

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectControls();
    void load(bool mayYield);
    void moveDown();
    void moveUp();

    // One move: each row moves at most once, whatever the passes meet.
    struct Move
    {
        explicit Move(QListWidget *list);
        int n = 0;
        QListWidget *list;
        std::vector<bool> moved;
        bool selected(int i) const;
        void select(int i, bool on);
        void exchange(int a, int b);
        bool anySelected() const;
    };
    static void stepDown(Move &m, int i);
    static void stepUp(Move &m, int i);
};

} // namespace velmora::windows
