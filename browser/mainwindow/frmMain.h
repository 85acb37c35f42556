#pragma once

#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <map>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSlider;
class QStatusBar;
class QTimer;
class QToolBar;

namespace kelvane {
class TabstripP;
}

namespace velmora {
class Program;
}

namespace velmora::platform {
class WebBrowser;
struct DialUpError;
enum class MsgIcon;
class WebDocument;
class ShellFavorites;
class WebForm;
struct WriteFailure;
} // namespace velmora::platform

namespace velmora::services {
class FavoritesMenu;
class FavoritesStore;
struct ToolbarParts;
}

namespace velmora::mainwindow {

class Bar;

// The browser's main window: one page per tab, the address bar, menus,
// toolbar, tab row and status bar. Its handlers keep the names of the
// events they answer; the window's parts live in several source files.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int MaxTab = 1000;
    static constexpr int ProgressTabs = 256; // progress is remembered for tabs 0..255

    explicit frmMain(Program &program, QWidget *parent = nullptr);
    ~frmMain() override;

    Program &program() { return m_program; }

    // Life cycle.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Form_Terminate();
    bool Form_QueryUnload(int UnloadMode = 0); // false: the closing was cancelled
    // Form_QueryUnload, Form_Unload and Form_Terminate for a close that is
    // not the user's (UnloadMode.h); once only.
    void closeNotByUser(int UnloadMode);
    void Form_Activate();

    // Tabs.
    void cmdNew_Click();
    void cmdClose_Click();
    // Silences, hides and empties the page of tab index and lets its page go;
    // each step that fails is skipped.
    void discardPage(int index);
    void mnuCloseAllTabs_Click();
    void goBack();
    void goForward();
    void goHome();
    void stopLoading();
    QString getTitle(int index) const;

    // Tab row and slider.
    void Tabstrip1_change();
    void Tabstrip1_click();
    void Tabstrip1_mouseDown(int Button, int Shift, float x, float y);
    void popCloseIt_Click();
    void spinbutton1_Scroll();

    // Page events of Web(Index).
    void Web_BeforeNavigate2(int Index, const QString &URL, bool *Cancel);
    void Web_NewWindow2(int Index, platform::WebBrowser **ppDisp, bool *Cancel);
    // A new window as a new tab, past the checks of NewWindow2.
    void newWindowTab(platform::WebBrowser **ppDisp, bool *Cancel);
    // A window for the desktop's browser; a tab when that cannot start.
    void Web_NewWindowToPlatform(int Index, const QString &url);
    void Web_NewWindowsRefused(int Index);
    // The caption of a new-window tab that has none: its address text, or
    // the blank page's when it has none.
    void captionFromAddress(int tab);
    void Web_NavigateComplete2(int Index, const QString &URL);
    void Web_DocumentComplete(int Index, const QString &URL);
    void Web_DownloadComplete(int Index);
    void Web_ProgressChange(int Index, int Progress, int ProgressMax);
    void Web_StatusTextChange(int Index, const QString &Text);
    void Web_TitleChange(int Index, const QString &Text);
    void Web_WindowClosing(int Index, bool isChildWindow, bool *Cancel);
    void Web_GotFocus(int Index);
    void Web_LostFocus(int Index);
    void HTML_onmousemove();
    // Empties the status bar when it still shows what a page said there.
    void clearPageStatus();
    // The address bar, the suggestion list, the slider or the close button
    // has the focus: a page does not take it from there by itself.
    bool userHoldsFocus() const;
    // The user is typing in the address bar over this tab's address.
    bool typingAddress(int tab) const;
    // Keys were typed in the address bar since the last go, Escape or switch.
    bool m_addressTyped = false;
    // A menu opened by the mouse or the keyboard takes the keys while it is
    // open; the part that had the focus gets it back.
    static bool menuBorrowsFocus(Qt::FocusReason reason)
    {
        return reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason;
    }

