#pragma once

#include <QIcon>

namespace velmora::windows {

// A small clock face: the picture of a row that stands for a visited page.
QIcon historyIcon();

} // namespace velmora::windows
