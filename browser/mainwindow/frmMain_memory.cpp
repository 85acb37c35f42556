// Placeholder while this part of the window is written.
#include "frmMain.h"
namespace velmora::mainwindow {
void frmMain::connectMemoryWatch() {}
void frmMain::memory_Timer() {}
} // namespace velmora::mainwindow
