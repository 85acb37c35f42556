#include "frmMain.h"
#include "FlushPacer.h"

#include "Bar.h"
#include "AddressRowFit.h"
#include "GoArrow.h"
#include "Twips.h"
#include "UnloadMode.h"

#include "Program.h"
#include "frmOptions.h"
#include "start.h"

#include "AddressHistory.h"
#include "Language.h"
#include "OneValueFiles.h"
#include "Placement.h"
#include "ShowPainted.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "TabHelpers.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace velmora::mainwindow {

using services::step;

namespace {

// Design rectangles of the controls, in twips.
constexpr TwipsRect designToolbar1{0, 0, 9504, 696};
constexpr TwipsRect designLblAddress{240, 768, 528, 192};
constexpr TwipsRect designCombo1{840, 720, 6852, 315};
constexpr TwipsRect designPodskazka{840, 1008, 6852, 1392};
constexpr TwipsRect designCmdGo{7740, 720, 360, 315};
constexpr TwipsRect designLblGo{8160, 840, 876, 192};
constexpr TwipsRect designSpinbutton1{9000, 720, 1572, 324};
constexpr TwipsRect designCmdClose{10620, 780, 285, 285};
constexpr TwipsRect designWeb0{0, 1080, 10932, 4932};
constexpr TwipsRect designTabstrip1{0, 6000, 10092, 252};
constexpr TwipsRect designStatusBar1{0, 6984, 10344, 264};
constexpr TwipsRect designBar1{7920, 6960, 2052, 252};

// Rows whose height the platform imposes take at least that height.
TwipsRect atLeastHintHeight(TwipsRect r, const QWidget *w, int t)
{
    r.height = std::max(r.height, pixelsToTwips(w->sizeHint().height(), t));
    return r;
}

} // namespace

frmMain::frmMain(Program &program, QWidget *parent) : QMainWindow(parent), m_program(program)
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The window's geometry is laid out for an 8-point interface font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    new FlushPacer(this);
    createControls();
    createMenus();
    createTimers();
    connectControls();
    // Tab 0 and its browser exist from the start; the load closes tab 0.
    loadWeb();
    setTwipsGeometry(Web[0]->widget(), designWeb0, twipsPerPixel());
}

frmMain::~frmMain()
{
    m_program.writeFailures().setListener({});
    for (platform::WebBrowser *browser : Web)
        delete browser;
    Web.clear();
}

int frmMain::twipsPerPixel() const
{
    const int t = m_program.system().twipsPerPixelX();
    return t > 0 ? t : 15;
}

platform::WebBrowser *frmMain::web(int index) const
{
    if (index < 0 || index >= static_cast<int>(Web.size()))
        return nullptr;
    return Web[static_cast<size_t>(index)];
}

int frmMain::currentTabNumber() const
{
    return Tabstrip1->value().toInt();
}

QString frmMain::programTitle() const
{
    return m_program.language().langText(5);
}

void frmMain::setWindowCaption(const QString &caption)
{
    // "[*]" is the window's modification mark; a page title shows it as it is.
    const QString title = QString(caption).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    if (windowTitle() != title)
        setWindowTitle(title);
}

