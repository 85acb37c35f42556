#pragma once

#include <QPixmap>
#include <QString>

class QObject;

namespace velmora::services {

// The language tables reach every kind of captioned object the same way: a
// window takes the text as its title, a label or button as its text, a menu
// as its title and an action as its text. Null objects are ignored.
void setCaption(QObject *target, const QString &text);
void setToolTip(QObject *target, const QString &text);

// A picture goes into the object's "picture" property; a label shows it too.
void setPicture(QObject *target, const QPixmap &picture);

// A descendant of window by object name. Control names are case-blind (the
// forms were designed that way), so an exact match wins and otherwise the
// first match ignoring case is taken. Null when window is null or none matches.
QObject *findNamed(const QObject *window, const QString &name);

// Geometry written in twips, converted at twipsPerPixel (15 at 96 dpi).
int twipsToPixels(int twips, double twipsPerPixel);
void setTopTwips(QObject *target, int twips, double twipsPerPixel);
void setLeftTwips(QObject *target, int twips, double twipsPerPixel);
void setHeightTwips(QObject *target, int twips, double twipsPerPixel);
// Centres a label's text horizontally, keeping its vertical alignment.
void centreText(QObject *target);

// The pictures shown instead of the built-in Russian art for other
// languages: the main window's badge, the start-up picture and the about
// picture (both 619 x 306 pixels, with room for the version text at about a
// quarter of the width and 59 % of the height).
QPixmap alternativeBadgePicture();
QPixmap alternativeStartPicture();
QPixmap alternativeAboutPicture();

} // namespace velmora::services
