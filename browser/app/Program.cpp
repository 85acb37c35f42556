#include "Program.h"

#include "frmMain.h"
#include "frmOptions.h"
#include "start.h"

#include "AddressHistory.h"
#include "Language.h"
#include "OfflinePage.h"
#include "OneValueFiles.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "TabHelpers.h"

#include <QWidget>

namespace velmora {

Program::Program(platform::Services services)
    : m_platform(std::move(services)),
      m_folder(std::make_unique<services::ProgramFolder>()),
      m_settings(std::make_unique<services::SettingsStore>()),
      m_files(std::make_unique<services::OneValueFiles>(*m_folder)),
      m_history(std::make_unique<services::AddressHistory>(*m_folder)),
      m_language(std::make_unique<services::Language>()),
      m_tabMaps(std::make_unique<services::TabMaps>())
{
    m_language->setTwipsPerPixel(m_platform.system->twipsPerPixelX());
    m_platform.browsers->setOfflinePage(
        [this](const QString &address) { return services::offlinePageHtml(*m_language, address); });
}

Program::~Program()
{
    // Windows go before the services their browsers were made by.
    for (auto &[type, window] : m_windows)
        delete window.data();
    delete m_main.data();
}

mainwindow::frmMain &Program::mainWindow()
{
    if (!m_main)
        m_main = new mainwindow::frmMain(*this);
    return *m_main;
}

windows::frmOptions &Program::options()
{
    return window<windows::frmOptions>();
}

QList<QWidget *> Program::otherWindows() const
{
    QList<QWidget *> result;
    for (const auto &[type, window] : m_windows) {
        if (window)
            result.append(window.data());
    }
    return result;
}

void Program::start(const QString &commandLine)
{
    m_commandLine = commandLine;
    // The start-up window's load runs the whole chain: the hot-word table,
    // then the main window, which unloads the start-up window.
    windows::start &first = window<windows::start>();
    if (appClosing)
        return;
    first.Form_Load();
    // Whatever broke the chain, the program opens.
    if (!mainLoaded && !appClosing)
        mainWindow().Form_Load();
}

} // namespace velmora
