#pragma once

class QTextStream;

namespace velmora::bench {

// Loads 1,000 favourites kept in the settings store into the favourites
// menu, as the main window does at start, and prints the time it took.
void printSettingsBench(QTextStream &out);

} // namespace velmora::bench
