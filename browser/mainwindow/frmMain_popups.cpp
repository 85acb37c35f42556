// New windows that do not become tabs the usual way: those for the desktop's
// browser, and those a page keeps opening by itself.
#include "frmMain.h"

#include "Language.h"
#include "Program.h"
#include "Steps.h"
#include "WebBrowser.h"

#include <QLabel>

namespace velmora::mainwindow {

using services::step;

void frmMain::Web_NewWindowToPlatform(int, const QString &url)
{
    bool opened = false;
    step([&] { opened = m_program.system().openInSystemBrowser(url); });
    if (opened)
        return;
    // The page is not lost: it opens in a tab of ours instead.
    platform::WebBrowser *tab = nullptr;
    bool cancel = false;
    newWindowTab(&tab, &cancel);
    if (cancel || !tab)
        return;
    step([&] { tab->Navigate2(url); });
    if (!unloading)
        statusPanel1->setText(m_program.language().own(
            u"Браузер системы не запускается: окно открыто во вкладке.",
            u"The desktop's browser could not be started: the window opened in a tab."));
}

void frmMain::Web_NewWindowsRefused(int)
{
    if (!unloading)
        statusPanel1->setText(m_program.language().own(
            u"Страница открывает окна одно за другим: остальные её окна не открыты.",
            u"The page keeps opening windows by itself: its further windows were not opened."));
}

} // namespace velmora::mainwindow
