// The menu commands the main window carries out itself: page and clipboard
// commands, the page's properties, opening a file, the offline,
// window-filter and always-on-top toggles, Internet options, language, help
// and exit.

#include "frmMain.h"

#include "Bar.h"

#include "Program.h"

#include "Language.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "TabHelpers.h"

#include "frmInternetOptions.h"
#include "frmPageProperties.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QToolBar>
#include <QUrl>

#include <algorithm>

namespace velmora::mainwindow {

using platform::WebBrowser;
using services::step;

namespace {

// The runtime's number for a missing element of a control array.
constexpr int ControlArrayElementMissing = 340;
// The number an error raised inside a control's method reports.
constexpr int AutomationError = 440;

int errorNumber(const std::exception &error)
{
    if (const auto *e = dynamic_cast<const services::RuntimeError *>(&error))
        return e->number();
    if (const auto *e = dynamic_cast<const kelvane::CallError *>(&error))
        return e->number();
    return AutomationError;
}

// A caption as a dialog title: without its access key and trailing dots.
QString plainCaption(const QAction *item)
{
    QString text = item ? item->text() : QString();
    text.remove(QLatin1Char('&'));
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text.trimmed();
}

// A file name a page may be saved under, made from its title.
QString fileNameForTitle(const QString &title)
{
    QString name = title.trimmed();
    for (QChar &c : name) {
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 32)
            c = QLatin1Char('_');
    }
    if (name.isEmpty())
        name = QStringLiteral("page");
    return name.left(100) + QStringLiteral(".htm");
}

class PrinterHolder : public QObject
{
public:
    using QObject::QObject;
    QPrinter printer;
};

// Made on first use: a printer asks the print system for its defaults.
QPrinter &keptPrinter(QObject *&holder, QObject *owner)
{
    if (!holder)
        holder = new PrinterHolder(owner);
    return static_cast<PrinterHolder *>(holder)->printer;
}

} // namespace

void frmMain::connectMenuCommands()
{
    // The open dialog's texts until the language system gives its own.
    cdlOpen->setProperty("DialogTitle", QStringLiteral("Открыть файл Velmora"));
    cdlOpen->setProperty("Filter",
                         QStringLiteral("HTM,HTML докумнты|*.htm;*.html|Все файлы|*.*"));

    auto on = [this](const char *name, void (frmMain::*command)()) {
        if (QAction *item = actionNamed(QString::fromLatin1(name)))
            connect(item, &QAction::triggered, this, [this, command] { (this->*command)(); });
    };
    on("mnuProp", &frmMain::mnuProp_Click);
    on("mnuSave", &frmMain::mnuSave_Click);
    on("mnuOpen", &frmMain::mnuOpen_Click);
    on("mnuRefresh", &frmMain::mnuRefresh_Click);
    on("mnuStopAll", &frmMain::mnuStopAll_Click);
    on("mnuWinCatch", &frmMain::mnuWinCatch_Click);
    on("mnuOffline", &frmMain::mnuOffline_Click);
    on("mnuTop", &frmMain::mnuTop_Click);
    on("wOffLineToAll", &frmMain::wOffLineToAll_Click);
    on("mnuCallHelp", &frmMain::mnuCallHelp_Click);
    on("mnuIECpl", &frmMain::mnuIECpl_Click);
    on("mnuHPage", &frmMain::mnuHPage_Click);
    on("mnuNoLabels", &frmMain::mnuNoLabels_Click);
    connect(actionNamed(QStringLiteral("mnuExit")), &QAction::triggered, this, [this] {
        exiting = true;
        close();
    });
    connect(actionNamed(QStringLiteral("mnuPrint_p")), &QAction::triggered, this,
            [this] { pageCommand(WebBrowser::Print, WebBrowser::DoDefault); });
    connect(actionNamed(QStringLiteral("mnuSetPrint")), &QAction::triggered, this,
            [this] { pageCommand(WebBrowser::PageSetup, WebBrowser::DoDefault); });
    const std::pair<const char *, int> clipboardItems[] = {
        {"mnuCut", WebBrowser::Cut},
        {"mnuCopy", WebBrowser::Copy},
        {"mnuPaste", WebBrowser::Paste},
        {"mnuSelAll", WebBrowser::SelectAll},
    };
    for (const auto &[name, command] : clipboardItems) {
        connect(actionNamed(QString::fromLatin1(name)), &QAction::triggered, this,
                [this, command = command] { clipboardCommand(command); });
    }
    // The hidden tab catch runs the window filter; its own mark stays as it was.
    connect(mnuTabCatch, &QAction::triggered, this, [this](bool checked) {
        mnuTabCatch->setChecked(!checked);
        toggleWindowFilter();
    });
    // The filter's menu mark follows its box, whoever changes the box.
    connect(Check3, &QCheckBox::toggled, this,
            [this](bool checked) { step([&] { mnuWinCatch->setChecked(checked); }); });
    // The language items are made at load, after this runs.
    connect(mnuLanguage, &QMenu::triggered, this, [this](QAction *item) {
        const auto it = std::find(mnulng.begin(), mnulng.end(), item);
        if (it != mnulng.end())
            mnulng_Click(static_cast<int>(it - mnulng.begin()));
    });
}

