#pragma once

#include "SecondaryWindow.h"

#include <QPixmap>
#include <QPoint>
#include <QString>

class QLabel;

namespace velmora {
class Program;
}

namespace velmora::windows {

// The first window of the run: the product picture with the version, shown
// while the hot-word table and the main window load. Its load records the
// offline state of the moment, puts the platform online and starts the load
// chain; the main window unloads it at the end of its own load.
class start : public SecondaryWindow
{
    Q_OBJECT
public:
    static constexpr int WindowWidth = 619; // pixels
    static constexpr int WindowHeight = 226;
    static constexpr int PictureHeight = 306; // the lowest 80 pixels stay hidden

    explicit start(Program &program, QWidget *parent = nullptr);

    // prepare(), then exit_load().
    void Form_Load();
    // Everything the load does while the window is hidden: size, language,
    // version, site address, offline state.
    void prepare();
    // Shows the window and loads the hot-word window silently, which goes on
    // to the main window.
    void exit_load();

    // "major.minor.revision" of a version string, each a plain number.
    static QString versionText(const QString &version);
    // The product's page on the maker's site.
    static QString productPage();
    // The built-in start picture, 619 x 306 pixels.
    static QPixmap startPicture();

    QLabel *imgAbout = nullptr;
    QLabel *lblVersion = nullptr;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Set while the window follows the mouse itself, where the platform
    // cannot move it.
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace velmora::windows
