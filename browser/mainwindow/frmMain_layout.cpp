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

// Sets one side of a control's rectangle, in twips. A negative size is
// refused (invalid property value) and only the caller's step fails.
void write(QWidget *w, Edge e, double twips, int t)
{
    constexpr int InvalidPropertyValue = 380;
    if ((e == Edge::Width || e == Edge::Height) && twips < 0)
        throw services::RuntimeError(InvalidPropertyValue, "negative size");
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
    const double px = t; // one pixel in twips
    auto get = [t](const QWidget *w, Edge e) { return read(w, e, t); };
    auto set = [t](QWidget *w, Edge e, double v) { write(w, e, v, t); };
    auto setWhenChanged = [t](QWidget *w, Edge e, double v) { writeWhenChanged(w, e, v, t); };
    using enum Edge;

    const double scaleWidth = pixelsToTwips(form->width(), t);
    // The status bar lies along the bottom of the client area and spans it.
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
    auto toolbarHeight = [&] { return get(Toolbar1, Height); };

    step([&] { setWhenChanged(StatusBar1, Top, innerHeight - get(StatusBar1, Height)); });
    step([&] { set(StatusBar1, Left, 0); });
    step([&] { set(StatusBar1, Width, outerWidth); });
    step([&] { setWhenChanged(Bar1, Left, scaleWidth - get(Bar1, Width) - 400 / 12. * px); });
    step([&] { setWhenChanged(Bar1, Top, get(StatusBar1, Top) + 30 / 12. * px); });
    step([&] {
        setWhenChanged(Combo1, Width,
                       scaleWidth - get(Combo1, Left) - get(spinbutton1, Width)
                           - get(cmdClose, Width) - get(lblGo, Width) - get(cmdGo, Width)
                           - 100 / 12. * px);
    });
    step([&] {
        setWhenChanged(cmdGo, Left, get(Combo1, Left) + get(Combo1, Width) + 20 / 12. * px);
    });
    step([&] { setWhenChanged(lblGo, Top, get(cmdGo, Top) + 120 / 12. * px); });
    step([&] { setWhenChanged(lblGo, Left, get(cmdGo, Left) + 30 / 12. * px); });
    step([&] {
        setWhenChanged(cmdClose, Left, scaleWidth - get(cmdClose, Width) - 120 / 12. * px);
    });
    step([&] { setWhenChanged(Tabstrip1, Top, get(StatusBar1, Top) - get(Tabstrip1, Height)); });
    step([&] { setWhenChanged(spinbutton1, Left, get(lblGo, Left) + get(lblGo, Width)); });
    step([&] { setWhenChanged(spinbutton1, Top, get(Combo1, Top)); });

    // The address row hangs from the toolbar, whatever height it took.
    step([&] { set(lblAddress, Top, toolbarHeight() + 84 / 12. * px); });
    step([&] { set(Combo1, Top, toolbarHeight() + 36 / 12. * px); });
    step([&] { set(cmdGo, Top, toolbarHeight() + 36 / 12. * px); });
    step([&] { set(lblGo, Top, toolbarHeight() + 156 / 12. * px); });
    step([&] { set(spinbutton1, Top, toolbarHeight() + 36 / 12. * px); });
    // The close button's top is written once, at the end: the page's top,
    // when there is one, replaces the toolbar's rule.
    std::optional<double> closeTop;
    step([&] { closeTop = toolbarHeight() + 116 / 12. * px; });
    step([&] { set(podskazka, Top, toolbarHeight() + 324 / 12. * px); });
    step([&] { set(web0(), Top, toolbarHeight() + 31.25 * px); });
    step([&] { set(web0(), Height, get(Tabstrip1, Top) - get(web0(), Top)); });
    step([&] { set(web0(), Width, get(StatusBar1, Width)); });

    // Closed tabs keep their old rectangle until they are shown again.
    for (int i = 0; i < webCount(); ++i) {
        step([&] {
            platform::WebBrowser *browser = web(i);
            if (!browser || !(browser->Visible() || (i == 0 && initialLayout)))
                return;
            QWidget *w = browser->widget();
            for (Edge e : {Top, Left, Height, Width})
                step([&] { set(w, e, get(web0(), e)); });
        });
    }
    step([&] { closeTop = get(current(), Top) - 250 / 12. * px; });
    step([&] {
        if (closeTop)
            setWhenChanged(cmdClose, Top, *closeTop);
    });
    step([&] { set(Tabstrip1, Width, get(current(), Width)); });

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
