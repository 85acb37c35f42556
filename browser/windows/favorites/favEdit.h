#pragma once

#include "SecondaryWindow.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace velmora::windows {

// Renames a favourite of the settings store, changes its address or deletes
// it. Row 0 is the built-in entry, which cannot be changed; row p is
// position p of the favourites' lookup tables.
class favEdit : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit favEdit(Program &program, QWidget *parent = nullptr);

    void Form_Load();
    void List1_Click();
    void cmdRename_Click();
    void cmdChURL_Click();
    void cmdRemove_Click();

    bool manual = false; // set before the load: the language is left as it is

    QListWidget *List1 = nullptr;
    QLabel *lblURL = nullptr;
    QPushButton *cmdRename = nullptr;
    QPushButton *cmdChURL = nullptr;
    QPushButton *cmdRemove = nullptr;

private:
    int selectedRow() const;
    void selectRow(int p);
    // Unloads the menu elements above 0 and loads them from the store again.
    void reloadMenu();
};

} // namespace velmora::windows
