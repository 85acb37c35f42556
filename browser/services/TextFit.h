#pragma once

#include <QList>
#include <QSize>

class QWidget;

namespace velmora::services {

// The windows are laid out in twips for another platform's fonts; here a
// text may need more room. These helpers grow a captioned control to the
// size its text needs (never smaller than designed) and move what follows.

// The size w needs to show its whole caption at its present width (a
// word-wrapped label keeps its width and needs height), or w's own size
// when it has no caption or its caption fits.
QSize textNeed(const QWidget *w);

// Grows every captioned control of the window (and of its frames) that is
// too small for its text; controls to the right of a widened one and below
// a heightened one move along, and the window grows to hold them all.
void fitTexts(QWidget *window);

// Widens a framed window whose title bar is too narrow for its title.
void fitTitle(QWidget *window);

// A row of buttons laid out left to right: each takes the width its text
// needs, first from the spare room of the others, then by pushing the ones
// after it. Returns how much wider the row got.
int fitRow(const QList<QWidget *> &row);

} // namespace velmora::services