platform::WebBrowser &frmMain::currentWeb() const
{
    platform::WebBrowser *browser = web(currentTabNumber());
    if (!browser)
        throw services::RuntimeError(ControlArrayElementMissing,
                                     "Control array element does not exist");
    return *browser;
}

// ------------------------------------------------------------ page commands

void frmMain::pageCommand(int command, int option)
{
    step([&] { currentWeb().ExecWB(command, option); });
}

void frmMain::mnuSave_Click()
{
    pageCommand(WebBrowser::SaveAs, WebBrowser::DoDefault);
}

void frmMain::Web_PageCommandRequested(int Index, int command)
{
    platform::WebBrowser *browser = web(Index);
    if (!browser)
        return;
    auto &dialogs = m_program.dialogs();
    switch (command) {
    case WebBrowser::SaveAs: {
        QString path;
        step([&] {
            path = dialogs.saveFile(this, plainCaption(actionNamed(QStringLiteral("mnuSave"))),
                                    QStringLiteral("HTML|*.htm;*.html|MHT|*.mht;*.mhtml"),
                                    fileNameForTitle(getTitle(Index)));
        });
        if (!path.isEmpty())
            step([&] { browser->savePage(path); });
        break;
    }
    case WebBrowser::Print:
        step([&] {
            QPrinter &p = keptPrinter(m_printerHolder, this);
            if (dialogs.printDialog(this, p))
                browser->printPage(&p);
        });
        break;
    case WebBrowser::PageSetup:
        step([&] {
            dialogs.pageSetupDialog(this, keptPrinter(m_printerHolder, this));
        });
        break;
    case WebBrowser::Properties:
        step([&] { windows::frmPageProperties::showFor(*browser, m_program.language(), this); });
        break;
    default:
        break;
    }
}

void frmMain::mnuProp_Click()
{
    try {
        currentWeb().ExecWB(WebBrowser::Properties, WebBrowser::DontPromptUser);
        return;
    } catch (const std::exception &error) {
        // The one command that reports its failure: the window may be unsound
        // now, so the open tabs go to the crash file first.
        crashSave = true;
        step([&] { autosave_Timer(); });
        auto &lang = m_program.language();
        auto &dialogs = m_program.dialogs();
        step([&] {
            dialogs.msgBox(this,
                           lang.langText(12) + QString::number(errorNumber(error)) +
                               lang.langText(13) + QString::fromLocal8Bit(error.what()),
                           platform::MsgButtons::OK, platform::MsgIcon::Critical,
                           lang.langText(14));
        });
        platform::MsgResult answer = platform::MsgResult::No;
        step([&] {
            answer = dialogs.msgBox(this, lang.langText(15), platform::MsgButtons::YesNo,
                                    platform::MsgIcon::Critical, lang.langText(16));
        });
        if (answer == platform::MsgResult::Yes)
            m_program.system().terminateProcess(0);
    }
}

// -------------------------------------------------------- clipboard commands

void frmMain::clipboardCommand(int command)
{
    if (FocusOwner == 2) {
        pageCommand(command, WebBrowser::DoDefault);
        return;
    }
    if (FocusOwner != 1)
        return;
    try {
        QLineEdit *edit = Combo1->lineEdit();
        if (!edit)
            return;
        const QString text = edit->text();
        const int pos = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        const int len = static_cast<int>(edit->selectedText().size());
        const QString left = text.left(pos);
        const QString right = text.mid(pos + len);
        QClipboard *clipboard = QGuiApplication::clipboard();
        switch (command) {
        case WebBrowser::Copy:
            clipboard->setText(edit->selectedText());
            break;
        case WebBrowser::Cut:
            clipboard->setText(edit->selectedText());
            Combo1->setEditText(left + right);
            break;
        case WebBrowser::Paste: {
            const QString clip = clipboard->text();
            Combo1->setEditText(left + clip + right);
            edit->setSelection(pos, static_cast<int>(clip.size()));
            break;
        }
        case WebBrowser::SelectAll:
            edit->setSelection(0, static_cast<int>(edit->text().size()));
            break;
        default:
            break;
        }
    } catch (const std::exception &) {
    }
}

// ------------------------------------------------------------ open, refresh

void frmMain::mnuOpen_Click()
{
    openLocalFile();
}

void frmMain::openLocalFile()
{
    QString fileName;
    step([&] {
        fileName = m_program.dialogs().openFile(this, cdlOpen->property("DialogTitle").toString(),
                                                cdlOpen->property("Filter").toString(),
                                                QString());
    });
    if (fileName.isEmpty())
        return;
    QCoreApplication::processEvents();
    step([&] { currentWeb().Navigate2(fileName); });
}

void frmMain::mnuRefresh_Click()
{
    refreshPage();
}

