#pragma once

#include <QIcon>

namespace velmora::mainwindow {

// The go button's picture: a green arrow pointing right, drawn for any size.
QIcon goArrowIcon();

} // namespace velmora::mainwindow
