#include "Program.h"

#include "QtTranslation.h"
#include "frmMain.h"
#include "frmOptions.h"
#include "start.h"

#include "AddressHistory.h"
#include "Language.h"
#include "OfflinePage.h"
#include "OneValueFiles.h"
#include "ProxySetting.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "StaleFiles.h"
#include "Steps.h"
#include "TabHelpers.h"
#include "FavoritesStore.h"
#include "ShellFavorites.h"

#include <QDir>
#include <QFileInfo>

#include <QWidget>

#include <utility>

using namespace Qt::StringLiterals;

namespace velmora {

namespace {

platform::Services withWriteFailures(platform::Services services)
{
    if (!services.writeFailures)
        services.writeFailures = std::make_unique<platform::WriteFailures>();
    return services;
}

} // namespace

Program::Program(platform::Services services)
    : m_platform(withWriteFailures(std::move(services))),
      m_folder(std::make_unique<services::ProgramFolder>()),
      m_settings(std::make_unique<services::SettingsStore>()),
      m_files(std::make_unique<services::OneValueFiles>(*m_folder, &writeFailures())),
      m_history(std::make_unique<services::AddressHistory>(*m_folder, &writeFailures())),
      m_language(std::make_unique<services::Language>()),
      m_tabMaps(std::make_unique<services::TabMaps>()),
      m_qtTranslation(std::make_unique<QtTranslation>())
{
    m_settings->setWriteFailures(&writeFailures());
    m_language->setTwipsPerPixel(m_platform.system->twipsPerPixelX());
    if (m_platform.favorites) {
        m_platform.favorites->setTextChooser(
            [this](const char16_t *russian, const char16_t *english) {
                return m_language->own(russian, english);
            });
    }
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

void Program::closeFromOutside(int unloadMode, bool loopEnded)
{
    if (m_starting && mainLoaded && !loopEnded) {
        if (!m_closeAfterStart)
            m_closeAfterStart = unloadMode;
        return;
    }
    if (m_main && mainLoaded)
        m_main->closeNotByUser(unloadMode);
    if (loopEnded || !m_main || !mainLoaded)
        system().terminateProcess(0);
}

void Program::removeStaleFiles()
{
    using services::removeStaleFiles;
    removeStaleFiles(m_folder->path(),
                     {u"home.dat"_s, u"web_nw.dat"_s, u"mode.dat"_s, u"exit.dat"_s,
                      u"WebHis.dat"_s, u"db.tdb"_s, u"autosave.btl"_s, u"crash!$#"_s});
    removeStaleFiles(QFileInfo(m_settings->filePath()).absolutePath(),
                     {QFileInfo(m_settings->filePath()).fileName(), u"registry.json"_s,
                      u"offline"_s});
    if (m_platform.favorites) {
        const QString favorites = m_platform.favorites->favoritesFolder();
        removeStaleFiles(favorites, {u"*.url"_s});
        removeStaleFiles(QDir(favorites).filePath(QString::fromUtf16(services::favorites::ExportFolder)),
                         {u"*.url"_s});
    }
}

void Program::start(const QString &commandLine)
{
    m_starting = true;
    startChain(commandLine);
    m_starting = false;
    if (const std::optional<int> mode = std::exchange(m_closeAfterStart, std::nullopt))
        closeFromOutside(*mode);
}

void Program::startChain(const QString &commandLine)
{
    startStep("start");
    m_commandLine = commandLine;
    // Left by an instance killed while it wrote.
    removeStaleFiles();
    // Standard buttons and dialogs speak the language the run starts in.
    services::step([&] {
        const QString dir = m_folder->path();
        m_qtTranslation->use(m_settings->GetSetting(QStringLiteral("general"),
                                                    QStringLiteral("language"),
                                                    m_language->getDefaultLanguage(dir)));
    });
    // Before any page: the engine takes its connection once, when it starts.
    services::step([&] { browsers().setLanguage(m_qtTranslation->localeName()); });
    services::step([&] { browsers().setProxy(services::readProxyChoice(*m_settings)); });
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
