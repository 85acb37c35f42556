#include "frmMain.h"

#include "Bar.h"
#include "Twips.h"

#include "Language.h"
#include "Placement.h"
#include "Program.h"
#include "RuntimeError.h"
#include "Steps.h"
#include "TabHelpers.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPaintEvent>
#include <QSlider>
#include <QTimer>

#include <cmath>

namespace velmora::mainwindow {

using services::step;

namespace {

// A status panel's width is its fixed width once the window has set one.
int panelWidth(const QLabel *panel)
{
    return panel->minimumWidth() == panel->maximumWidth() ? panel->minimumWidth()
                                                          : panel->width();
}

// Sets a panel's width when it is off by a whole pixel or more.
void setPanelWidth(QLabel *panel, double twips, int t)
{
    if (twips < 0)
        throw services::RuntimeError(380, "negative panel width"); // invalid property value
    const int wanted = twipsToPixels(twips, t);
    if (std::abs(panelWidth(panel) - wanted) >= 1)
        panel->setFixedWidth(wanted);
}

} // namespace

bool frmMain::timer1Enabled() const
{
    if (Timer1->isActive())
        return true;
    return !unloading && !isVisible() && m_enabledTimers.contains(Timer1);
}

double frmMain::textWidthTwips(const QString &text) const
{
    // Measured again only when the text or the font changes: the
    // synchroniser asks for the same text many times a second.
    const QFont current = font();
    if (text != m_measuredText || current != m_measuredFont || m_measuredPixels < 0) {
        m_measuredText = text;
        m_measuredFont = current;
        m_measuredPixels = fontMetrics().horizontalAdvance(text);
    }
    return pixelsToTwips(m_measuredPixels, twipsPerPixel());
}

void frmMain::bindHTML(platform::WebDocument *document)
{
    if (!document)
        throw services::RuntimeError(91, "no page document");
    if (HTML == document)
        return;
    if (HTML)
        disconnect(HTML.data(), &platform::WebDocument::onmousemove, this,
                   &frmMain::HTML_onmousemove);
    HTML = document;
    connect(document, &platform::WebDocument::onmousemove, this, &frmMain::HTML_onmousemove,
            Qt::UniqueConnection);
}

void frmMain::Timer1_Timer()
{
    const int t = twipsPerPixel();
    auto &lang = m_program.language();

    // 1. Runs on every tick, whatever follows.
    step([&] {
        platform::WebBrowser *browser = web(currentTabNumber());
        bindHTML(browser ? browser->Document() : nullptr);
    });
    // 2.
    if (!timer1Enabled() || !m_program.system().isForegroundWindow(this))
        return;
    // 3.
    if (exiting)
        return;
    // 4. Shows the offline state of the previous tick.
    step([&] {
        const bool offline = Check1->isChecked();
        if (mnuOffline->isChecked() != offline)
            mnuOffline->setChecked(offline);
    });
    // 5. The list's first and last rows are never left selected.
    step([&] {
        if (hintPicking)
            return;
        const int last = podskazka->count() - 1;
        if (last < 0)
            return;
        if (!podskazka->item(0)->isSelected() && !podskazka->item(last)->isSelected())
            return;
        podskazka->item(0)->setSelected(false);
        podskazka->item(last)->setSelected(false);
        if (last >= 1)
            podskazka->item(1)->setSelected(false);
    });
    // 6. The state is cached by the platform: no read from disk per tick.
    step([&] { Check1->setChecked(m_program.internet().isOffline()); });
    // 7. A page that has neither title nor location yet (its first
    // navigation is on its way) is named by its tab, which shows the address.
    step([&] {
        const int current = currentTabNumber();
        QString title = getTitle(current);
        if (title.isEmpty())
            title = Tabstrip1->tabCaption(current);
        const QString program = programTitle();
        // Built again only when a part of it or the caption itself changed.
        if (title == m_tickCaption.title && program == m_tickCaption.program
            && windowTitle() == m_tickCaption.shown)
            return;
        setWindowCaption(title + QStringLiteral(" - ") + program);
        m_tickCaption = {title, program, windowTitle()};
    });
    // 8. and 13. walk the row again only when a tab came or went since.
    const bool rowChanged = m_tickRowRevision != Tabstrip1->revision();
    int n = m_tickVisibleTabs;
    if (rowChanged)
        step([&] { n = services::countVisibleTabs(*Tabstrip1); });
    // 9.-12. A slider that moved without the window's knowing was the user's.
    step([&] {
        if (spinbutton1->isEnabled() != (n > 1))
            spinbutton1->setEnabled(n > 1);
    });
    step([&] { setSliderRange(n - 1); });
    step([&] {
        if (spinbutton1->value() != sliderPos)
            spinbutton1_Scroll();
    });
    step([&] { sliderPos = spinbutton1->value(); });
    // 13.
    if (rowChanged) {
        step([&] { services::mapTabsToPositions(*Tabstrip1, m_program.tabMaps()); });
        m_tickRowRevision = Tabstrip1->revision();
        m_tickVisibleTabs = n;
    }
    // 14. Built again only when a part of it changed.
    step([&] {
        const int position =
            m_program.tabMaps().tabToPos.at(static_cast<size_t>(currentTabNumber())) + 1;
        const QString before = lang.langText(32);
        const QString after = lang.langText(33);
        TickStatus &last = m_tickStatus;
        if (last.position == position && last.visible == n && last.before == before
            && last.after == after && statusPanel2->text() == last.text)
            return;
        const QString text = before + QString::number(position) + after + QString::number(n);
        last = {position, n, before, after, text};
        if (statusPanel2->text() != text)
            statusPanel2->setText(text);
    });
    // 15.-23. The suggestion list.
    step([&] {
        if (Combo1->currentText().isEmpty())
            podskazka->hide();
    });
    step([&] {
        if (FocusOwner == 2)
            podskazka->hide();
    });
    step([&] {
        if (podskazka->count() == 0)
            podskazka->hide();
    });
    step([&] { suppressComboClick = !podskazka->isHidden(); });
    step([&] {
        if (!podskazka->isHidden())
            podskazka->raise();
    });
    step([&] {
        if (podskazka->isHidden() && podskazka->count() > 0)
            podskazka->clear();
    });
    step([&] {
        if (Combo1->currentText().isEmpty())
            podskazka->hide();
    });
    step([&] { hintRebuild = podskazka->isHidden(); });
    step([&] {
        if (podskazka->width() != Combo1->width())
            podskazka->resize(Combo1->width(), podskazka->height());
    });
    // 24. Panel 2 fits its text; 25. panel 1 takes the room left before the progress bar.
    // Measured again only when the text, the bar's place, the scale or the
    // font changed since the last tick.
    const TickPanels panels{statusPanel2->text(), Bar1->geometry(), t, m_fontChanges};
    if (!(panels == m_tickPanels)) {
        step([&] {
            statusWidth = textWidthTwips(statusPanel2->text()) + 100;
            setPanelWidth(statusPanel2, statusWidth, t);
        });
        step([&] {
            statusWidth =
                twipsGeometry(Bar1, t).left - textWidthTwips(statusPanel2->text()) - 170;
            setPanelWidth(statusPanel1, statusWidth, t);
        });
        m_tickPanels = panels;
    }
    // 26. Once per run: the user's later unchecking stands.
    step([&] {
        if (n >= 2 && !autosaveArmed) {
            CAutosave->setChecked(true);
            autosaveArmed = true;
        }
    });
    // 27.
    step([&] { HTML_onmousemove(); });
    // 28.
    if (pageFocusPending) {
        step([&] {
            if (m_program.system().isForegroundWindow(this) && HTML)
                HTML->focus();
        });
        pageFocusPending = false;
    }
}

void frmMain::Timer2_Timer()
{
    step([&] { Command3_Click(); });
    Timer2->stop();
}

void frmMain::Timer5_Timer()
{
    // Keeps trying until the slider's focus event switches the timer off.
    step([&] { spinbutton1->setFocus(Qt::OtherFocusReason); });
}

void frmMain::TimResol_Timer()
{
    step([&] {
        const QSize screen = m_program.system().screenPixels();
        if (!(screen.width() >= 1024 && screen.height() >= 768))
            layoutToolbar();
    });
    step([&] { Form_Resize(); });
    // A screen that shrank leaves the window on it, whole.
    step([&] {
        if (!isVisible() || windowState() != Qt::WindowNoState)
            return;
        const QRect area = windows::screenArea(m_program);
        const QRect frame = frameGeometry();
        if (area.isEmpty() || area.contains(frame))
            return;
        QRect outer(frame.topLeft(), frame.size().boundedTo(area.size()));
        outer.moveTopLeft(windows::keptOnScreen(outer, area));
        windows::fitFrame(this, outer);
    });
}

void frmMain::Form_Paint()
{
    if (!firstPaintDone) {
        firstPaintDone = true;
        step([&] { TimResol_Timer(); });
    }
    step([&] {
        if (!m_program.appClosing)
            return;
        if (!unloading)
            Form_Unload();
        m_program.system().terminateProcess(0);
    });
}

void frmMain::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    // The layout and the unload must not run inside the paint itself.
    if (!firstPaintDone || m_program.appClosing)
        QTimer::singleShot(0, this, [this] { Form_Paint(); });
}

} // namespace velmora::mainwindow
