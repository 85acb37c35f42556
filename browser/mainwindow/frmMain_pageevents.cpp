#include "frmMain.h"

#include "EditTextKeeper.h"

#include "Bar.h"

#include "Program.h"
#include "frmOptions.h"

#include "AddressHistory.h"
#include "OneValueFiles.h"
#include "RuntimeError.h"
#include "ShownAddress.h"
#include "Steps.h"
#include "TabHelpers.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QApplication>
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

namespace velmora::mainwindow {

using services::step;

namespace {

constexpr int CaptionLength = 20;
// Rows 0..7 of the favourite-address list hold the first sites ever visited.
constexpr int FavouriteBlock = 8;

bool isWebAddress(const QString &loc)
{
    return (loc.startsWith(QLatin1String("http://")) || loc.startsWith(QLatin1String("ftp://"))
            || loc.startsWith(QLatin1String("https://")))
           && loc != QLatin1String("http:///");
}

// The control of a tab; a number without one fails the step that asks.
platform::WebBrowser &control(const frmMain &window, int index)
{
    platform::WebBrowser *browser = window.web(index);
    if (!browser)
        throw services::RuntimeError(services::RuntimeError::SubscriptOutOfRange,
                                     "no browser control for this tab");
    return *browser;
}

} // namespace

void frmMain::Web_BeforeNavigate2(int Index, const QString &URL, bool *Cancel)
{
    // Page scripts navigate all the time; they must not count as requests.
    if (URL.left(10) == QLatin1String("javascript"))
        return;
    if (URL == QLatin1String("http:///")) {
        *Cancel = true;
        return;
    }
    const auto i = static_cast<size_t>(Index);
    step([&] { prevURL.at(i) = services::shownAddress(control(*this, Index).LocationURL()); });
    const QString requested = services::shownAddress(URL);
    // What the user is typing over this tab's address stays the tab's text.
    step([&] {
        if (!typingAddress(Index))
            newURL.at(i) = requested;
    });
    step([&] {
        if (requested == prevURL.at(i))
            ++repeatCount;
        else
            repeatCount = 0;
        // A page that keeps reloading itself is stopped on the tenth try.
        if (repeatCount >= 10) {
            *Cancel = true;
            repeatCount = 0;
            control(*this, Index).Stop();
        }
    });
    // A tab opened for a new window has no caption until it asks for a page.
    step([&] {
        const int m = Tabstrip1->tabs().toInt() - 1;
        if (Tabstrip1->tabCaption(m).isEmpty())
            captionFromAddress(m);
    });
}

void frmMain::captionFromAddress(int tab)
{
    if (!Tabstrip1->tabVisible(tab) || !Tabstrip1->tabCaption(tab).isEmpty())
        return;
    QString address = newURL.at(static_cast<size_t>(tab));
    if (address.isEmpty())
        address = QStringLiteral("about:blank");
    Tabstrip1->setTabCaption(tab, address.size() < CaptionLength
                                      ? address
                                      : address.left(CaptionLength) + QStringLiteral("..."));
}

void frmMain::Web_NewWindow2([[maybe_unused]] int Index, platform::WebBrowser **ppDisp,
                             bool *Cancel)
{
    QCoreApplication::processEvents();

    if (mnuIE->isChecked()) {
        // Left unanswered, the control hands the address to the desktop's
        // browser (see connectWeb).
        *Cancel = false;
        return;
    }
    if (Check2->isChecked() || Check3->isChecked()) {
        *Cancel = true;
        return;
    }
    newWindowTab(ppDisp, Cancel);
}

void frmMain::newWindowTab(platform::WebBrowser **ppDisp, bool *Cancel)
{
    // No tab beyond number 1000: such a window is refused.
    int tabs = MaxTab + 1;
    step([&] { tabs = Tabstrip1->tabs().toInt(); });
    if (tabs > MaxTab || !step([&] { Tabstrip1->setTabs(tabs + 1); })) {
        *Cancel = true;
        return;
    }
    int n = -1;
    step([&] { n = Tabstrip1->tabs().toInt() - 1; });
    if (n <= 0 || n > MaxTab) {
        *Cancel = true;
        return;
    }
    platform::WebBrowser *browser = nullptr;
    step([&] {
        while (webCount() <= n)
            loadWeb();
        browser = web(n);
    });
    if (!browser) {
        *Cancel = true;
        return;
    }
    step([&] { browser->setVisible(true); });
    step([&] { browser->setSilent(false); });

    if (m_program.optionFlags.opNW) {
        step([&] { Tabstrip1->setValue(n); });
    } else {
        // A control shown last covers its siblings; the current page stays in front.
        step([&] { control(*this, currentTabNumber()).widget()->raise(); });
    }

    if (m_program.system().isForegroundWindow(this)) {
        step([&] {
            platform::WebBrowser &current = control(*this, currentTabNumber());
            if (current.hasPage())
                current.Document()->focus();
        });
        step([&] { control(*this, currentTabNumber()).SetFocus(); });
        pageFocusPending = true;
    }
    FocusOwner = 2;

    *ppDisp = browser;
    newWindowObject = browser;
    // A window opened empty asks for no page: once the control has taken
    // the window, a tab still without a caption is named after its address.
    QTimer::singleShot(0, this, [this, n, tab = QPointer<platform::WebBrowser>(browser)] {
        if (tab && tab == web(n))
            step([&] { captionFromAddress(n); });
    });

    step([&] {
        const int visible = services::countVisibleTabs(*Tabstrip1);
        if (visible < 2)
            return;
        auto &maps = m_program.tabMaps();
        setSliderRange(visible - 1);
        services::mapTabsToPositions(*Tabstrip1, maps);
        setSliderValue(maps.tabToPos.at(static_cast<size_t>(currentTabNumber())));
        sliderPos = spinbutton1->value();
    });
}

void frmMain::Web_NavigateComplete2(int Index, const QString &)
{
    platform::WebBrowser *browser = web(Index);
    if (!browser)
        return;
    QString loc;
    step([&] { loc = services::shownAddress(browser->LocationURL()); });
    step([&] { forgetErrorPageVisit(Index, loc); });
    if (isWebAddress(loc)) {
        step([&] { browser->setSilent(true); });
        step([&] {
            const QString h = services::AddressHistory::getHostPart(loc);
            // The list is reordered behind the address text: the address bar's
            // own handlers must not take it for a choice of the user, and
            // what the user is typing stays as it is.
            const EditTextKeeper keepText(Combo1);
            int found = -1;
            for (int row = 0; row < Combo1->count(); ++row) {
                if (Combo1->itemText(row) == h) {
                    found = row;
                    break;
                }
            }
            rememberHistoryVisit(Index, loc, h, found);
            if (m_program.optionFlags.save_mode) {
                if (found >= 0)
                    Combo1->removeItem(found);
                Combo1->insertItem(0, h);
            } else if (found >= 0) {
                Combo1->removeItem(found);
                Combo1->insertItem(found >= FavouriteBlock ? FavouriteBlock : 0, h);
            } else if (Combo1->count() < FavouriteBlock) {
                Combo1->addItem(h);
            } else {
                Combo1->insertItem(FavouriteBlock, h);
            }
        });
        step([&] { m_program.history().saveHistory(*Combo1); });
    }
    if (Index == currentTabNumber()) {
        // The link the pointer was on belonged to the page that has gone.
        step([&] { clearPageStatus(); });
    }
    // What the user is typing in the address bar is theirs until they go
    // or press Escape; the page's address does not replace it.
    if (typingAddress(Index))
        return;
    if (Index == currentTabNumber()) {
        step([&] {
            Combo1->setEditText(services::shownAddress(browser->LocationURL()));
            Combo1->lineEdit()->deselect();
        });
    }
    step([&] {
        newURL.at(static_cast<size_t>(Index)) = services::shownAddress(browser->LocationURL());
    });
}

void frmMain::Web_DocumentComplete(int Index, const QString &URL)
{
    platform::WebBrowser *browser = web(Index);
    if (!browser)
        return;
    step([&] { browser->setSilent(false); });
    step([&] {
        if (!typingAddress(Index))
            newURL.at(static_cast<size_t>(Index)) = services::shownAddress(browser->LocationURL());
    });
    step([&] {
        if (tmrUpd->isActive() && URL != m_program.files().getHomePage()
            && !URL.startsWith(QLatin1String("about:"))
            && !URL.startsWith(QLatin1String("file://")) && !URL.isEmpty())
            updateArmed = true;
    });
}

void frmMain::Web_DownloadComplete(int Index)
{
    // A finished page takes the focus only while the user has left it with
    // the page: one who went on to the address bar, the suggestions, the
    // slider or the close button keeps typing there.
    if (Index == currentTabNumber() && !userHoldsFocus())
        pageFocusPending = true;
    step([&] {
        if (!typingAddress(Index))
            newURL.at(static_cast<size_t>(Index)) =
                services::shownAddress(control(*this, Index).LocationURL());
    });
}

void frmMain::Web_ProgressChange(int Index, int Progress, int ProgressMax)
{
    if (Index >= 0 && Index < ProgressTabs) {
        tabProgressMax[static_cast<size_t>(Index)] = ProgressMax;
        tabProgress[static_cast<size_t>(Index)] = Progress;
    }
    if (Index == currentTabNumber()) {
        step([&] { Bar1->setValue(Progress); });
        step([&] { Bar1->setMax(ProgressMax); });
    }
}

void frmMain::Web_StatusTextChange(int Index, const QString &Text)
{
    if (unloading || Index != currentTabNumber())
        return;
    statusPanel1->setText(Text);
    m_pageStatusText = Text;
}

void frmMain::clearPageStatus()
{
    // The window's own notices stay; what a page said belongs to that page.
    if (!unloading && !m_pageStatusText.isEmpty() && statusPanel1->text() == m_pageStatusText)
        statusPanel1->clear();
    m_pageStatusText.clear();
}

void frmMain::Web_TitleChange(int Index, const QString &PageText)
{
    // A reopened saved record keeps its title until the page has one.
    const QString kept = recordTitleFor(Index);
    const QString &Text = kept.isNull() ? PageText : kept;
    step([&] { setWindowCaption(Text + QStringLiteral(" - ") + programTitle()); });
    step([&] {
        Tabstrip1->setTabCaption(Index, Text.size() <= CaptionLength
                                            ? Text
                                            : Text.left(CaptionLength) + QStringLiteral("..."));
    });
}

void frmMain::Web_WindowClosing(int Index, bool, bool *Cancel)
{
    // A page closing its own window closes its tab instead.
    *Cancel = true;
    step([&] { Tabstrip1->setValue(Index); });
    step([&] { cmdClose_Click(); });
}

bool frmMain::typingAddress(int tab) const
{
    return m_addressTyped && FocusOwner == 1 && tab == currentTabNumber();
}

bool frmMain::userHoldsFocus() const
{
    return FocusOwner == 1 || FocusOwner == 4 || FocusOwner == 6 || FocusOwner == 8;
}

void frmMain::Web_GotFocus(int)
{
    FocusOwner = 2;
}

void frmMain::Web_LostFocus(int index)
{
    // The menu bar opened from the keyboard takes the keys until it closes;
    // the page keeps the focus.
    if (qobject_cast<QMenuBar *>(QApplication::focusWidget()))
        return;
    // The page hears of its loss after the part that took the focus has
    // claimed it; only a focus still held by the page becomes nobody's.
    if (FocusOwner != 2)
        return;
    // Another tab's page took it: the focus is still a page's.
    const QWidget *focused = QApplication::focusWidget();
    for (int i = 0; focused && i < webCount(); ++i) {
        platform::WebBrowser *other = i == index ? nullptr : web(i);
        if (other && (other->widget() == focused || other->widget()->isAncestorOf(focused)))
            return;
    }
    FocusOwner = 3;
}

void frmMain::HTML_onmousemove()
{
    // The mouse over the page must not take the focus from the address bar,
    // the slider, the suggestion list or the close button.
    if (FocusOwner != 2 && FocusOwner != 3 && FocusOwner != 5)
        return;
    if (!m_program.system().isForegroundWindow(this))
        return;
    step([&] {
        if (HTML)
            HTML->focus();
    });
}

} // namespace velmora::mainwindow
