#pragma once

#include <QByteArray>
#include <QList>

namespace velmora::platform {

// Settings of the web engine that must be made before the application object
// exists.
void prepareEngine();

// Every URL scheme of our own that prepareEngine makes known to the engine.
QList<QByteArray> ownSchemes();

} // namespace velmora::platform
