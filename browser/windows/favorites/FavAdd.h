#pragma once

#include "SecondaryWindow.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::windows {

// Stores the current tab's page as a new favourite of the settings store,
// in a new slot after the highest one. The opener disables the main window;
// closing this window enables it again.
class FavAdd : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit FavAdd(Program &program, QWidget *parent = nullptr);

    void Form_Load();
    void cmdAdd_Click();
    void cmdCancel_Click();
    void cmdReset_Click();

    bool manual = false; // set before the load: the language is left as it is

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtName = nullptr;
    QLineEdit *txtURL = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdReset = nullptr;

protected:
    bool Form_QueryUnload() override;

private:
    void fillFromCurrentTab();
    void hideAndEnableMain();
};

} // namespace velmora::windows
