// Placeholder while this part of the window is written.
#include "frmMain.h"
namespace velmora::mainwindow {
void frmMain::connectContentSwitches() {}
void frmMain::tmrUpd_Timer() {}
} // namespace velmora::mainwindow