void frmMain::createControls()
{
    const int t = twipsPerPixel();
    form = new QWidget(this);
    form->setObjectName(QStringLiteral("form"));
    setCentralWidget(form);

    Toolbar1 = new QToolBar(form);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    setTwipsGeometry(Toolbar1, designToolbar1, t);

    lblAddress = new QLabel(QStringLiteral("Адрес"), form);
    lblAddress->setObjectName(QStringLiteral("lblAddress"));
    setTwipsGeometry(lblAddress, designLblAddress, t);

    Combo1 = new QComboBox(form);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMaxVisibleItems(20);
    {
        TwipsRect r = designCombo1;
        r.height = pixelsToTwips(Combo1->sizeHint().height(), t);
        setTwipsGeometry(Combo1, r, t);
    }

    cmdGo = new QPushButton(form);
    cmdGo->setObjectName(QStringLiteral("cmdGo"));
    cmdGo->setFlat(true);
    cmdGo->setIcon(goArrowIcon());
    cmdGo->setIconSize(QSize(16, 16));
    setTwipsGeometry(cmdGo, designCmdGo, t);

    lblGo = new QLabel(QStringLiteral("Загрузить"), form);
    lblGo->setObjectName(QStringLiteral("lblGo"));
    lblGo->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    lblGo->setCursor(Qt::PointingHandCursor);
    setTwipsGeometry(lblGo, designLblGo, t);

    spinbutton1 = new QSlider(Qt::Horizontal, form);
    spinbutton1->setObjectName(QStringLiteral("spinbutton1"));
    spinbutton1->setRange(0, 0);
    spinbutton1->setPageStep(1);
    spinbutton1->setEnabled(false);
    setTwipsGeometry(spinbutton1, designSpinbutton1, t);

    cmdClose = new QPushButton(QStringLiteral("×"), form);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setToolTip(m_program.language().own(u"Закрыть вкладку", u"Close tab"));
    setTwipsGeometry(cmdClose, designCmdClose, t);

    // Moves the focus; it is never shown.
    Command3 = new QPushButton(form);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->hide();

    Tabstrip1 = new kelvane::TabstripP(form);
    Tabstrip1->setObjectName(QStringLiteral("Tabstrip1"));
    setTwipsGeometry(Tabstrip1, atLeastHintHeight(designTabstrip1, Tabstrip1->Tabstrip1(), t), t);

    StatusBar1 = new QStatusBar(form);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    statusPanel1 = new QLabel(StatusBar1);
    statusPanel1->setObjectName(QStringLiteral("StatusBar1_Panel1"));
    statusPanel2 = new QLabel(StatusBar1);
    statusPanel2->setObjectName(QStringLiteral("StatusBar1_Panel2"));
    StatusBar1->addWidget(statusPanel1);
    StatusBar1->addWidget(statusPanel2);
    setTwipsGeometry(StatusBar1, atLeastHintHeight(designStatusBar1, StatusBar1, t), t);

    Bar1 = new Bar(form);
    Bar1->setObjectName(QStringLiteral("Bar1"));
    setTwipsGeometry(Bar1, designBar1, t);

    podskazka = new QListWidget(form);
    podskazka->setObjectName(QStringLiteral("podskazka"));
    podskazka->hide();
    setTwipsGeometry(podskazka, designPodskazka, t);

    for (QCheckBox **box : {&Check1, &Check2, &Check3}) {
        *box = new QCheckBox(form);
        (*box)->hide();
    }
    Check1->setObjectName(QStringLiteral("Check1"));
    Check2->setObjectName(QStringLiteral("Check2"));
    Check3->setObjectName(QStringLiteral("Check3"));
    MB = new QLabel(form);
    MB->setObjectName(QStringLiteral("MB"));
    MB->hide();
    IE = new QLabel(form);
    IE->setObjectName(QStringLiteral("IE"));
    IE->hide();

    cdlOpen = new QObject(this);
    cdlOpen->setObjectName(QStringLiteral("cdlOpen"));

    popClose = new QMenu(this);
    popClose->setObjectName(QStringLiteral("popClose"));
    popCloseIt = popClose->addAction(QStringLiteral("Закрыть"));
    popCloseIt->setObjectName(QStringLiteral("popCloseIt"));
}

void frmMain::createTimers()
{
    struct TimerDef
    {
        QTimer **timer;
        const char *name;
        int interval;
        bool enabled;
        void (frmMain::*tick)();
    };
    const TimerDef defs[] = {
        {&Timer1, "Timer1", 75, true, &frmMain::Timer1_Timer},
        {&Timer2, "Timer2", 1, true, &frmMain::Timer2_Timer},
        {&Timer5, "Timer5", 1, false, &frmMain::Timer5_Timer},
        {&TimResol, "TimResol", 5000, true, &frmMain::TimResol_Timer},
        {&tmrUnload, "tmrUnload", 1000, false, &frmMain::tmrUnload_Timer},
        {&autosave, "autosave", 60000, true, &frmMain::autosave_Timer},
        {&chang, "chang", 400, true, &frmMain::chang_Timer},
        {&memory, "memory", 2000, false, &frmMain::memory_Timer},
        {&tmrUpd, "tmrUpd", 60000, true, &frmMain::tmrUpd_Timer},
    };
    for (const TimerDef &def : defs) {
        QTimer *timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(def.name));
        timer->setInterval(def.interval);
        const auto tick = def.tick;
        connect(timer, &QTimer::timeout, this, [this, tick] { (this->*tick)(); });
        *def.timer = timer;
    }
    // Timers start with the message loop once the window is loaded.
    m_enabledTimers = {Timer1, Timer2, TimResol, autosave, chang, tmrUpd};
}

