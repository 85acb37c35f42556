#pragma once

#include "SecondaryWindow.h"

#include <QPixmap>
#include <QPoint>
#include <QPointer>

class QEventLoop;
class QLabel;
class QPushButton;

namespace velmora::windows {

// The about box: the product picture with the running version and an OK
// button, borderless and dragged by its picture. OK only hides it, so later
// showings keep the content of the first.
class frmAbout : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit frmAbout(Program &program, QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();
    // Button: 1 left, 2 right, 4 middle; X, Y in twips.
    void Form_MouseDown(int Button, int Shift, float X, float Y);
    void imgAbout_MouseDown(int Button, int Shift, float X, float Y);

    // Shows the box modal over owner's window and returns once it is hidden.
    void showModal(QWidget *owner);

    // "major.minor.revision" of a version text, plain decimal numbers.
    static QString versionText(const QString &applicationVersion);
    // The built-in picture, 619 x 306 pixels, with room for the version text
    // at about a quarter of the width and 59 % of the height.
    static QPixmap aboutPicture();

    QLabel *imgAbout = nullptr;
    QLabel *lblVersion = nullptr;
    QPushButton *Command1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void startDrag();
    // False when the event was no part of a drag by hand.
    bool dragByHand(QMouseEvent *event);
    void mouseDownAt(QWidget *source, QMouseEvent *event);

    QPointer<QEventLoop> m_modalLoop;
    bool m_dragging = false;
    QPoint m_pressedAt; // global position of the last press
    QPoint m_dragOffset;
};

} // namespace velmora::windows
