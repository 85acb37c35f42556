#include "frmMain.h"

#include "Bar.h"

#include "Language.h"
#include "OneValueFiles.h"
#include "Program.h"
#include "ShownAddress.h"
#include "Steps.h"
#include "TabHelpers.h"

#include "TabstripP.h"
#include "WebBrowser.h"
#include "ShowPainted.h"
#include "frmSplash2.h"

#include <QApplication>
#include <QComboBox>
#include <QSlider>
#include <QTabBar>
#include <QTimer>

namespace velmora::mainwindow {

using services::step;

namespace {
const QString blankPage = QStringLiteral("about:blank");
}

void frmMain::cmdNew_Click()
{
    // 1. The row holds numbers up to 1000.
    int tabs = 0;
    step([&] { tabs = Tabstrip1->tabs().toInt(); });
    const auto limitNotice = [this] {
        m_program.dialogs().msgBox(
            this,
            QStringLiteral("Sorry, but this version of Velmora can open (and close) only 1000 "
                           "tabs\r\n\r\nЭта версия Velmora может открывать (и закрывать) только "
                           "1000 вкладок одновременно"),
            platform::MsgButtons::OK, platform::MsgIcon::Information,
            QStringLiteral("Only 1000 tabs/Только 1000 вкладок"));
    };
    if (tabs >= MaxTab) {
        limitNotice();
        if (tabs > MaxTab)
            return;
    }
    // 2. With the newest tabs closed the row reads fewer numbers than were
    // given out, and the append itself meets the limit: say so, open nothing.
    if (!step([&] { Tabstrip1->setTabs(tabs + 1); })) {
        if (tabs < MaxTab)
            limitNotice();
        return;
    }
    int n = -1;
    step([&] { n = Tabstrip1->tabs().toInt() - 1; });
    if (n <= 0 || n > MaxTab)
        return;
    // 3.
    step([&] { Tabstrip1->setTabCaption(n, blankPage); });
    // 4. Web only grows; its next index is the new number.
    platform::WebBrowser *browser = nullptr;
    step([&] {
        while (webCount() <= n)
            browser = loadWeb();
        browser = web(n);
        browser->setVisible(true);
        browser->Navigate2(blankPage);
    });
    // 5.
    step([&] { Tabstrip1->setValue(n); });
    step([&] { web(n)->widget()->raise(); });
    // 6. A new tab is always the last open one.
    step([&] {
        const int max = services::countVisibleTabs(*Tabstrip1) - 1;
        setSliderRange(max);
        setSliderValue(max);
        sliderPos = spinbutton1->value();
    });
}

void frmMain::cmdClose_Click()
{
    int c = 0;
    step([&] { c = currentTabNumber(); });
    const int v = services::countVisibleTabs(*Tabstrip1);
    platform::WebBrowser *browser = web(c);
    const QString home = m_program.files().getHomePage();

    if (v == 1 && browser && browser->LocationURL() == home) {
        // 1. The only tab already shows the home page.
    } else if (v < 2) {
        // 2. The last open tab goes home instead of closing.
        step([&] { browser->Navigate2(home); });
    } else {
        step([&] { Tabstrip1->Tabstrip1()->setFocus(); });
        discardPage(c);
        step([&] { Tabstrip1->setTabVisible(c, false); });
        int n = c;
        step([&] { n = services::findNextVisibleTab(*Tabstrip1, c); });
        step([&] {
            int index = n;
            Tabstrip1->setValue(Tabstrip1->borderTab(index));
        });
        step([&] { Tabstrip1->setValue(n); });
    }
    refreshAfterClose();
}

void frmMain::discardPage(int index)
{
    platform::WebBrowser *browser = web(index);
    step([&] {
        browser->setSilent(true);
        browser->setVisible(false);
    });
    step([&] {
        if (browser->hasPage())
            browser->Document()->Clear();
    });
    // A closed tab keeps its slot but must not keep a page alive.
    step([&] { browser->releasePage(); });
}

void frmMain::refreshAfterClose()
{
    const int current = currentTabNumber();
    step([&] { Combo1->setEditText(services::shownAddress(web(current)->LocationURL())); });
    step([&] { setWindowCaption(getTitle(current) + QStringLiteral(" - ") + programTitle()); });
    if (current >= 0 && current < ProgressTabs) {
        step([&] {
            Bar1->setValue(tabProgress[static_cast<size_t>(current)]);
            Bar1->setMax(tabProgressMax[static_cast<size_t>(current)]);
        });
    }
    pageFocusPending = true;
}

void frmMain::mnuCloseAllTabs_Click()
{
    auto &lang = m_program.language();
    const auto answer = m_program.dialogs().msgBox(this, lang.langText(2),
                                                   platform::MsgButtons::YesNo,
                                                   platform::MsgIcon::Question, lang.langText(3));
    if (answer != platform::MsgResult::Yes)
        return;
    // 2. The wait window paints before the work starts.
    step([&] { windows::showPainted(&m_program.window<windows::frmSplash2>()); });
    step([&] { Tabstrip1->setValue(1); });
    QApplication::processEvents();
    // 3.
    Timer1->stop();
    setEnabled(false);
    Tabstrip1->hide();
    // Tab 1 survives. The row cannot show a closed number again, so when tab 1
    // was closed before, the lowest open tab survives instead.
    int survivor = 1;
    if (!Tabstrip1->tabVisible(1))
        step([&] { survivor = services::findNextVisibleTab(*Tabstrip1, 1); });
    // 4. Every other open tab gets a fresh, hidden control in its slot.
    for (int i = 2; i < webCount(); ++i) {
        platform::WebBrowser *browser = web(i);
        if (i == survivor || !browser || !browser->Visible())
            continue;
        step([&] { browser->setVisible(false); });
        step([&] {
            const QRect geometry = browser->widget()->geometry();
            unloadWeb(i);
            platform::WebBrowser *fresh = m_program.browsers().create(form);
            Web[static_cast<size_t>(i)] = fresh;
            connectWeb(fresh, i);
            fresh->widget()->setGeometry(geometry);
            fresh->setVisible(false);
            fresh->setSilent(true);
        });
        step([&] { Tabstrip1->setTabVisible(i, false); });
    }
    // 5.
    step([&] { Tabstrip1->setTabVisible(survivor, true); });
    step([&] {
        platform::WebBrowser *browser = web(survivor);
        browser->setVisible(true);
        if (browser->hasPage())
            browser->Document()->Clear();
        browser->Navigate2(m_program.files().getHomePage());
    });
    step([&] { Tabstrip1->setValue(survivor); });
    // 6.
    step([&] { services::mapPositionsToTabs(*Tabstrip1, m_program.tabMaps()); });
    step([&] { services::mapTabsToPositions(*Tabstrip1, m_program.tabMaps()); });
    // 7.
    Tabstrip1->show();
    setEnabled(true);
    Timer1->start();
    step([&] { m_program.window<windows::frmSplash2>().hide(); });
}

void frmMain::goBack()
{
    step([&] {
        auto *browser = web(currentTabNumber());
        browser->Stop();
        browser->GoBack();
    });
}

void frmMain::goForward()
{
    step([&] {
        auto *browser = web(currentTabNumber());
        browser->Stop();
        browser->GoForward();
    });
}

void frmMain::goHome()
{
    step([&] { web(currentTabNumber())->Navigate2(m_program.files().getHomePage()); });
}

void frmMain::stopLoading()
{
    step([&] { web(currentTabNumber())->Stop(); });
}

QString frmMain::getTitle(int index) const
{
    // A reopened saved record keeps its title until the page has one.
    if (QString kept = recordTitleFor(index); !kept.isNull())
        return kept;
    QString result;
    step([&] {
        platform::WebBrowser *browser = web(index);
        if (!browser)
            return;
        const QString title = browser->hasPage() ? browser->Document()->title() : QString();
        if (!title.isEmpty()) {
            result = title == QStringLiteral("http://about:blank") ? blankPage : title;
            return;
        }
        result = browser->LocationName();
        // A page named after its location is named after what was asked
        // for, not after the error page that stands in for it.
        if (result == browser->LocationURL())
            result = services::shownAddress(withoutErrorPageWrappers(result, systemDir));
        // A window a page opened empty shows the blank page; one on its way
        // to an address is named by what was asked.
        const bool asked = index >= 0 && static_cast<size_t>(index) < newURL.size()
                           && !newURL.at(static_cast<size_t>(index)).isEmpty();
        if (result.isEmpty() && browser->hasPage() && !browser->Busy() && !asked)
            result = blankPage;
    });
    return result;
}

} // namespace velmora::mainwindow