    // Address bar and suggestion list.
    void Combo1_Change();
    void Combo1_KeyDown(int KeyCode, int Shift);
    void Combo1_Click();
    void Combo1_GotFocus();
    void Combo1_LostFocus();
    void cmdGo_Click();
    void lblGo_Click();
    void chang_Timer();
    void podskazka_Click();
    void podskazka_DblClick();
    void podskazka_KeyDown(int KeyCode, int Shift);
    void podskazka_GotFocus();
    void podskazka_LostFocus();

    // Timers.
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer5_Timer();
    void TimResol_Timer();
    void tmrUnload_Timer();
    void autosave_Timer();
    void memory_Timer();
    void tmrUpd_Timer();
    // A check has fetched or is asking whether a dial-up connection is up.
    bool updateCheckRunning() const { return m_updateFetch || m_dialUpAsked; }
    // page, or when it is empty the bundled help's section about the program.
    QString pageOrAboutHelp(const QString &page) const;
    // How long the update fetch may take; 0: the usual time.
    int updateFetchTimeoutMs = 0;

    void Command3_Click();

    // The browser control of a tab; null when the number has none.
    platform::WebBrowser *web(int index) const;
    int webCount() const { return static_cast<int>(Web.size()); }
    int currentTabNumber() const;
    int twipsPerPixel() const;

    // Controls, named as the window's parts refer to them.
    QWidget *form = nullptr; // the client area the controls are placed on
    QToolBar *Toolbar1 = nullptr;
    QLabel *lblAddress = nullptr;
    QComboBox *Combo1 = nullptr;
    QListWidget *podskazka = nullptr;
    QPushButton *cmdGo = nullptr;
    QLabel *lblGo = nullptr;
    QSlider *spinbutton1 = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *Command3 = nullptr;
    kelvane::TabstripP *Tabstrip1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *statusPanel1 = nullptr;
    QLabel *statusPanel2 = nullptr;
    Bar *Bar1 = nullptr;
    QCheckBox *Check1 = nullptr; // offline state, 1 = offline
    QCheckBox *Check2 = nullptr; // tab catch: refuses new windows
    QCheckBox *Check3 = nullptr; // window filter: refuses new windows
    QWidget *MB = nullptr;
    QWidget *IE = nullptr;
    QObject *cdlOpen = nullptr;
    QMenu *popClose = nullptr;
    QAction *popCloseIt = nullptr;

    // Menus: submenus and items by their names.
    QMenu *menuNamed(const QString &name) const;
    QAction *actionNamed(const QString &name) const;
    QAction *mnuNew = nullptr;
    QAction *mnuClose = nullptr;
    QAction *mnuCloseAllTabs = nullptr;
    QAction *mnuBack = nullptr;
    QAction *mnuForward = nullptr;
    QAction *mnuStop = nullptr;
    QAction *mnuRefresh = nullptr;
    QAction *mnuHome = nullptr;
    QAction *mnuTop = nullptr;
    QAction *mnuOffline = nullptr;
    QAction *mnuTabCatch = nullptr;
    QAction *mnuWinCatch = nullptr;
    QAction *CAutosave = nullptr;
    QAction *mnuIE = nullptr;
    QAction *mnuNoLabels = nullptr;
    QAction *mnuMemMesOff = nullptr;
    QAction *mnuShowFavorites = nullptr;
    QMenu *mnuLanguage = nullptr;
    std::vector<QAction *> mnulng;

    // Timers of the window.
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer5 = nullptr;
    QTimer *TimResol = nullptr;
    QTimer *tmrUnload = nullptr;
    QTimer *autosave = nullptr;
    QTimer *chang = nullptr;
    QTimer *memory = nullptr;
    QTimer *tmrUpd = nullptr;

    // Window state.
    int FocusOwner = 3;
    int prevFocusOwner = 3;
    bool pageFocusPending = false;
    bool unloading = false;
    bool exiting = false;
    bool initialLayout = false;
    QString systemDir;
    bool memSaveTag = false;
    QPointer<platform::WebBrowser> newWindowObject;
    int currentTab = 0;
    int sliderPos = 0;
    int repeatCount = 0;
    bool updateArmed = false;
    bool crashSave = false;
    bool favoritesShownAtLoad = false;

