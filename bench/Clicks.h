#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

namespace velmora::bench {

// Input from outside the program, as a user gives it, through xdotool on the
// benchmark's X display.
bool xdotoolAvailable();
struct Window
{
    QString id; // empty when none was found
    QRect rect;
};
// The largest visible window of process pid.
Window mainWindowOf(int pid);
// Clicks at `at`, relative to the window's top-left corner; negative
// coordinates count from its right or bottom edge.
void clickIn(const Window &window, QPoint at);

} // namespace velmora::bench
