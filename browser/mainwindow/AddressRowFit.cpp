#include "AddressRowFit.h"

#include "frmMain.h"

#include "TextFit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

#include "TabstripP.h"

#include <cmath>

namespace velmora::mainwindow {

void fitAddressRow(frmMain &w)
{
    // The go label lies over the go button; its text starts after the arrow.
    if (w.lblGo && w.cmdGo)
        w.lblGo->setIndent(w.cmdGo->width());
    for (QLabel *label : {w.lblAddress, w.lblGo}) {
        if (!label)
            continue;
        const QSize need = services::textNeed(label);
        if (need.width() > label->width())
            label->resize(need.width(), label->height());
    }
    if (w.lblAddress && w.Combo1) {
        const int left = w.lblAddress->geometry().right() + 1 + 4;
        if (w.Combo1->x() < left) {
            const int grow = left - w.Combo1->x();
            w.Combo1->setGeometry(left, w.Combo1->y(), std::max(0, w.Combo1->width() - grow),
                                  w.Combo1->height());
        }
    }
    if (w.form)
        w.form->setMinimumSize(minimumClientSize(w));
}

QSize minimumClientSize(const frmMain &w)
{
    if (!w.Combo1 || !w.cmdGo || !w.lblGo || !w.spinbutton1 || !w.cmdClose || !w.Toolbar1
        || !w.Tabstrip1 || !w.StatusBar1)
        return {};
    const double px = w.twipsPerPixel();
    const auto pixels = [px](double twips) { return int(std::ceil(twips / px)); };
    // Room to read and mend an ordinary address.
    const int field = std::max(120, 16 * w.Combo1->fontMetrics().averageCharWidth());
    // The layout gives the field what the row's other controls and 100 / 12
    // pixels leave of the width.
    const int width = w.Combo1->x() + field + w.spinbutton1->width() + w.cmdClose->width()
                      + w.lblGo->width() + w.cmdGo->width() + pixels(100 / 12. * px);
    // Pages begin 31.25 pixels below the toolbar and end on the tab row.
    const int page = 60;
    const int height = w.Toolbar1->height() + int(std::ceil(31.25)) + page
                       + w.Tabstrip1->height() + w.StatusBar1->height();
    return {width, height};
}

} // namespace velmora::mainwindow
