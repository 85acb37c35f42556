#pragma once

#include <functional>

namespace velmora::test {

// Runs the event loop until the condition holds or the time is up. Unlike
// QTRY_*, it never sleeps between turns, which would starve the web engine.
bool spinUntil(const std::function<bool()> &condition, int ms = 10000);
// Runs the event loop for a while.
void settle(int ms);

} // namespace velmora::test
