#pragma once

#include <QSize>

namespace velmora::mainwindow {

class frmMain;

// The address row's captions ("Address", "Go") take the room their texts
// need; the address field starts after its caption. The window's layout
// then sizes the field from there.
// The client area is kept at least as large as the address row and the
// pages need to stay usable: an address field some characters wide, every
// control of the row beside it, and a strip of page above the tab row.
void fitAddressRow(frmMain &window);

// The smallest client area that keeps every control of the window usable.
QSize minimumClientSize(const frmMain &window);

} // namespace velmora::mainwindow