    // Address bar state.
    bool addressEdited = false;
    bool rearmHint = false;
    bool hintRebuild = false;
    bool hintBusy = false;
    bool hintPicking = false;
    bool suppressComboClick = false;
    QString typedBeforeHint;

    // Synchroniser state.
    double statusWidth = 0;
    bool autosaveArmed = false;
    bool firstPaintDone = false;

    // Per-tab state by tab number.
    std::array<QString, MaxTab + 1> newURL;
    std::array<QString, MaxTab + 1> prevURL;
    // A reopened record's title and address, until the page gives a title
    // or the tab leaves the address it reached.
    struct RecordTitle
    {
        QString title;
        QString address;
        bool arrived = false;
    };
    mutable std::array<RecordTitle, MaxTab + 1> recordTitles;
    std::array<long, ProgressTabs> tabProgress{};
    std::array<long, ProgressTabs> tabProgressMax{};

    // The current tab's document, bound by the synchroniser.
    QPointer<platform::WebDocument> HTML;
    // The status text the current page gave last, or the window's answer
    // to what was typed for it; it goes with that page.
    QString m_pageStatusText;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenus();
    void createTimers();
    void connectControls();
    // Loads a new element of Web at the next free index (the new tab number).
    platform::WebBrowser *loadWeb();
    void connectWeb(platform::WebBrowser *browser, int index);
    void unloadWeb(int index);
    void sizeWindowToScreen();
    void refreshAfterClose();
    void showOnlyPage(int n);
    void setWindowCaption(const QString &caption);
    QString programTitle() const;
    void Form_Paint();
    int windowStateCode() const;
    void setWindowStateCode(int state);
    // Shows the loaded window painted, in its stored state, then lets the
    // start-up window go.
    void showMainWindow();
    void fillLanguageMenu(const QStringList &languages);
    void layoutToolbar();
    void placeToolbarChecks();
    services::ToolbarParts toolbarParts() const;
    int toolbarButtonWidth() const;
    // The slider's own moves are the user's; the window's writes are not.
    void setSliderRange(int maximum);
    void setSliderValue(int value);

    // Address bar and suggestion list.
public:
    // The history rows offered for a typed text, in history order: rows that
    // begin with it, or begin with "www." followed by it (letter case counts).
    static QStringList buildSuggestions(const QStringList &history, const QString &typed);
    // The key codes the address bar's key handlers take (Enter 13, Escape 27,
    // Up 38, Down 40); the shift state is services::shiftCode.
    static int keyCodeOf(int qtKey);
    // Hot words replaced in a row by one change of the address text; a cycle
    // of hot words stops there.
    static constexpr int MaxHotWordChain = 32;

private:
    class AddressBarEvents;
    void connectAddressBar();
    QString addressText() const;
    void setAddressText(const QString &text);
    void putCaretAtEnd();
    bool hintListShown() const;
    int hintListIndex() const;
    void setHintListIndex(int index);
    void copyHintToAddress();
    const QStringList &historyRows();
    void removeErrorPageWrappers();
    void replaceHotWord();
    AddressBarEvents *m_addressBarEvents = nullptr;
    QStringList m_historyRows;
    bool m_historyRowsValid = false;
    QPointer<QObject> m_historyModel;
    int m_changeDepth = 0;
    int m_hotWordSubstitutions = 0;

    // Address text the user owns (frmMain_addresstext.cpp).
public:
    // The text with every error-page wrapper ("res://" + system directory +
    // suffix) removed, in the order the address bar removes them.
    static QString withoutErrorPageWrappers(const QString &text, const QString &systemDir);
    // Longest address the address bar holds, as long as the engine opens.
    static constexpr int MaxAddressLength = 2 * 1024 * 1024;

private:
    // The history row each tab's latest web address moved or added, so an
    // error page that the engine commits under that address takes it back.
    struct HistoryVisit
    {
        QString location;
        QString host;
        int rowBefore = -1; // -1: the host was not in the list
    };
    std::map<int, HistoryVisit> m_historyVisits;
    void rememberHistoryVisit(int tab, const QString &location, const QString &host,
                              int rowBefore);
    void forgetErrorPageVisit(int tab, const QString &location);
    // A caption let raised the tab row's change, not a selection.
    bool m_captionLetPending = false;
    void connectCaptionLets();

