#pragma once

#include "SecondaryWindow.h"

class QFrame;
class QLabel;

namespace velmora::windows {

// A borderless one-line message shown centred on the screen while the main
// window works. Its text is the message table's entry of the language active
// when the window is first loaded; afterwards it is only shown and hidden.
class WaitWindow : public SecondaryWindow
{
    Q_OBJECT
public:
    QFrame *Shape1 = nullptr;
    QLabel *lblText = nullptr;

protected:
    // shapeLeft, shapeTop: where the frame sits, in twips; message: the entry
    // of the message table the load shows.
    WaitWindow(Program &program, const QString &name, const QString &designText, int shapeLeft,
               int shapeTop, int message, QWidget *parent);

    void Form_Load();

private:
    int m_message;
};

// Shown while the page-content switches are applied.
class frmSplash : public WaitWindow
{
    Q_OBJECT
public:
    explicit frmSplash(Program &program, QWidget *parent = nullptr);
};

} // namespace velmora::windows
