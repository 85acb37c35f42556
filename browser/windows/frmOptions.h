#pragma once

#include "SecondaryWindow.h"

namespace velmora {
class Program;
}

namespace velmora::windows {

// The options window. Its public flags mirror the option files and are read
// by the main window.
class frmOptions : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit frmOptions(Program &program, QWidget *parent = nullptr);

    bool opNW = true;
    bool conExit = true;
    bool save_mode = true;
    bool manual = false;
};

} // namespace velmora::windows
