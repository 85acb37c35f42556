#pragma once

#include <QString>

class QWidget;

namespace velmora {
class Program;
}

namespace velmora::windows {

// What the two favourite dialogs (FavAdd, favEdit) share.

// A dialog frame with only a close button, and the small font; before the
// controls are made, so that they take the font.
void setUpFavoriteDialog(QWidget *dialog, const QString &title);

// The first steps of the dialog's load: its texts in the chosen language
// (unless manual is set) and, when shown, its place above other windows.
void loadFavoriteDialog(Program &program, QWidget *dialog, bool manual, int languageWindow);

} // namespace velmora::windows
