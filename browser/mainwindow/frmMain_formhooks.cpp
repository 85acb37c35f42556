// Placeholder while this part of the window is written.
#include "frmMain.h"
namespace velmora::mainwindow {
void frmMain::connectFormHooks() {}

} // namespace velmora::mainwindow
