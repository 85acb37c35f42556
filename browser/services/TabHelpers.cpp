#include "TabHelpers.h"

#include "RuntimeError.h"

#include <TabstripP.h>

#include <QAction>
#include <QPointer>
#include <QToolBar>
#include <QWidget>

#include <cmath>

namespace velmora::services {

namespace {

constexpr int ObjectNotSet = 91;
constexpr int DivisionByZero = 11;
constexpr int IndexOutOfBounds = 35600;

QWidget *required(QWidget *w, const char *name)
{
    if (!w)
        throw RuntimeError(ObjectNotSet, std::string("toolbar part missing: ") + name);
    return w;
}

void checkTwipsPerPixel(int t)
{
    if (t <= 0)
        throw RuntimeError(DivisionByZero, "twips per pixel must be positive");
}

int toPixels(int twips, int t)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / t));
}

void setLeft(QWidget *w, int twips, int t)
{
    w->move(toPixels(twips, t), w->y());
}

void applyChecks(const ToolbarParts &parts, const ToolbarPositions &pos, int t)
{
    setLeft(required(parts.Check1, "Check1"), pos.check1Left, t);
    setLeft(required(parts.Check3, "Check3"), pos.check3Left, t);
}

} // namespace

int countVisibleTabs(const kelvane::TabstripP &row)
{
    return tabrow::countVisibleTabs(row);
}

int findNextVisibleTab(const kelvane::TabstripP &row, int n)
{
    return tabrow::findNextVisibleTab(row, n);
}

int findOtherVisibleTab(const kelvane::TabstripP &row)
{
    return tabrow::findOtherVisibleTab(row);
}

void mapPositionsToTabs(const kelvane::TabstripP &row, TabMaps &maps)
{
    tabrow::mapPositionsToTabs(row, maps);
}

void mapTabsToPositions(const kelvane::TabstripP &row, TabMaps &maps)
{
    tabrow::mapTabsToPositions(row, maps);
}

ToolbarPositions computeToolbarPositions(int w, int t, int check2Left, bool checksOnly)
{
    const bool largeFonts = t > 12;
    const int margin = largeFonts ? (checksOnly ? 24 : 25) : 34;
    ToolbarPositions pos;
    pos.check1Left = w * 7;
    pos.check3Left = w * 10 + t * margin;
    pos.mbLeft = check2Left - 50;
    pos.ieLeft = pos.check3Left;
    return pos;
}

QAction *toolbarButton(const QToolBar &toolbar, int k)
{
    const QString name = QStringLiteral("Toolbar1_Button") + QString::number(k);
    const auto actions = toolbar.actions();
    for (QAction *a : actions) {
        if (a->objectName() == name)
            return a;
    }
    throw RuntimeError(IndexOutOfBounds, "toolbar has no button " + std::to_string(k));
}

void layoutToolbar(const ToolbarParts &parts, int t, int w,
                   const std::function<QString(int)> &langText)
{
    checkTwipsPerPixel(t);
    if (!parts.Toolbar1)
        throw RuntimeError(ObjectNotSet, "toolbar part missing: Toolbar1");
    static constexpr int buttons[] = {5, 7, 8, 9, 10};
    for (int i = 0; i < 5; ++i)
        toolbarButton(*parts.Toolbar1, buttons[i])->setText(langText(24 + i));

    const int check2Left = required(parts.Check2, "Check2")->x() * t;
    const ToolbarPositions pos = computeToolbarPositions(w, t, check2Left, false);
    applyChecks(parts, pos, t);
    setLeft(required(parts.MB, "MB"), pos.mbLeft, t);
    setLeft(required(parts.IE, "IE"), pos.ieLeft, t);
}

void placeToolbarChecks(const ToolbarParts &parts, int t, int w)
{
    checkTwipsPerPixel(t);
    // Check2 plays no part here, so it need not be there.
    const ToolbarPositions pos = computeToolbarPositions(w, t, 0, true);
    applyChecks(parts, pos, t);
}

void unloadOtherForms(const QList<QWidget *> &windows, const QWidget *mainWindow,
                      bool &appClosing)
{
    appClosing = true;
    // A window's close handler may take other windows with it.
    QList<QPointer<QWidget>> walk;
    walk.reserve(windows.size());
    for (QWidget *w : windows)
        walk.append(w);

    for (const QPointer<QWidget> &w : std::as_const(walk)) {
        if (!w || w == mainWindow)
            continue;
        step([&] { w->setProperty("MU", true); });
        step([&] {
            if (w->close() && w)
                w->deleteLater();
        });
    }
}

} // namespace velmora::services
