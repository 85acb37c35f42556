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
    // The fake control of a tab of the main window.
    platform::FakeWebBrowser *web(int index);

private:
    std::unique_ptr<Program> m_program;
    platform::FakeWebBrowserFactory *m_browsers = nullptr;
    platform::FakeDialogs *m_dialogs = nullptr;
    platform::FakeSystemFacts *m_system = nullptr;
    platform::FakeInternetState *m_internet = nullptr;
};

} // namespace velmora::test