    // Each part of the window wires its own controls and menu items.
    void connectSessions();
    void connectMemoryWatch();
    void connectMenuCommands();
    void connectToolbar();
    void connectContentSwitches();
    void connectFavorites();
    void connectFormHooks();
    void connectWindowCommands();

    // Files the program could not write, told once per kind
    // (frmMain_writefailures.cpp).
    void connectWriteFailures();
    void showWriteFailures();
    QString writeFailureText(const platform::WriteFailure &failure) const;
    QStringList m_writeFailureTexts;

    // Sessions and automatic saving (frmMain_sessions.cpp).
public:
    void mnuSaveTabs_Click();
    void mnuLoadTabs_Click();
    void mnuLoadAutosave_Click();
    void mnuLoadTabsSelective_Click();
    void mnuLoadAutosaveSelective_Click();
    // What a reopened tab does with Silent: leaves it, turns it on, or holds
    // it on only while the navigation starts.
    enum class SavedTabSilent { Unchanged, On, WhileNavigating };
    // Opens one saved record as a new tab, selected when opNW is on; a given
    // title becomes the document title once the navigation has started. The
    // control follows the program's offline state like every other. Returns
    // the new tab number, or -1 when the row has no number left.
    int openSavedTab(const QString &address, const QString *title, SavedTabSilent silent);
    // The title a saved record gave tab n, while its page shows no title of
    // its own (none, or the offline stand-in) and the tab is still on the
    // record's address; a null text otherwise.
    QString recordTitleFor(int n) const;

private:
    // Memory watch (frmMain_memory.cpp).
    void mnuMem_Click();
    void mnuMemMesOff_Click();
    // Adds the dial-up menu's entries once the platform answers; the load
    // asks once and does not wait.
    void fillConnections(bool flag);
    void showUnreadablePhoneBook(const platform::DialUpError &error);
    void MnuConnections_Click(int index);
    void mnuHangUp_Click();
    void tellDialUp(const QString &text, platform::MsgIcon icon);
    // The update notice (frmMain_content.cpp): steps from the date test on,
    // and what follows the fetch.
    void checkForUpdate();
    void updateReplied(const QByteArray &body);
    QPointer<QObject> m_updateFetch;
    bool m_dialUpAsked = false;
    // The global offline state of every instance.
    void setOffline(bool offline, bool force);
    std::vector<QAction *> MnuConnections; // element 0: "no connections"
    // Menu commands (frmMain_commands.cpp).
public:
    // The control of the current tab; throws when the tab has none.
    platform::WebBrowser &currentWeb() const;
    // Save as, print, page setup and properties, as the tab's control hands
    // them back to the window.
    void Web_PageCommandRequested(int Index, int command);
    void mnuProp_Click();
    void mnuSave_Click();
    void mnuOpen_Click();
    void mnuRefresh_Click();
    void mnuStopAll_Click();
    void mnuWinCatch_Click();
    void mnuOffline_Click();
    void mnuTop_Click();
    void wOffLineToAll_Click();
    void mnulng_Click(int index);
    void mnuCallHelp_Click();
    void mnuIECpl_Click();
    void mnuHPage_Click();
    void mnuNoLabels_Click();
    // Shared with the toolbar.
    void toggleWindowFilter();
    void toggleOffline();
    void openLocalFile();
    void refreshPage();

private:
    void pageCommand(int command, int option);
    void clipboardCommand(int command);
    void setStaysOnTop(bool on);
    // Owns the printer, kept so that the page setup holds for the next print.
    QObject *m_printerHolder = nullptr;
    std::array<QString, 10> m_toolbarCaptions; // captions put away by the no-labels mode
    // Toolbar (frmMain_toolbar.cpp).
public:
    // Clicks on a button and on an item of a button's drop-down list, by key.
    void Toolbar1_ButtonClick(const QString &Key);
    void Toolbar1_ButtonMenuClick(const QString &Key);

private:
    void createToolbarButtons();
    void equalizeToolbarButtons();
    // Content switches and update notice (frmMain_content.cpp).
    void mnuTools_Click();
    void mnuShowPictures_Click();
    void mnuShowVideos_Click();
    void mnuEnableSounds_Click();
    void mnuShowAnimations_Click();
    void mnuShowFlash_Click();
    void textSwitch_Click(QAction *item, const QString &valueName);
    // Tells the engine the content settings changed.
    void broadcastContentSettings();
    QString m_settingChange; // the last change notice sent
    // Favourites (frmMain_favorites.cpp).
public:
    void mnuAddToFavoites_Click();
    // The organise dialog; the favourites tree window opens it too.
    void mnuEditFavorites_Click();
    void mnuShowFavorites_Click();
    void mnuFavImport_Click();
    void FavItem_Click(int Index);
    // The favourites of the settings store and the menu array FavItem that
    // mirrors them (element 0: the built-in entry).
    services::FavoritesStore &favorites() { return *m_favorites; }
    services::FavoritesMenu *FavItem = nullptr;

private:
    // Loads the favourites tree window afresh and shows it.
    void showFavoritesWindow();
    // Gives the favourites tree window the focus when the load opened it.
    void focusFavoritesWindow();
    platform::ShellFavorites *shellHelper = nullptr;
    std::shared_ptr<services::FavoritesStore> m_favorites;
    // Form hooks (frmMain_formhooks.cpp).
public:
    static constexpr int HookedForms = 20;
    // Hooks the first forms of a document, its frames' before its own.
    void parse(platform::WebDocument *document);
    bool webForm_onsubmit(int K);
    void formSubmit(platform::WebForm *form);
    // Shows the type of the page event being delivered.
    void parseEvents();
    std::array<QPointer<platform::WebForm>, HookedForms> webForm;

private:
    void hookForm(int K, platform::WebForm *form);
    void mnuFormFiller_Click();
    void mnuBatch_Click();
    void mnuAbout_Click();
    std::array<QMetaObject::Connection, HookedForms> m_formHooks;
    // Commands that open secondary windows (frmMain_windows.cpp).
    void mnuOptions_Click();

