#include "frmMain.h"

#include "Bar.h"
#include "Twips.h"

#include "Program.h"
#include "RuntimeError.h"
#include "Steps.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

#include <optional>

namespace velmora::mainwindow {

using services::step;

namespace {

enum class Edge { Left, Top, Width, Height };

double read(const QWidget *w, Edge e, int t)
{
    const TwipsRect r = twipsGeometry(w, t);
    switch (e) {
    case Edge::Left:
        return r.left;
    case Edge::Top:
        return r.top;
    case Edge::Width:
        return r.width;
    case Edge::Height:
        return r.height;
    }
    return 0;
}

// Sets one side of a control's rectangle, in twips. A control refuses a
// negative size, as the runtime's controls do, and the caller's step fails.
void write(QWidget *w, Edge e, double twips, int t)
{
    if ((e == Edge::Width || e == Edge::Height) && twips < 0)
        throw services::RuntimeError(380, "invalid property value");
    QRect g = w->geometry();
    const int px = twipsToPixels(twips, t);
    switch (e) {
    case Edge::Left:
        g.moveLeft(px);
        break;
    case Edge::Top:
        g.moveTop(px);
        break;
    case Edge::Width:
        g.setWidth(px);
        break;
    case Edge::Height:
        g.setHeight(px);
        break;
    }
    w->setGeometry(g);
}

// Compared at the control's own resolution, a whole pixel, so that a pass
// over an unchanged window writes nothing.
void writeWhenChanged(QWidget *w, Edge e, double twips, int t)
{
    if (std::lround(read(w, e, t) / t) != twipsToPixels(twips, t))
        write(w, e, twips, t);
}

} // namespace

void frmMain::Form_Resize()
{
    if (unloading)
        return;
    // While hidden the window's own layout has not sized the client area yet.
    step([&] {
        if (!isVisible() && layout()) {
            layout()->invalidate();
            layout()->activate();
        }
    });

    const int t = twipsPerPixel();
    const double px = t;
    const double scaleWidth = pixelsToTwips(form->width(), t);
    // The status bar lies along the bottom of the client area.
    const double innerHeight = pixelsToTwips(form->height(), t);
    const double outerWidth = scaleWidth;
    auto web0 = [&]() -> QWidget * { return Web.at(0)->widget(); };
    auto current = [&]() -> QWidget * {
        platform::WebBrowser *browser = web(currentTabNumber());
        if (!browser)
            throw services::RuntimeError(services::RuntimeError::SubscriptOutOfRange,
                                         "no browser for the current tab");
        return browser->widget();
    };
    auto toolbarHeight = [&] { return read(Toolbar1, Edge::Height, t); };

    step([&] {
        writeWhenChanged(StatusBar1, Edge::Top, innerHeight - read(StatusBar1, Edge::Height, t), t);
    });
    step([&] { write(StatusBar1, Edge::Left, 0, t); });
    step([&] { write(StatusBar1, Edge::Width, outerWidth, t); });
    step([&] {
        writeWhenChanged(Bar1, Edge::Left, scaleWidth - read(Bar1, Edge::Width, t) - 400 / 12. * px,
                         t);
    });
    step([&] {
        writeWhenChanged(Bar1, Edge::Top, read(StatusBar1, Edge::Top, t) + 30 / 12. * px, t);
    });
    step([&] {
        writeWhenChanged(Combo1, Edge::Width,
                         scaleWidth - read(Combo1, Edge::Left, t) - read(spinbutton1, Edge::Width, t)
                             - read(cmdClose, Edge::Width, t) - read(lblGo, Edge::Width, t)
                             - read(cmdGo, Edge::Width, t) - 100 / 12. * px,
                         t);
    });
    step([&] {
        writeWhenChanged(cmdGo, Edge::Left,
                         read(Combo1, Edge::Left, t) + read(Combo1, Edge::Width, t) + 20 / 12. * px,
                         t);
    });
    step([&] { writeWhenChanged(lblGo, Edge::Top, read(cmdGo, Edge::Top, t) + 120 / 12. * px, t); });
    step([&] { writeWhenChanged(lblGo, Edge::Left, read(cmdGo, Edge::Left, t) + 30 / 12. * px, t); });
    step([&] {
        writeWhenChanged(cmdClose, Edge::Left,
                         scaleWidth - read(cmdClose, Edge::Width, t) - 120 / 12. * px, t);
    });
    step([&] {
        writeWhenChanged(Tabstrip1, Edge::Top,
                         read(StatusBar1, Edge::Top, t) - read(Tabstrip1, Edge::Height, t), t);
    });
    step([&] {
        writeWhenChanged(spinbutton1, Edge::Left,
                         read(lblGo, Edge::Left, t) + read(lblGo, Edge::Width, t), t);
    });
    step([&] { writeWhenChanged(spinbutton1, Edge::Top, read(Combo1, Edge::Top, t), t); });

    // The address row hangs from the toolbar, whatever height it took.
    step([&] { write(lblAddress, Edge::Top, toolbarHeight() + 84 / 12. * px, t); });
    step([&] { write(Combo1, Edge::Top, toolbarHeight() + 36 / 12. * px, t); });
    step([&] { write(cmdGo, Edge::Top, toolbarHeight() + 36 / 12. * px, t); });
    step([&] { write(lblGo, Edge::Top, toolbarHeight() + 156 / 12. * px, t); });
    step([&] { write(spinbutton1, Edge::Top, toolbarHeight() + 36 / 12. * px, t); });
    // The close button's top is written once, at the end: the page's top,
    // when there is one, replaces the toolbar's rule.
    std::optional<double> closeTop;
    step([&] { closeTop = toolbarHeight() + 116 / 12. * px; });
    step([&] { write(podskazka, Edge::Top, toolbarHeight() + 324 / 12. * px, t); });
    step([&] { write(web0(), Edge::Top, toolbarHeight() + 31.25 * px, t); });
    step([&] {
        write(web0(), Edge::Height, read(Tabstrip1, Edge::Top, t) - read(web0(), Edge::Top, t), t);
    });
    step([&] { write(web0(), Edge::Width, read(StatusBar1, Edge::Width, t), t); });

    // Closed tabs keep their old rectangle until they are shown again.
    for (int i = 0; i < webCount(); ++i) {
        step([&] {
            platform::WebBrowser *browser = web(i);
            if (!browser || !(browser->Visible() || (i == 0 && initialLayout)))
                return;
            QWidget *w = browser->widget();
            for (Edge e : {Edge::Top, Edge::Left, Edge::Height, Edge::Width})
                step([&] { write(w, e, read(web0(), e, t), t); });
        });
    }
    step([&] { closeTop = read(current(), Edge::Top, t) - 250 / 12. * px; });
    step([&] {
        if (closeTop)
            writeWhenChanged(cmdClose, Edge::Top, *closeTop, t);
    });
    step([&] { write(Tabstrip1, Edge::Width, read(current(), Edge::Width, t), t); });

    // Let the moved controls repaint. Inside a resize event the loop repaints
    // on its own, and a pass run from within this yield does not yield again.
    if (m_inResizeEvent || m_layoutYielding)
        return;
    m_layoutYielding = true;
    QCoreApplication::processEvents();
    m_layoutYielding = false;
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    const bool outer = m_inResizeEvent;
    m_inResizeEvent = true;
    Form_Resize();
    m_inResizeEvent = outer;
}

} // namespace velmora::mainwindow