void frmMain::connectControls()
{
    connect(Tabstrip1, &kelvane::TabstripP::change, this, &frmMain::Tabstrip1_change);
    connectCaptionLets();
    connect(Tabstrip1, &kelvane::TabstripP::click, this, &frmMain::Tabstrip1_click);
    connect(Tabstrip1, &kelvane::TabstripP::mouseDown, this, &frmMain::Tabstrip1_mouseDown);
    connect(popCloseIt, &QAction::triggered, this, &frmMain::popCloseIt_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmMain::cmdClose_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMain::Command3_Click);
    connect(spinbutton1, &QSlider::valueChanged, this, [this](int) {
        if (!m_sliderByCode)
            spinbutton1_Scroll();
    });
    for (QWidget *w : {static_cast<QWidget *>(cmdClose), static_cast<QWidget *>(spinbutton1),
                       static_cast<QWidget *>(Tabstrip1->Tabstrip1())})
        w->installEventFilter(this);
    connectAddressBar();
    connectSessions();
    connectMemoryWatch();
    connectMenuCommands();
    connectToolbar();
    connectContentSwitches();
    connectFavorites();
    connectFormHooks();
    connectWindowCommands();
    connectWriteFailures();
}

void frmMain::setSliderRange(int maximum)
{
    if (spinbutton1->maximum() == maximum)
        return;
    m_sliderByCode = true;
    spinbutton1->setMaximum(maximum);
    m_sliderByCode = false;
}

void frmMain::setSliderValue(int value)
{
    m_sliderByCode = true;
    spinbutton1->setValue(value);
    m_sliderByCode = false;
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    const bool in = event->type() == QEvent::FocusIn;
    // A menu that opens borrows the keyboard; the focus stays where it was.
    const bool out = event->type() == QEvent::FocusOut
                     && !menuBorrowsFocus(static_cast<QFocusEvent *>(event)->reason());
    if (in || out) {
        if (watched == cmdClose)
            FocusOwner = in ? 8 : 3;
        else if (watched == spinbutton1) {
            FocusOwner = in ? 4 : 3;
            if (in)
                Timer5->stop();
        } else if (watched == Tabstrip1->Tabstrip1())
            FocusOwner = in ? 5 : 3;
        if (in && (watched == cmdClose || watched == spinbutton1))
            pageFocusPending = false;
    }
    return QMainWindow::eventFilter(watched, event);
}

platform::WebBrowser *frmMain::loadWeb()
{
    platform::WebBrowser *browser = m_program.browsers().create(form);
    const int index = static_cast<int>(Web.size());
    Web.push_back(browser);
    connectWeb(browser, index);
    if (index > 0 && Web[0])
        browser->widget()->setGeometry(Web[0]->widget()->geometry());
    return browser;
}

void frmMain::connectWeb(platform::WebBrowser *browser, int index)
{
    using platform::WebBrowser;
    connect(browser, &WebBrowser::BeforeNavigate2, this,
            [this, index](const QString &url, bool *cancel) {
                Web_BeforeNavigate2(index, url, cancel);
            });
    connect(browser, &WebBrowser::NewWindow2, this,
            [this, index](WebBrowser **pp, bool *cancel) { Web_NewWindow2(index, pp, cancel); });
    connect(browser, &WebBrowser::NavigateComplete2, this,
            [this, index](const QString &url) { Web_NavigateComplete2(index, url); });
    connect(browser, &WebBrowser::DocumentComplete, this,
            [this, index](const QString &url) { Web_DocumentComplete(index, url); });
    connect(browser, &WebBrowser::DownloadComplete, this,
            [this, index] { Web_DownloadComplete(index); });
    connect(browser, &WebBrowser::ProgressChange, this,
            [this, index](int p, int max) { Web_ProgressChange(index, p, max); });
    connect(browser, &WebBrowser::StatusTextChange, this,
            [this, index](const QString &text) { Web_StatusTextChange(index, text); });
    connect(browser, &WebBrowser::TitleChange, this,
            [this, index](const QString &text) { Web_TitleChange(index, text); });
    connect(browser, &WebBrowser::WindowClosing, this,
            [this, index](bool child, bool *cancel) { Web_WindowClosing(index, child, cancel); });
    // Raised only for a new window that NewWindow2 neither took nor refused.
    connect(browser, &WebBrowser::NewWindowToPlatform, this,
            [this, index](const QString &url) { Web_NewWindowToPlatform(index, url); });
    connect(browser, &WebBrowser::NewWindowsRefused, this,
            [this, index] { Web_NewWindowsRefused(index); });
    connect(browser, &WebBrowser::GotFocus, this, [this, index] { Web_GotFocus(index); });
    connect(browser, &WebBrowser::LostFocus, this, [this, index] { Web_LostFocus(index); });
    connect(browser, &WebBrowser::PageCommandRequested, this,
            [this, index](int command) { Web_PageCommandRequested(index, command); });
    connect(browser, &WebBrowser::ScriptDialog, this,
            [this](WebBrowser::ScriptDialogKind kind, const QString &message, bool *accepted,
                   QString *) {
                const bool ask = kind != WebBrowser::ScriptDialogKind::Alert;
                const auto answer = m_program.dialogs().msgBox(
                    this, message, ask ? platform::MsgButtons::OKCancel : platform::MsgButtons::OK,
                    ask ? platform::MsgIcon::Question : platform::MsgIcon::Exclamation,
                    programTitle());
                *accepted = answer == platform::MsgResult::OK;
            });
    connectControl(browser, index);
}

