#pragma once

#include "Steps.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <cstddef>
#include <functional>

class QAction;
class QToolBar;
class QWidget;

namespace kelvane {
class TabstripP;
}

namespace velmora::services {

// Position among the visible tabs <-> Tab number. Rebuilt on demand and never
// cleared: entries past the last visible tab (or for hidden numbers) keep
// whatever they held before.
struct TabMaps
{
    static constexpr int Size = 1001;
    std::array<int, Size> posToTab{};
    std::array<int, Size> tabToPos{};
};

int countVisibleTabs(const kelvane::TabstripP &row);
// The Tab number to show once Tab number n was closed: the first visible one
// from n on, else the highest visible one. Failures of the row pass through.
int findNextVisibleTab(const kelvane::TabstripP &row, int n);
// The highest visible Tab number, 0 when none is visible.
int findOtherVisibleTab(const kelvane::TabstripP &row);
void mapPositionsToTabs(const kelvane::TabstripP &row, TabMaps &maps);
void mapTabsToPositions(const kelvane::TabstripP &row, TabMaps &maps);

// The same rules over anything that reads like the tab row (tabs() and
// tabVisible(n)), so they can be driven by a row that fails on purpose.
namespace tabrow {

template<typename Row>
int tabsOf(const Row &row)
{
    return QVariant(row.tabs()).toInt();
}

template<typename Row>
int countVisibleTabs(const Row &row)
{
    int tabs = 0;
    step([&] { tabs = tabsOf(row); });
    int count = 0;
    for (int k = 0; k < tabs; ++k) {
        step([&] {
            if (row.tabVisible(k))
                ++count;
        });
    }
    return count;
}

template<typename Row>
int findOtherVisibleTab(const Row &row)
{
    for (int k = tabsOf(row) - 1; k >= 0; --k) {
        if (row.tabVisible(k))
            return k;
    }
    return 0;
}

template<typename Row>
int findNextVisibleTab(const Row &row, int n)
{
    const int last = tabsOf(row) - 1;
    if (n > last)
        return findOtherVisibleTab(row);
    for (int k = n; k <= last; ++k) {
        if (row.tabVisible(k))
            return k;
    }
    return findOtherVisibleTab(row);
}

template<typename Row>
void mapPositionsToTabs(const Row &row, TabMaps &maps)
{
    int tabs = 0;
    step([&] { tabs = tabsOf(row); });
    int p = 0;
    for (int k = 0; k < tabs; ++k) {
        step([&] {
            if (!row.tabVisible(k))
                return;
            if (p < TabMaps::Size)
                maps.posToTab[static_cast<std::size_t>(p)] = k;
            ++p;
        });
    }
}

template<typename Row>
void mapTabsToPositions(const Row &row, TabMaps &maps)
{
    int tabs = 0;
    step([&] { tabs = tabsOf(row); });
    int p = 0;
    for (int k = 0; k < tabs; ++k) {
        step([&] {
            if (!row.tabVisible(k))
                return;
            if (k < TabMaps::Size)
                maps.tabToPos[static_cast<std::size_t>(k)] = p;
            ++p;
        });
    }
}

} // namespace tabrow

// Lefts in twips of the controls that sit over the toolbar.
struct ToolbarPositions
{
    int check1Left = 0;
    int check3Left = 0;
    int mbLeft = 0;
    int ieLeft = 0;
};

// w: width of one toolbar button, t: twips per pixel, both as the screen has
// them now. checksOnly gives the variant used right after the language was
// applied, which sits Check3 one pixel further left on large fonts.
ToolbarPositions computeToolbarPositions(int w, int t, int check2Left, bool checksOnly);

struct ToolbarParts
{
    QToolBar *Toolbar1 = nullptr;
    QWidget *Check1 = nullptr;
    QWidget *Check2 = nullptr;
    QWidget *Check3 = nullptr;
    QWidget *MB = nullptr;
    QWidget *IE = nullptr;
};

// Button k (1-based) of the toolbar, found by its name "Toolbar1_Button<k>".
// Throws RuntimeError when the toolbar has no such button.
QAction *toolbarButton(const QToolBar &toolbar, int k);

// t: twips per pixel, w: button width in twips. Captions of buttons 5, 7, 8,
// 9, 10 from message numbers 24..28, then the check boxes, MB and IE.
// Failures (a missing part, t <= 0) are thrown.
void layoutToolbar(const ToolbarParts &parts, int t, int w,
                   const std::function<QString(int)> &langText);
// Check1 and Check3 only.
void placeToolbarChecks(const ToolbarParts &parts, int t, int w);

// Marks the program as closing and unloads every window of the list except
// mainWindow. Each window gets its "MU" property set first so that its close
// handler lets it go instead of hiding; a window that refuses or fails is
// passed over. Windows deleted while the walk runs are skipped.
void unloadOtherForms(const QList<QWidget *> &windows, const QWidget *mainWindow,
                      bool &appClosing);

} // namespace velmora::services
