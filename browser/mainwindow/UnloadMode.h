#pragma once

namespace velmora::mainwindow::unload {

// Why the main window is closing, as its query-unload handler is told.
inline constexpr int FormControlMenu = 0; // the user, by the window's close box
inline constexpr int FormCode = 1;        // the program's own command
inline constexpr int AppWindows = 2;      // the desktop session is ending
inline constexpr int AppTaskManager = 3;  // the process was told to end from outside

// A close nobody can be asked about.
inline constexpr bool notTheUsers(int mode)
{
    return mode == AppWindows || mode == AppTaskManager;
}

} // namespace velmora::mainwindow::unload