void frmMain::unloadWeb(int index)
{
    platform::WebBrowser *browser = web(index);
    if (!browser)
        return;
    Web[static_cast<size_t>(index)] = nullptr;
    browser->releasePage();
    browser->deleteLater();
}

// ---------------------------------------------------------------- life cycle

void frmMain::Form_Load()
{
    auto &lang = m_program.language();
    auto &settings = m_program.settings();
    const QString dir = m_program.folder().path();
    // The default is taken from the language list; without a list the read
    // fails and so does the step that needs it.
    auto languageSetting = [&] {
        return settings.GetSetting(QStringLiteral("general"), QStringLiteral("language"),
                                   lang.getDefaultLanguage(dir));
    };

    // 1. A second load after the unload ends the process at once.
    if (unloading) {
        m_program.system().terminateProcess(0);
        return;
    }
    // 2. Language and help file.
    step([&] {
        const QString language = languageSetting();
        setProperty("HelpFile", services::Language::helpFileName(dir, language));
    });
    // 3. The dial-up menu.
    step([&] { fillConnections(true); });
    // 4. System directory.
    step([&] { systemDir = m_program.system().systemDirectory(); });
    // 5. Language of this window and the language menu.
    step([&] { lang.applyLanguage(dir, languageSetting(), 4, this); });
    step([&] { fillLanguageMenu(lang.loadLanguageList(dir)); });
    // 6.
    hintRebuild = true;
    step([&] { mnuTop->setChecked(false); });
    // 7.
    step([&] { m_program.history().loadHistory(*Combo1); });
    // 8. Option flags, before anything reads them.
    step([&] {
        auto &options = m_program.optionFlags;
        auto &files = m_program.files();
        options.opNW = files.getNewWindowMode();
        options.conExit = files.getExitFlag();
        options.save_mode = files.getMode();
    });
    // 9.
    memSaveTag = false;
    step([&] { Bar1->raise(); });
    // 10.
    step([&] { sizeWindowToScreen(); });
    // 11. The favourites pane as it was at the last exit.
    step([&] {
        mnuShowFavorites->setChecked(services::readBoolSetting(
            settings, QStringLiteral("general"), QStringLiteral("Favorites"), false));
        favoritesShownAtLoad = mnuShowFavorites->isChecked();
    });
    step([&] {
        if (favoritesShownAtLoad)
            showFavoritesWindow();
    });
    // 12. These modes are off at every start.
    for (QAction *item : {mnuTabCatch, mnuWinCatch, CAutosave, mnuOffline, mnuIE, mnuNoLabels})
        step([&] { item->setChecked(false); });
    step([&] {
        mnuMemMesOff->setChecked(services::readBoolSetting(
            settings, QStringLiteral("general"), QStringLiteral("memmess"), true));
    });
    // 13.
    step([&] { lang.applyLanguage(dir, languageSetting(), 4, this); });
    step([&] { fitAddressRow(*this); });
    step([&] { placeToolbarChecks(); });
    // 14. The start-up window stays on screen until this window is there,
    // painted (step 22): the program never leaves the screen empty.
    m_program.mainLoaded = true;
    m_program.startStep("main-loaded");
    // 15. Tab 1 replaces tab 0, which stays hidden for the whole run.
    step([&] { cmdNew_Click(); });
    step([&] { Tabstrip1->setValue(0); });
    step([&] { cmdClose_Click(); });
    m_program.startStep("first-tab");
    // 16. Applied again once the window manager has framed the window: it
    // may decide the state of a window it maps on its own.
    step([&] {
        bool ok = false;
        const int state = settings
                              .GetSetting(QStringLiteral("general"), QStringLiteral("WindowState"),
                                          QString::number(windowStateCode()))
                              .toInt(&ok);
        if (ok) {
            setWindowStateCode(state);
            m_storedWindowState = state;
        }
    });
    // 17.
    step([&] { Timer1_Timer(); });
    step([&] { Timer1_Timer(); });
    // 18.
    initialLayout = true;
    step([&] { Form_Resize(); });
    initialLayout = false;
    // 19.
    step([&] { setOffline(m_program.startOffline, true); });
    // 20.
    step([&] {
        if (auto *current = web(currentTabNumber()))
            current->setSilent(true);
    });
    step([&] { Web[0]->setSilent(true); });
    // 21. The memory watch runs only where the platform needs it.
    step([&] {
        if (m_program.system().isWinNT()) {
            mnuMemMesOff->setVisible(false);
            memory->stop();
        } else {
            memory->start();
        }
    });
    // The window shows up with the address it is opening, never the empty
    // page tab 1 was made with.
    QString address = m_program.commandLine();
    step([&] {
        if (address.isEmpty()) {
            address = m_program.files().getHomePage();
        } else if (address.startsWith(QLatin1Char('"'))) {
            address = address.mid(1, address.size() - 2);
        }
    });
    step([&] { Tabstrip1->setTabCaption(1, address); });
    step([&] { setWindowCaption(address + QStringLiteral(" - ") + programTitle()); });
    step([&] { setAddressText(address); });
    // 22. Given the size it will have inside the window manager's frame,
    // then mapped before its first picture is made (showMainWindow).
    step([&] {
        if (m_storedWindowState == 1)
            return;
        windows::showFitted(this, m_frameTarget, m_program.system().frameBeforeShow(this));
    });
    // 24. The command line address, or the home page. Asked for before any
    // event runs, so tab 1's empty page never loads.
    step([&] {
        if (auto *current = web(currentTabNumber()))
            current->Navigate2(address);
    });
    m_program.startStep("address");
    // 22. Painted, then the start-up window goes.
    showMainWindow();
    m_program.startStep("main-shown");
    // 23.
    step([&] { focusFavoritesWindow(); });
    // The timers tick from here on: a tick inside the show would put the
    // empty page's caption back.
    for (QTimer *timer : m_enabledTimers)
        timer->start();
}

