#pragma once

#include <QIcon>

namespace velmora {

// The program's own icon, drawn as a scalable picture.
QIcon applicationIcon();
// Makes it the icon of every window of the program.
void setApplicationIcon();

} // namespace velmora