    // Timers and layout.
    // Binds HTML to a page document and its mouse-move event to HTML_onmousemove.
    void bindHTML(platform::WebDocument *document);
    // The load holds the enabled timers until it ends; they count as enabled then.
    bool timer1Enabled() const;
    // Width of a text in the window's font, in twips.
    double textWidthTwips(const QString &text) const;
    mutable QString m_measuredText;
    mutable QFont m_measuredFont;
    mutable int m_measuredPixels = -1;
    // What the synchroniser read of the tab row at its last walk, kept until
    // a tab is added or removed.
    std::optional<quint32> m_tickRowRevision;
    int m_tickVisibleTabs = 0;
    // The status text's parts it was last built from.
    struct TickStatus
    {
        int position = -1;
        int visible = -1;
        QString before;
        QString after;
        QString text;
    } m_tickStatus;
    struct TickCaption
    {
        QString title;
        QString program;
        QString shown;
    } m_tickCaption;
    struct TickPanels
    {
        QString text;
        QRect bar;
        int twips = 0;
        int fonts = -1;
        bool operator==(const TickPanels &) const = default;
    } m_tickPanels;
    // Counts the window's font changes.
    int m_fontChanges = 0;
    bool m_layoutYielding = false;
    bool m_inResizeEvent = false;

    // Downloads, uploads, logins, certificates, permissions and full screen
    // that pages ask for (frmMain_control.cpp).
    class ControlEvents;
    void connectControl(platform::WebBrowser *browser, int index);
    ControlEvents *m_controlEvents = nullptr;

    Program &m_program;
    std::vector<platform::WebBrowser *> Web;
    QList<QTimer *> m_enabledTimers;
    // The outer frame the load gives the window, pixels.
    QRect m_frameTarget;
    // The WindowState setting applied at load (-1: none read).
    int m_storedWindowState = -1;
    bool m_sliderByCode = false;
};

} // namespace velmora::mainwindow
