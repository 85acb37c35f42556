#include "AddressRowFit.h"

#include "frmMain.h"

#include "TextFit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

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
}

} // namespace velmora::mainwindow