void frmMain::showMainWindow()
{
    // Fitted to the window manager's frame before it is mapped, or as it is
    // first exposed where the frame cannot be known ahead (fitFrameOnShow).
    step([&] { show(); });
    step([&] {
        const int state = m_storedWindowState;
        if (state != 1 && state != 2)
            return;
        QPointer<frmMain> self(this);
        windows::whenFramed(this, [self, state] {
            if (self && !self->unloading && self->windowStateCode() != state)
                self->setWindowStateCode(state);
        });
    });
    // The start-up window goes once this window's first picture is on the
    // screen; the page's load goes on meanwhile.
    auto closeStart = [this] {
        if (auto *w = m_program.loadedWindow<windows::start>()) {
            w->MU = true;
            w->close();
        }
    };
    step([&] {
        if (m_storedWindowState == 1)
            closeStart();
        else
            windows::afterFirstPicture(this, [closeStart] { step(closeStart); });
    });
}

int frmMain::windowStateCode() const
{
    if (isMinimized())
        return 1;
    if (isMaximized())
        return 2;
    return 0;
}

void frmMain::setWindowStateCode(int state)
{
    switch (state) {
    case 1:
        setWindowState(Qt::WindowMinimized);
        break;
    case 2:
        setWindowState(Qt::WindowMaximized);
        break;
    default:
        setWindowState(Qt::WindowNoState);
        break;
    }
}

void frmMain::fillLanguageMenu(const QStringList &languages)
{
    for (int i = 0; i < languages.size(); ++i) {
        if (i >= static_cast<int>(mnulng.size())) {
            QAction *item = mnuLanguage->addAction(QString());
            item->setObjectName(QStringLiteral("mnulng_%1").arg(i));
            mnulng.push_back(item);
        }
        mnulng[static_cast<size_t>(i)]->setText(languages.at(i));
    }
}

