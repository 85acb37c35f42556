// Saving the open tabs to a file, opening saved tabs again, and the
// once-a-minute automatic save.

#include "frmMain.h"

#include "Program.h"
#include "Placement.h"
#include "frmOpenTabsDetailed.h"
#include "frmOptions.h"

#include "Language.h"
#include "OfflinePage.h"
#include "ProgramFolder.h"
#include "RuntimeFiles.h"
#include "SessionFiles.h"
#include "Steps.h"
#include "TabstripP.h"

#include "WebBrowser.h"

#include <QAction>
#include <QCoreApplication>
#include <QUrl>
#include <QWidget>

namespace velmora::mainwindow {

using services::step;
namespace sessions = services::sessions;
using namespace Qt::StringLiterals;

namespace {

// A caption shows the start of the address only; the page's title replaces
// it once the page has loaded.
constexpr int savedCaptionLength = 20;
const QString blankPage = QStringLiteral("about:blank");

enum class OfflineAnswer { Offline, Online, Cancelled };

// Every answer sets the program's offline state; only Cancel ends the command.
OfflineAnswer askOffline(frmMain &main, int textIndex)
{
    Program &program = main.program();
    auto answer = platform::MsgResult::Cancel;
    step([&] {
        answer = program.dialogs().msgBox(&main, program.language().langText(textIndex),
                                          platform::MsgButtons::YesNoCancel,
                                          platform::MsgIcon::Question,
                                          program.language().langText(5));
    });
    const bool offline = answer == platform::MsgResult::Yes;
    step([&] { program.internet().setOffline(offline); });
    if (answer == platform::MsgResult::Cancel)
        return OfflineAnswer::Cancelled;
    return offline ? OfflineAnswer::Offline : OfflineAnswer::Online;
}

void openRecords(frmMain &main, const sessions::SavedTabs &saved,
                 frmMain::SavedTabSilent tabListSilent)
{
    const qsizetype total = saved.tabs.size();
    for (qsizetype i = 0; i < total; ++i) {
        const sessions::SavedTab &tab = saved.tabs.at(i);
        const QString *title = tab.hasTitle ? &tab.title : nullptr;
        const auto silent = tab.hasTitle ? frmMain::SavedTabSilent::Unchanged : tabListSilent;
        if (main.openSavedTab(tab.address, title, silent) >= 0)
            continue;
        // More records than free tab numbers: the rest stay unopened, and
        // the user hears how many.
        Program &program = main.program();
        step([&] {
            program.dialogs().msgBox(
                &main,
                program.language()
                    .own(u"Открыто записей: %1 из %2. Остальные %3 не открыты: вкладок может "
                         u"быть не больше %4.",
                         u"Records opened: %1 of %2. The other %3 were not opened: there can be "
                         u"no more than %4 tabs.")
                    .arg(i)
                    .arg(total)
                    .arg(total - i)
                    .arg(frmMain::MaxTab),
                platform::MsgButtons::OK, platform::MsgIcon::Information,
                program.language().langText(5));
        });
        return;
    }
}

// One address written two ways: with or without its scheme or last "/".
bool sameAddress(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    const auto plain = [](const QString &text) {
        return QUrl::fromUserInput(text)
            .adjusted(QUrl::RemoveScheme | QUrl::StripTrailingSlash)
            .toString();
    };
    return plain(a) == plain(b);
}

} // namespace

void frmMain::connectSessions()
{
    const auto on = [this](const char *name, void (frmMain::*handler)()) {
        if (QAction *item = actionNamed(QString::fromLatin1(name)))
            connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    on("mnuSaveTabs", &frmMain::mnuSaveTabs_Click);
    on("mnuLoadTabs", &frmMain::mnuLoadTabs_Click);
    on("mnuLoadAutosave", &frmMain::mnuLoadAutosave_Click);
    on("mnuLoadTabsSelective", &frmMain::mnuLoadTabsSelective_Click);
    on("mnuLoadAutosaveSelective", &frmMain::mnuLoadAutosaveSelective_Click);
    // CAutosave is a checkable item: its click flips the mark by itself, and
    // autosave_Timer reads the mark at every tick.
}

void frmMain::mnuSaveTabs_Click()
{
    QString path;
    step([&] {
        path = m_program.dialogs().saveFile(this, QString(),
                                            QString::fromUtf16(sessions::SaveFilter), QString(),
                                            platform::FileUse::Sessions);
    });
    if (path.isEmpty())
        return;
    // The open dialog lists .btl files only.
    path = sessions::withSessionSuffix(path);

    QList<sessions::SavedTab> tabs;
    int count = 0;
    step([&] { count = Tabstrip1->tabs().toInt(); });
    for (int i = 0; i < count && i <= MaxTab; ++i) {
        step([&] {
            if (!Tabstrip1->tabVisible(i))
                return;
            sessions::SavedTab tab;
            tab.hasTitle = true;
            tab.title = getTitle(i);
            step([&] { tab.address = web(i)->LocationURL(); });
            // A tab still loading has no location yet: keep what it was sent to.
            if (tab.address.isEmpty())
                tab.address = newURL[static_cast<size_t>(i)];
            tabs.append(tab);
        });
    }
    step([&] {
        services::runtime::replaceFile(path, sessions::writeSessionFile(tabs),
                                       &m_program.writeFailures(), platform::DataFile::Session);
    });
}

void frmMain::autosave_Timer()
{
    if (!CAutosave || !CAutosave->isChecked())
        return;
    // After a failed Properties command the last good autosave is kept apart.
    const QString path = m_program.folder().file(
        QString::fromUtf16(crashSave ? sessions::CrashFile : sessions::AutosaveFile));
    QStringList addresses;
    int count = 0;
    step([&] { count = Tabstrip1->tabs().toInt(); });
    for (int i = 0; i < count; ++i) {
        step([&] {
            if (Tabstrip1->tabVisible(i))
                addresses.append(web(i)->LocationURL());
        });
    }
    step([&] {
        services::runtime::replaceFile(path, sessions::writeTabList(addresses),
                                       &m_program.writeFailures(), platform::DataFile::Autosave);
    });
}

void frmMain::mnuLoadTabs_Click()
{
    QString path;
    step([&] {
        path = m_program.dialogs().openFile(this, QString(),
                                            QString::fromUtf16(sessions::OpenFilter), QString(),
                                            platform::FileUse::Sessions);
    });
    if (path.isEmpty())
        return;
    const OfflineAnswer answer = askOffline(*this, 7);
    if (answer == OfflineAnswer::Cancelled)
        return;
    QByteArray bytes;
    // A file that cannot be read opens nothing.
    if (!step([&] { bytes = services::runtime::readWholeFile(path); }))
        return;
    openRecords(*this, sessions::readSavedTabs(bytes), SavedTabSilent::On);
}

void frmMain::mnuLoadAutosave_Click()
{
    const OfflineAnswer answer = askOffline(*this, 4);
    if (answer == OfflineAnswer::Cancelled)
        return;
    QByteArray bytes;
    const bool read = step([&] {
        bytes = services::runtime::readWholeFile(
            m_program.folder().file(QString::fromUtf16(sessions::AutosaveFile)));
    });
    if (!read) {
        step([&] {
            m_program.dialogs().msgBox(this, m_program.language().langText(6),
                                       platform::MsgButtons::OK,
                                       platform::MsgIcon::Information,
                                       QCoreApplication::applicationName());
        });
        return;
    }
    openRecords(*this, sessions::readTabList(bytes), SavedTabSilent::Unchanged);
}

namespace {

void loadSelectiveLoader(Program &program)
{
    using windows::frmOpenTabsDetailed;
    if (frmOpenTabsDetailed *loaded = program.loadedWindow<frmOpenTabsDetailed>()) {
        // A loaded window keeps its rows and comes to the front; one already
        // going is replaced.
        if (!loaded->isUnloading()) {
            windows::bringToFront(loaded);
            return;
        }
        delete loaded;
    }
    program.window<frmOpenTabsDetailed>().Form_Load();
}

} // namespace

void frmMain::mnuLoadTabsSelective_Click()
{
    m_program.loadAutosave = false;
    loadSelectiveLoader(m_program);
}

void frmMain::mnuLoadAutosaveSelective_Click()
{
    m_program.loadAutosave = true;
    loadSelectiveLoader(m_program);
}

int frmMain::openSavedTab(const QString &address, const QString *title, SavedTabSilent silent)
{
    step([&] { Tabstrip1->setTabsPerRow(Tabstrip1->TabsPerRow() + 1); });
    int tabs = -1;
    step([&] { tabs = Tabstrip1->tabs().toInt(); });
    if (tabs < 0 || tabs > MaxTab)
        return -1;
    // The row refuses numbers past its limit; the old last number must not
    // be taken for the new tab then.
    if (!step([&] { Tabstrip1->setTabs(tabs + 1); }))
        return -1;
    int n = -1;
    step([&] { n = Tabstrip1->tabs().toInt() - 1; });
    if (n <= 0 || n > MaxTab)
        return -1;
    step([&] { Tabstrip1->setTabCaption(n, address.left(savedCaptionLength)); });

    platform::WebBrowser *browser = nullptr;
    step([&] {
        while (webCount() <= n)
            loadWeb();
        browser = web(n);
    });
    if (!browser)
        return n;
    if (silent == SavedTabSilent::On)
        step([&] { browser->setSilent(true); });
    step([&] { browser->setVisible(true); });
    if (m_program.optionFlags.opNW) {
        step([&] { Tabstrip1->setValue(n); });
        step([&] { browser->widget()->raise(); });
        currentTab = n;
    }
    if (silent == SavedTabSilent::WhileNavigating)
        step([&] { browser->setSilent(true); });
    step([&] { browser->Navigate2(address); });
    if (silent == SavedTabSilent::WhileNavigating)
        step([&] { browser->setSilent(false); });
    if (title)
        step([&] { browser->Document()->setTitle(*title); });
    // The record's title names the tab until its page gives one.
    recordTitles[static_cast<size_t>(n)] =
        title && !title->isEmpty() ? RecordTitle{*title, address, false} : RecordTitle{};
    return n;
}

QString frmMain::recordTitleFor(int n) const
{
    if (n < 0 || n > MaxTab)
        return {};
    RecordTitle &kept = recordTitles[static_cast<size_t>(n)];
    if (kept.title.isEmpty())
        return {};
    QString own;
    QString location;
    step([&] {
        platform::WebBrowser *browser = web(n);
        if (!browser)
            return;
        own = browser->hasPage() ? browser->Document()->title() : QString();
        location = browser->LocationURL();
    });
    // The record's own title put into the page counts as none.
    const bool untitled = own.isEmpty() || own == kept.title || own == blankPage
                          || own == u"http://about:blank"_s
                          || own == services::offlinePageTitle(m_program.language())
                          || sameAddress(own, location);
    // Before the record's address is reached the tab shows nothing of its own.
    const bool before = !kept.arrived && (location.isEmpty() || location == blankPage);
    const bool there = sameAddress(location, kept.address);
    kept.arrived = kept.arrived || there;
    if (!untitled || !(before || there)) {
        kept = {};
        return {};
    }
    return kept.title;
}

} // namespace velmora::mainwindow
