#pragma once

namespace velmora::mainwindow {

class frmMain;

// The address row's captions ("Address", "Go") take the room their texts
// need; the address field starts after its caption. The window's layout
// then sizes the field from there.
void fitAddressRow(frmMain &window);

} // namespace velmora::mainwindow