void frmMain::refreshPage()
{
    step([&] { Bar1->setVisible(true); });
    step([&] { currentWeb().Stop(); });
    step([&] { currentWeb().setSilent(true); });
    step([&] { currentWeb().Refresh(); });
}

void frmMain::mnuStopAll_Click()
{
    // Tab 0 is never shown; closed tabs keep hidden controls or none.
    for (int i = 1; i < webCount(); ++i) {
        step([&] {
            platform::WebBrowser *browser = web(i);
            if (browser && browser->Visible())
                browser->Stop();
        });
    }
}

// ------------------------------------------------------------------ toggles

void frmMain::toggleWindowFilter()
{
    step([&] { Check3->setChecked(!Check3->isChecked()); });
}

void frmMain::mnuWinCatch_Click()
{
    // The menu mark is set again by the box's change.
    toggleWindowFilter();
}

void frmMain::toggleOffline()
{
    auto &internet = m_program.internet();
    step([&] { internet.setOffline(!internet.isOffline()); });
    step([&] { Check1->setChecked(internet.isOffline()); });
    step([&] { mnuOffline->setChecked(internet.isOffline()); });
}

void frmMain::mnuOffline_Click()
{
    toggleOffline();
    step([&] { mnuOffline->setChecked(Check1->isChecked()); });
}

void frmMain::wOffLineToAll_Click()
{
    QAction *item = actionNamed(QStringLiteral("wOffLineToAll"));
    auto &lang = m_program.language();
    QString caption;
    QString toAll;
    QString toNone;
    step([&] { caption = item->text(); });
    step([&] { toAll = lang.langText(17); });
    step([&] { toNone = lang.langText(18); });
    const bool offline = caption == toAll;
    int tabs = 0;
    step([&] { tabs = Tabstrip1->tabs().toInt(); });
    // Closed tabs too, so that they match should they be shown again.
    for (int i = 0; i < tabs; ++i) {
        step([&] {
            if (platform::WebBrowser *browser = web(i))
                browser->setOffline(offline);
        });
    }
    if (caption == toAll)
        step([&] { item->setText(toNone); });
    else if (caption == toNone)
        step([&] { item->setText(toAll); });
}

void frmMain::mnuTop_Click()
{
    // The item's mark has just flipped.
    if (mnuTop->isChecked()) {
        if (isVisible())
            setStaysOnTop(true);
    } else {
        setStaysOnTop(false);
    }
}

void frmMain::setStaysOnTop(bool on)
{
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    // Changing the flag hides the window; it comes back without taking the focus.
    const bool visible = isVisible();
    const bool noActivate = testAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show();
    setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
}

void frmMain::mnuNoLabels_Click()
{
    // Unticking brings nothing back.
    if (!mnuNoLabels->isChecked())
        return;
    for (int k = 1; k <= static_cast<int>(m_toolbarCaptions.size()); ++k) {
        step([&] {
            QAction *button = services::toolbarButton(*Toolbar1, k);
            m_toolbarCaptions[static_cast<size_t>(k - 1)] = button->text();
            button->setText(QString());
        });
    }
}

// -------------------------------------------------------- language and help

void frmMain::mnulng_Click(int index)
{
    step([&] {
        m_program.dialogs().msgBox(
            this,
            QStringLiteral("The language will be changed after next restart\r\n"
                           "Язык программы будет изменён только после её перезапуска"),
            platform::MsgButtons::OK, platform::MsgIcon::Information,
            QStringLiteral("Language"));
    });
    step([&] {
        m_program.settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                         mnulng.at(static_cast<size_t>(index))->text());
    });
}

void frmMain::mnuCallHelp_Click()
{
    // The open dialog's help file, set with the language: a web page shown
    // in a new tab.
    QString file;
    step([&] { file = cdlOpen->property("HelpFile").toString(); });
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    step([&] { cmdNew_Click(); });
    int newest = -1;
    step([&] {
        newest = Tabstrip1->tabs().toInt() - 1;
        Tabstrip1->setValue(newest);
    });
    step([&] {
        if (platform::WebBrowser *browser = web(newest))
            browser->Navigate2(QUrl::fromLocalFile(file).toString());
    });
}

void frmMain::mnuIECpl_Click()
{
    // The browser's own options stand in for the system's applet.
    // One at a time; a closed one is on its way out.
    auto *dialog = findChild<windows::frmInternetOptions *>();
    if (!dialog || !dialog->isVisible()) {
        dialog = new windows::frmInternetOptions(m_program, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

void frmMain::mnuHPage_Click()
{
    step([&] { cmdNew_Click(); });
    int newest = -1;
    step([&] {
        newest = Tabstrip1->tabs().toInt() - 1;
        Tabstrip1->setValue(newest);
    });
    step([&] {
        const QString page = pageOrAboutHelp(m_program.siteURL);
        if (platform::WebBrowser *browser = web(newest); browser && !page.isEmpty())
            browser->Navigate2(page);
    });
}

} // namespace velmora::mainwindow
