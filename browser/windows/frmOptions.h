#pragma once

#include "SecondaryWindow.h"

#include <QList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace velmora {
class Program;
}

namespace velmora::windows {

// The options window: the home page and three yes/no options, kept in the
// option files of the program folder. Its public flags mirror those files
// and are read by the main window at each use.
class frmOptions : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit frmOptions(Program &program, QWidget *parent = nullptr);

    // The flags it shows and sets are the program's (Program::optionFlags).
    // Set by the opener before it calls Form_Load; while false, the load
    // also applies the language.
    bool manual = false;

    // Shows the stored values; edits not applied are dropped.
    void Form_Load();
    // Stores the home page and the selected options and updates the flags.
    void cmdApply_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdBlank_Click();
    void cmdCurrent_Click();
    void cmdReset_Click();
    void cmdSetHW_Click();
    void cmdRemove_Click();
    // Any option button (Index 1..6) and the home-page field enable Apply.
    void Option_Click(int Index);
    void txtHUrl_Change();

    // Controls, by the names the language files bind.
    QLabel *lblRemove = nullptr;
    QPushButton *cmdRemove = nullptr;
    QLabel *lblHW = nullptr;
    QPushButton *cmdSetHW = nullptr;
    QLabel *lblNW = nullptr;
    QGroupBox *Frame1 = nullptr;
    QRadioButton *Option2 = nullptr; // yes
    QRadioButton *Option1 = nullptr; // no
    QLabel *lblConfExit = nullptr;
    QGroupBox *Frame2 = nullptr;
    QRadioButton *Option3 = nullptr; // yes
    QRadioButton *Option4 = nullptr; // no
    QLabel *lblSaveMode = nullptr;
    QGroupBox *Frame3 = nullptr;
    QRadioButton *Option5 = nullptr; // standard
    QRadioButton *Option6 = nullptr; // favourite addresses
    QLabel *lblHomePage = nullptr;
    QLineEdit *txtHUrl = nullptr;
    QPushButton *cmdBlank = nullptr;
    QPushButton *cmdCurrent = nullptr;
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdApply = nullptr;
    // Enters "What's This?" mode, as Shift+F1 does: the next click on a
    // control shows its help text.
    QToolButton *cmdWhatsThis = nullptr;

protected:
    bool Form_QueryUnload() override;

private:
    void createControls();
    void connectControls();
    // The first load runs while the window is being created and must not
    // yield: nothing may reach the half-registered window meanwhile.
    void load(bool mayYield);
    void setHelpTips();

    // Every control but Option1 and Option2: these carry the help tooltip.
    QList<QWidget *> m_tipped;
    QList<QWidget *> m_controls;
};

} // namespace velmora::windows
