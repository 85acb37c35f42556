#pragma once

#include "TestEnvironment.h"

#include <QString>

#include <memory>

namespace velmora {
class Program;
}
namespace velmora::mainwindow {
class frmMain;
}
namespace velmora::platform {
class FakeWebBrowser;
class FakeWebBrowserFactory;
class FakeDialogs;
class FakeSystemFacts;
class FakeInternetState;
class FakeDialUp;
class FakeInternetCache;
class FakeRegistry;
class FakeShellFavorites;
} // namespace velmora::platform

namespace velmora::test {

// A fresh program over the platform fakes, in its own scratch folders.
class ProgramFixture
{
public:
    enum class Pages { Fake, Engine };
    // withLanguage: copy the shipped language files into the program folder.
    // Pages::Engine puts real engine pages in the tabs; the rest stays fake.
    explicit ProgramFixture(bool withLanguage = true, Pages pages = Pages::Fake);
    ~ProgramFixture();

    TestEnvironment env;
    Program &program() { return *m_program; }
    mainwindow::frmMain &main();
    // Runs the main window's load with this command line.
    mainwindow::frmMain &start(const QString &commandLine = {});

    // Only with fake pages.
    platform::FakeWebBrowserFactory &browsers() { return *m_browsers; }
    platform::FakeDialogs &dialogs() { return *m_dialogs; }
    platform::FakeSystemFacts &system() { return *m_system; }
    platform::FakeInternetState &internet() { return *m_internet; }
    platform::FakeDialUp &dialUp() { return *m_dialUp; }
    platform::FakeInternetCache &cache() { return *m_cache; }
    platform::FakeRegistry &registry() { return *m_registry; }
    platform::FakeShellFavorites &favorites() { return *m_favorites; }
    // The fake control of a tab of the main window.
    platform::FakeWebBrowser *web(int index);

private:
    std::unique_ptr<Program> m_program;
    platform::FakeWebBrowserFactory *m_browsers = nullptr;
    platform::FakeDialogs *m_dialogs = nullptr;
    platform::FakeSystemFacts *m_system = nullptr;
    platform::FakeInternetState *m_internet = nullptr;
    platform::FakeDialUp *m_dialUp = nullptr;
    platform::FakeInternetCache *m_cache = nullptr;
    platform::FakeRegistry *m_registry = nullptr;
    platform::FakeShellFavorites *m_favorites = nullptr;
};

} // namespace velmora::test
