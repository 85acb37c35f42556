#include "frmMain.h"

#include "Bar.h"
#include "Twips.h"

#include "Language.h"
#include "Program.h"
#include "Steps.h"
#include "TabHelpers.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QComboBox>
#include <QCursor>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <utility>

namespace velmora::mainwindow {

using services::step;

void frmMain::Tabstrip1_change()
{
    auto n = [this] { return currentTabNumber(); };
    // A caption let that selects nothing new must not take the keyboard
    // from where the user types: only a real switch moves it to the page.
    const bool captionLet = std::exchange(m_captionLetPending, false);
    bool reshowOnly = false;
    step([&] { reshowOnly = captionLet && n() == currentTab; });
    // The suggestions under what the user types stay too.
    if (!reshowOnly)
        step([&] { podskazka->hide(); });
    step([&] { web(n())->widget()->raise(); });
    // What the previous tab's page said of a link is not this tab's.
    step([&] {
        if (n() != currentTab)
            clearPageStatus();
    });
    step([&] {
        // Another tab's text is shown: nothing of it was typed yet.
        if (n() != currentTab)
            m_addressTyped = false;
    });
    step([&] { currentTab = n(); });
    step([&] {
        // The same text again is no change: the caret stays where it is.
        const QString &text = newURL.at(static_cast<size_t>(n()));
        if (Combo1->currentText() != text)
            Combo1->setEditText(text);
    });
    step([&] { setWindowCaption(getTitle(n()) + QStringLiteral(" - ") + programTitle()); });
    step([&] {
        const auto i = static_cast<size_t>(n());
        Bar1->setValue(tabProgress.at(i));
        Bar1->setMax(tabProgressMax.at(i));
    });
    step([&] {
        auto &maps = m_program.tabMaps();
        services::mapTabsToPositions(*Tabstrip1, maps);
        setSliderValue(maps.tabToPos.at(static_cast<size_t>(n())));
        sliderPos = spinbutton1->value();
    });
    if (reshowOnly)
        return;
    if (FocusOwner != 4) {
        prevFocusOwner = FocusOwner;
        FocusOwner = 2;
    }
    // A switch made with the slider leaves the focus on the slider.
    if (!(m_program.system().isForegroundWindow(this) && FocusOwner == 2))
        return;
    step([&] {
        if (HTML)
            HTML->focus();
    });
    step([&] { web(n())->SetFocus(); });
}

void frmMain::Tabstrip1_click()
{
    step([&] {
        const int t = twipsPerPixel();
        platform::WebBrowser *page = web(currentTabNumber());
        QWidget *w = page->widget();
        const TwipsRect web0 = twipsGeometry(Web[0]->widget(), t);
        TwipsRect r;
        r.height = twipsGeometry(Tabstrip1, t).top - web0.top;
        r.width = twipsGeometry(StatusBar1, t).width;
        r.left = web0.left;
        r.top = twipsGeometry(Toolbar1, t).height + 375.0 / 12.0 * t;
        setTwipsGeometry(w, r, t);
    });
}

void frmMain::Tabstrip1_mouseDown(int Button, int, float, float)
{
    if (Button == 2)
        popClose->popup(QCursor::pos());
}

void frmMain::popCloseIt_Click()
{
    cmdClose_Click();
}

void frmMain::spinbutton1_Scroll()
{
    rearmHint = true;
    auto &maps = m_program.tabMaps();
    step([&] { services::mapPositionsToTabs(*Tabstrip1, maps); });
    step([&] { Tabstrip1->setValue(maps.posToTab.at(static_cast<size_t>(spinbutton1->value()))); });
    step([&] { Tabstrip1_click(); });
    FocusOwner = 5;
    Timer5->start();
}

} // namespace velmora::mainwindow
