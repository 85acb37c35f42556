#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace velmora {
class Program;
}

namespace velmora::windows {

// The top-left corner of a frame of this size centred over owner, moved as
// little as needed to lie inside screen (a frame larger than the screen keeps
// its top-left corner on it).
QPoint centredOver(const QRect &owner, const QSize &frame, const QRect &screen);
// The top-left corner that brings frame inside screen with the least move.
QPoint keptOnScreen(const QRect &frame, const QRect &screen);

// The screen area windows are kept on, in pixels.
QRect screenArea(Program &program);

// Opens window centred over the main window (or the screen while there is
// none), inside the screen.
void placeOverMainWindow(QWidget *window, Program &program);
// Moves window back inside the screen if any part of its frame is off it.
void keepOnScreen(QWidget *window, Program &program);

// Gives the window's outer frame the rectangle outer, with the frame's size
// as far as it is known now.
void fitFrame(QWidget *window, const QRect &outer);
// fitFrame now, and again when the window is first exposed: only then has
// the window manager framed it.
void fitFrameOnShow(QWidget *window, const QRect &outer);
// Shows a window not yet made with its outer frame at outer, given the frame
// the window manager is expected to put around it: the window is made at
// its final size and is not resized once on the screen. Without an expected
// frame: shown, then fitFrameOnShow.
void showFitted(QWidget *window, const QRect &outer, const QMargins &expected);

// Runs step once the window is exposed (at once when it is already): only
// then has the window manager framed it and decided its state.
void whenFramed(QWidget *window, std::function<void()> step);

// Shows an open window again and makes it the active one.
void bringToFront(QWidget *window);

} // namespace velmora::windows