void frmMain::sizeWindowToScreen()
{
    auto &system = m_program.system();
    const QSize screen = system.screenPixels();
    double f = 1.1;
    if (!(screen.height() >= 768 && screen.width() >= 1024)) {
        step([&] { layoutToolbar(); });
        f = 1.07;
    }
    const double tx = system.twipsPerPixelX();
    const double ty = system.twipsPerPixelY();
    const double W = screen.width() * tx;
    const double H = screen.height() * ty;
    const int width = static_cast<int>(std::lround(W / f / tx));
    const int height = static_cast<int>(std::lround(H / f / ty));
    const int left = static_cast<int>(std::lround((W - W / f) / 2 / tx));
    const int top = static_cast<int>(std::lround((H - H / f) / 2 / ty));
    // The frame is sized and centred, not the inner area; the window
    // manager's frame is known once the window shows (Form_Load step 22).
    m_frameTarget = QRect(left, top, width, height);
    resize(width, height);
    move(left, top);
}

void frmMain::layoutToolbar()
{
    services::layoutToolbar(toolbarParts(), twipsPerPixel(), toolbarButtonWidth(),
                            [this](int i) { return m_program.language().langText(i); });
}

void frmMain::placeToolbarChecks()
{
    services::placeToolbarChecks(toolbarParts(), twipsPerPixel(), toolbarButtonWidth());
}

services::ToolbarParts frmMain::toolbarParts() const
{
    return {Toolbar1, Check1, Check2, Check3, MB, IE};
}

int frmMain::toolbarButtonWidth() const
{
    // The width of one toolbar button as the toolbar shows it, in twips.
    int width = Toolbar1->iconSize().width() + 8;
    const QList<QAction *> actions = Toolbar1->actions();
    if (!actions.isEmpty()) {
        if (QWidget *button = Toolbar1->widgetForAction(actions.first()))
            width = button->width();
    }
    return width * twipsPerPixel();
}

void frmMain::Form_Activate()
{
    FocusOwner = 2;
    pageFocusPending = true;
}

void frmMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    if (event->type() == QEvent::FontChange)
        ++m_fontChanges;
    QMainWindow::changeEvent(event);
}

void frmMain::Command3_Click()
{
    step([&] { Tabstrip1->Tabstrip1()->setFocus(); });
    step([&] {
        if (auto *current = web(currentTabNumber()))
            current->SetFocus();
    });
}

bool frmMain::Form_QueryUnload(int UnloadMode)
{
    exiting = true;
    Timer2->stop();
    if (!m_program.optionFlags.conExit)
        return true;
    // Nobody is there to answer when the session ends or the process is told
    // to end: it goes on as on Yes.
    const auto answer = unload::notTheUsers(UnloadMode)
                            ? platform::MsgResult::Yes
                            : m_program.dialogs().msgBox(
                                  this, m_program.language().langText(0),
                                  platform::MsgButtons::YesNo, platform::MsgIcon::Question,
                                  m_program.language().langText(1));
    if (answer == platform::MsgResult::Yes) {
        step([&] {
            m_program.settings().SaveSetting(QStringLiteral("general"),
                                             QStringLiteral("WindowState"),
                                             QString::number(windowStateCode()));
        });
        return true;
    }
    exiting = false;
    return false;
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // The window object outlives its unload: the process ends a second later.
    event->ignore();
    if (unloading)
        return;
    if (!Form_QueryUnload())
        return;
    // Closed from outside while the question was open.
    if (unloading)
        return;
    Form_Unload();
}

void frmMain::closeNotByUser(int UnloadMode)
{
    if (unloading)
        return;
    Form_QueryUnload(UnloadMode);
    Form_Unload();
    Form_Terminate();
}

void frmMain::Form_Unload()
{
    // 1. The final automatic save.
    step([&] { autosave_Timer(); });
    // 2.
    unloading = true;
    hide();
    QApplication::processEvents();
    // 3. Every browser but Web(0).
    for (int i = 1; i < webCount(); ++i)
        step([&] { unloadWeb(i); });
    // 4.
    Timer1->stop();
    Timer2->stop();
    newWindowObject = nullptr;
    // 5.
    step([&] {
        m_program.settings().SaveSetting(QStringLiteral("general"), QStringLiteral("Favorites"),
                                         services::boolSettingText(mnuShowFavorites->isChecked()));
    });
    // 6.
    QApplication::processEvents();
    step([&] {
        services::unloadOtherForms(m_program.otherWindows(), this, m_program.appClosing);
    });
    // 7. The process ends one second from now.
    tmrUnload->start();
}

void frmMain::Form_Terminate()
{
    if (!unloading)
        step([&] { autosave_Timer(); });
}

void frmMain::tmrUnload_Timer()
{
    tmrUnload->stop();
    m_program.system().terminateProcess(0);
}

} // namespace velmora::mainwindow
