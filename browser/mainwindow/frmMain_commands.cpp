// Placeholder while this part of the window is written.
#include "frmMain.h"
namespace velmora::mainwindow {
void frmMain::connectMenuCommands() {}

} // namespace velmora::mainwindow
