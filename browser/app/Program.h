#pragma once

#include "Services.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <typeindex>

class QWidget;

namespace velmora::services {
class ProgramFolder;
class SettingsStore;
class OneValueFiles;
class AddressHistory;
class Language;
struct TabMaps;
} // namespace velmora::services

namespace velmora::mainwindow {
class frmMain;
}
namespace velmora::windows {
class frmOptions;
}

namespace velmora {

class QtTranslation;

// One running browser: owns the platform services, the shared tables and
// every window. Windows receive it and reach each other through it.
class Program
{
public:
    explicit Program(platform::Services services);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    platform::Services &platform() { return m_platform; }
    platform::Dialogs &dialogs() { return *m_platform.dialogs; }
    platform::SystemFacts &system() { return *m_platform.system; }
    platform::InternetState &internet() { return *m_platform.internet; }
    platform::WebBrowserFactory &browsers() { return *m_platform.browsers; }
    // Where every writer of the program's files raises a failed write.
    platform::WriteFailures &writeFailures() { return *m_platform.writeFailures; }

    services::ProgramFolder &folder() { return *m_folder; }
    services::SettingsStore &settings() { return *m_settings; }
    services::OneValueFiles &files() { return *m_files; }
    services::AddressHistory &history() { return *m_history; }
    services::Language &language() { return *m_language; }
    services::TabMaps &tabMaps() { return *m_tabMaps; }
    // Qt's own texts in the language the program started in.
    QtTranslation &qtTranslation() { return *m_qtTranslation; }

    // Windows are created on first use and live until the program ends.
    mainwindow::frmMain &mainWindow();
    windows::frmOptions &options();
    bool hasMainWindow() const { return !m_main.isNull(); }
    // A secondary window of type W (constructed as W(Program &)), loaded
    // hidden on first use, as referring to a window loads it.
    template<typename W>
    W &window()
    {
        QPointer<QWidget> &slot = m_windows[std::type_index(typeid(W))];
        if (!slot)
            slot = new W(*this);
        return *static_cast<W *>(slot.data());
    }
    // The window of type W when it is loaded, else null.
    template<typename W>
    W *loadedWindow() const
    {
        const auto it = m_windows.find(std::type_index(typeid(W)));
        return it == m_windows.end() ? nullptr : static_cast<W *>(it->second.data());
    }
    // Every loaded window but the main window, for the closing walk.
    QList<QWidget *> otherWindows() const;

    // Opens the main window the way a start from the command line does.
    void start(const QString &commandLine);
    QString commandLine() const { return m_commandLine; }
    // Removes the temporary and lock files that instances killed while
    // writing left in the program's folders (StaleFiles.h).
    void removeStaleFiles();
    // Closes the program for a reason that is not the user's (unloadMode of
    // mainwindow/UnloadMode.h): no question, the usual final saves, exit code
    // 0. loopEnded: the event loop will not run again, so the process ends
    // at once instead of a second later.
    // While the start-up chain runs, a close asked once the main window is
    // loaded waits for the chain's end: the chain's later steps would act on
    // what the close unloaded.
    void closeFromOutside(int unloadMode, bool loopEnded = false);
    bool starting() const { return m_starting; }

    // Called with the name of each step of the start-up as it is reached
    // ("start", "start-window", "hot-words", "main-loaded", "first-tab",
    // "main-shown", "address"); lets a run be stopped at a named step.
    void setStartStepHook(std::function<void(const char *)> hook) { m_startStepHook = std::move(hook); }
    void startStep(const char *name)
    {
        if (m_startStepHook)
            m_startStepHook(name);
    }

    // Shared module state.
    bool mainLoaded = false;
    bool appClosing = false;
    bool startOffline = false;
    bool loadAutosave = false;
    QString siteURL;

    // The settings window's flags, read at the main window's load; the
    // window itself is built when it is first opened.
    struct OptionFlags
    {
        // Switch to the tab a page opens for a new window.
        bool opNW = true;
        // Ask before the main window closes.
        bool conExit = true;
        // Address-saving mode: true standard, false favourite addresses.
        bool save_mode = true;
    } optionFlags;

    // The hot-word table as the address bar reads it: position k holds row k + 1.
    QStringList hotWords;
    QStringList hotUrls;
    int hwCount = 0;

private:
    void startChain(const QString &commandLine);

    platform::Services m_platform;
    std::unique_ptr<services::ProgramFolder> m_folder;
    std::unique_ptr<services::SettingsStore> m_settings;
    std::unique_ptr<services::OneValueFiles> m_files;
    std::unique_ptr<services::AddressHistory> m_history;
    std::unique_ptr<services::Language> m_language;
    std::unique_ptr<services::TabMaps> m_tabMaps;
    std::unique_ptr<QtTranslation> m_qtTranslation;
    QPointer<mainwindow::frmMain> m_main;
    std::map<std::type_index, QPointer<QWidget>> m_windows;
    QString m_commandLine;
    std::function<void(const char *)> m_startStepHook;
    bool m_starting = false;
    std::optional<int> m_closeAfterStart;
};

} // namespace velmora
