#pragma once

#include "TabstripP.h"
#include "frmMain.h"

#include <QList>

namespace velmora::test {

// The open tab numbers of the main window's row, in order.
inline QList<int> openTabs(const mainwindow::frmMain &main)
{
    QList<int> result;
    const int tabs = main.Tabstrip1->tabs().toInt();
    for (int n = 0; n < tabs; ++n) {
        if (main.Tabstrip1->tabVisible(n))
            result.append(n);
    }
    return result;
}

} // namespace velmora::test
