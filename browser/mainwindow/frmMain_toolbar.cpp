// Placeholder while this part of the window is written.
#include "frmMain.h"
namespace velmora::mainwindow {
void frmMain::connectToolbar() {}

} // namespace velmora::mainwindow
