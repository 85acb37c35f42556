// Placeholder while this part of the window is written.
#include "frmMain.h"
namespace velmora::mainwindow {
void frmMain::connectSessions() {}
void frmMain::autosave_Timer() {}
} // namespace velmora::mainwindow
