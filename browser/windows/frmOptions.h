#pragma once

#include <QWidget>

namespace velmora {
class Program;
}

namespace velmora::windows {

// The options window. Its public flags mirror the option files and are read
// by the main window.
class frmOptions : public QWidget
{
    Q_OBJECT
public:
    explicit frmOptions(Program &program, QWidget *parent = nullptr);

    bool opNW = true;
    bool conExit = true;
    bool save_mode = true;
    bool manual = false;
    bool MU = false;

private:
    Program &m_program;
};

} // namespace velmora::windows
