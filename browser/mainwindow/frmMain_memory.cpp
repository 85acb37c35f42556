#include "frmMain.h"

#include "Program.h"
#include "frmMemSave.h"

#include "Connectivity.h"
#include "Language.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <algorithm>

namespace velmora::mainwindow {

using services::step;

namespace {

constexpr int LowMemoryPercent = 5;

} // namespace

void frmMain::connectMemoryWatch()
{
    if (QAction *none = actionNamed(QStringLiteral("MnuConnections_0")))
        MnuConnections.push_back(none);
    connect(actionNamed(QStringLiteral("mnuMem")), &QAction::triggered, this,
            &frmMain::mnuMem_Click);
    // The item is checkable: the click has flipped the mark already.
    connect(mnuMemMesOff, &QAction::triggered, this, &frmMain::mnuMemMesOff_Click);
    connect(menuNamed(QStringLiteral("mnuConnect")), &QMenu::triggered, this,
            [this](QAction *item) {
                const auto it = std::find(MnuConnections.begin(), MnuConnections.end(), item);
                if (it != MnuConnections.end())
                    MnuConnections_Click(int(it - MnuConnections.begin()));
            });
    connect(actionNamed(QStringLiteral("mnuHangUp")), &QAction::triggered, this,
            &frmMain::mnuHangUp_Click);
}

void frmMain::memory_Timer()
{
    std::optional<windows::MemoryFigures> figures;
    step([&] { figures = windows::memoryFigures(m_program.system().memoryStatus()); });
    // Without figures nothing is known: stopping every page would be a guess.
    if (!figures)
        return;
    if (figures->percent <= LowMemoryPercent && !mnuMemMesOff->isChecked()) {
        if (memSaveTag)
            return;
        windows::frmMemSave *window = nullptr;
        step([&] {
            window = &m_program.window<windows::frmMemSave>();
            window->show();
        });
        memSaveTag = true;
        step([&] {
            if (window && !window->Timer1->isActive())
                window->Timer1->start();
        });
    } else if (memSaveTag) {
        windows::frmMemSave *window = m_program.loadedWindow<windows::frmMemSave>();
        step([&] {
            if (window)
                window->Timer1->stop();
        });
        step([&] {
            if (window)
                window->hide();
        });
        memSaveTag = false;
    }
}

void frmMain::mnuMem_Click()
{
    windows::MemoryFigures figures;
    step([&] {
        if (const auto known = windows::memoryFigures(m_program.system().memoryStatus()))
            figures = *known;
    });
    step([&] {
        const auto &lang = m_program.language();
        m_program.dialogs().msgBox(this,
                                   lang.langText(8) + QString::number(figures.freeMB)
                                       + lang.langText(9) + QString::number(figures.percent)
                                       + lang.langText(10),
                                   platform::MsgButtons::OK, platform::MsgIcon::Information,
                                   lang.langText(11));
    });
}

void frmMain::mnuMemMesOff_Click()
{
    step([&] {
        m_program.settings().SaveSetting(QStringLiteral("general"), QStringLiteral("memMess"),
                                         services::boolSettingText(mnuMemMesOff->isChecked()));
    });
}

void frmMain::fillConnections(bool flag)
{
    QMenu *menu = menuNamed(QStringLiteral("mnuConnect"));
    if (auto &dialUp = m_program.platform().dialUp; menu && dialUp)
        services::fillConnections(*dialUp, *menu, MnuConnections, flag);
}

void frmMain::setOffline(bool offline, bool force)
{
    services::setOffline(m_program.internet(), offline, force);
}

void frmMain::MnuConnections_Click(int index)
{
    step([&] {
        if (auto &dialUp = m_program.platform().dialUp)
            services::dialConnection(*dialUp, MnuConnections.at(size_t(index))->text());
    });
}

void frmMain::mnuHangUp_Click()
{
    step([&] {
        if (auto &dialUp = m_program.platform().dialUp)
            services::hangUp(*dialUp);
    });
}

} // namespace velmora::mainwindow
