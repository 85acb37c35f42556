#include "frmMain.h"

#include "Program.h"
#include "Steps.h"
#include "frmOptions.h"

#include <QAction>

namespace velmora::mainwindow {

using services::step;

void frmMain::connectWindowCommands()
{
    connect(actionNamed(QStringLiteral("mnuOptions")), &QAction::triggered, this,
            [this] { mnuOptions_Click(); });
}

void frmMain::mnuOptions_Click()
{
    // Loaded before it shows, so it never shows edits an earlier opening
    // left unapplied.
    windows::frmOptions &options = m_program.options();
    options.manual = true;
    step([&] { options.Form_Load(); });
    step([&] {
        options.show();
        options.raise();
        options.activateWindow();
    });
}

} // namespace velmora::mainwindow
