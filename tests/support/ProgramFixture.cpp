#include "ProgramFixture.h"

#include "EngineWebBrowser.h"
#include "FakeServices.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "LinuxSystemFacts.h"
#include "Program.h"
#include "frmMain.h"

namespace velmora::test {

ProgramFixture::ProgramFixture(bool withLanguage, Pages pages)
{
    if (withLanguage)
        env.installLanguageFiles();
    platform::FakeServices fakes = platform::makeFakeServices();
    m_browsers = fakes.browsers;
    if (pages == Pages::Engine) {
        fakes.services.browsers = std::make_unique<platform::EngineWebBrowserFactory>();
        m_browsers = nullptr;
        // The engine's error pages name the real system directory.
        fakes.system->systemDir = platform::LinuxSystemFacts().systemDirectory();
    }
    m_dialogs = fakes.dialogs;
    m_system = fakes.system;
    m_internet = fakes.internet;
    m_dialUp = fakes.dialUp;
    m_cache = fakes.cache;
    m_registry = fakes.registry;
    m_favorites = fakes.favorites;
    m_program = std::make_unique<Program>(std::move(fakes.services));
}

ProgramFixture::~ProgramFixture() = default;

mainwindow::frmMain &ProgramFixture::main()
{
    return m_program->mainWindow();
}

mainwindow::frmMain &ProgramFixture::start(const QString &commandLine)
{
    m_program->start(commandLine);
    return main();
}

platform::FakeWebBrowser *ProgramFixture::web(int index)
{
    return qobject_cast<platform::FakeWebBrowser *>(main().web(index));
}

} // namespace velmora::test
