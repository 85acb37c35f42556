#pragma once

#include "PopupGate.h"
#include "Services.h"
#include "WebBrowser.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QStringList>

namespace velmora::platform {

class FakeWebBrowserFactory;
class FakeWebDownload;

class FakeWebDocument final : public WebDocument
{
    Q_OBJECT
public:
    explicit FakeWebDocument(QObject *parent);

    QString title() const override;
    void setTitle(const QString &title) override;
    void Clear() override;
    void focus() override;

    // Raises onmousemove as a mouse over the page would.
    void fakeMouseMove();

    int frameCount() const override;
    WebDocument *frame(int index) const override;
    int formCount() const override;
    WebForm *form(int index) const override;
    QString currentEventType() const override;

    // The page's frames and forms as a test lays them out; a new document
    // (a navigation, Clear) has none. A frame of the own site has a document
    // of its own, returned here; another site's frame has none to reach.
    FakeWebDocument *fakeAddFrame();
    void fakeAddForeignFrame();
    void fakeSetFormCount(int count);
    // The page submits form index: onsubmit runs first. True when the
    // submission went ahead.
    bool fakeSubmit(int index);

    int clearCount = 0;
    int focusCount = 0;
    QStringList titlesSet;
    // How often the page was asked for its forms.
    mutable int formCountReads = 0;

private:
    friend class FakeWebBrowser;
    void resetStructure();

    QString m_title;
    QList<QPointer<FakeWebDocument>> m_frames;
    QList<WebForm *> m_forms;
    QString m_eventType;
};

// A browser control without an engine. It records what the host asks of it,
// and its fake* methods raise the events of a page in the order the engine
// control raises them:
//   navigation: BeforeNavigate2 (cancel ends it here), ProgressChange(0,100),
//   NavigateComplete2, TitleChange(address form), TitleChange(title) when the
//   page has one, ProgressChange(100,100), DocumentComplete, DownloadComplete,
//   ProgressChange(0,0).
// Navigate2, GoBack and GoForward run such a navigation at once, or on the
// next turn of the event loop when the control is asynchronous (as the
// engine is); Stop drops a navigation that has not run yet.
class FakeWebBrowser final : public WebBrowser
{
    Q_OBJECT
public:
    struct Calls
    {
        QStringList navigations; // Navigate2 arguments as given
        int stops = 0;
        int goBacks = 0;
        int goForwards = 0;
        int refreshes = 0;
        int setFocus = 0;
        int releases = 0;
        QList<bool> silent; // every setSilent value
        QList<bool> offline;
        QList<bool> visible;
        QList<QPair<int, int>> execWB; // command, option
        QStringList savedPages;
        QList<QPrinter *> prints;
        int leaveFullScreen = 0;
    };

    struct ScriptAnswer
    {
        bool raised = false; // false: suppressed by Silent
        bool accepted = false;
        QString text;
    };

    FakeWebBrowser(FakeWebBrowserFactory *factory, QWidget *parent);
    ~FakeWebBrowser() override;

    QWidget *widget() override;

    void Navigate2(const QString &url) override;
    void Stop() override;
    void GoBack() override;
    void GoForward() override;
    void Refresh() override;

    bool Silent() const override;
    void setSilent(bool on) override;
    bool Offline() const override;
    void setOffline(bool on) override;
    bool Visible() const override;
    void setVisible(bool on) override;
    bool Busy() const override;

    QString LocationURL() const override;
    QString LocationName() const override;
    WebDocument *Document() override;
    FakeWebDocument *fakeDocument() const { return m_document; }

    void ExecWB(int command, int option) override;
    void SetFocus() override;
    void savePage(const QString &path) override;
    void printPage(QPrinter *printer) override;

    void releasePage() override;
    bool hasPage() const override;

    void setAsync(bool on) { m_async = on; }
    bool isAsync() const { return m_async; }

    // The address as the engine shows it: "example.com" -> "http://example.com/".
    static QString canonicalAddress(const QString &text);

    // A navigation of the page itself (a link, a script). False when the host
    // cancelled it. The title defaults to the factory's title for the address.
    bool fakeNavigate(const QString &url);
    bool fakeNavigate(const QString &url, const QString &title);
    // The page opens a new window: NewWindow2, then the handed control loads
    // the address (at once, or later when it is asynchronous). Returns the
    // handed control, or null when the host cancelled or handed none (then
    // NewWindowToPlatform is raised).
    WebBrowser *fakeOpenWindow(const QString &url, const QString &title = {});
    // Page: the page's own script, with no click behind it; such windows
    // are refused beyond the bound of a page load (NewWindowsRefused).
    enum class Opener { User, Page };
    WebBrowser *fakeOpenWindow(const QString &url, const QString &title, Opener opener);
    // The page closes its window: WindowClosing; unless cancelled, the page
    // goes. True when it went.
    bool fakeCloseWindow();
    void fakeStatus(const QString &text);
    void fakeProgress(int progress, int progressMax);
    void fakeTitle(const QString &title);
    // The location changes without a load and NavigateComplete2 reports it,
    // as for a move inside the document (an anchor, history.pushState).
    void fakeSameDocument(const QString &url);
    void fakeFocusIn();
    void fakeFocusOut();
    ScriptAnswer fakeScriptDialog(ScriptDialogKind kind, const QString &message,
                                  const QString &defaultText = {});

    // What a page asks of the user, as the engine control raises it.
    // A download: DownloadRequested; left unaccepted, it is dropped.
    FakeWebDownload *fakeDownload(const QString &url, const QString &suggestedName,
                                  qint64 total = -1);
    QStringList fakeChooseFiles(bool multiple, const QStringList &accepted = {});
    struct LoginAnswer
    {
        bool accepted = false;
        QString user;
        QString password;
    };
    LoginAnswer fakeLogin(const QString &site, const QString &realm, bool proxy = false);
    CertificatePage fakeCertificateError(const QString &url, CertificateProblem problem);
    bool fakePermission(const QString &site, Permission kind);
    // The page enters or leaves full screen; true when the host let it.
    bool fakeFullScreen(bool on);
    void leaveFullScreen() override;

    // Answers on the next turn of the event loop with fakeFacts, its address
    // and title those of the page shown.
    void readPageFacts(std::function<void(const PageFacts &)> done) override;
    PageFacts fakeFacts;
    int factReads = 0;

    Calls calls;
    // ExecWB of these commands throws std::runtime_error (after recording the call).
    QList<int> failingCommands;

private:
    void schedule(const QString &address, const QString &title, int historyMove);
    bool run(const QString &address, const QString &title, int historyMove);
    void dropPage();
    void onFocusChanged(QWidget *old, QWidget *now);

    QPointer<FakeWebBrowserFactory> m_factory;
    QPointer<QWidget> m_widget;
    FakeWebDocument *m_document;
    bool m_async = false;
    bool m_silent = false;
    bool m_offline = false;
    bool m_busy = false;
    bool m_hasPage = false;
    QString m_location;
    QStringList m_history;
    int m_historyIndex = -1;
    quint64 m_scheduleGeneration = 0;
    PopupGate m_popups;
};

class FakeWebBrowserFactory final : public QObject, public WebBrowserFactory
{
    Q_OBJECT
public:
    using QObject::QObject;

    WebBrowser *create(QWidget *parent) override;
    void applyContentSettings(const ContentSettings &settings) override
    {
        contentSettings.append(settings);
    }
    void setLanguage(const QString &locale) override { languages.append(locale); }
    void setProxy(const ProxyChoice &proxy) override
    {
        proxies.append(proxy);
        controlsWhenProxySet.append(int(m_browsers.size()));
    }
    bool clearBrowsingData(const BrowsingDataChoice &choice) override
    {
        cleared.append(choice);
        return clearSucceeds;
    }

    // Every setLanguage, setProxy and clearBrowsingData call, in order.
    QStringList languages;
    QList<ProxyChoice> proxies;
    QList<int> controlsWhenProxySet; // how many controls had been made by then
    QList<BrowsingDataChoice> cleared;
    bool clearSucceeds = true;

    // Every applyContentSettings call, in order.
    QList<ContentSettings> contentSettings;
    // Every control made so far, in order; destroyed ones read null.
    const QList<QPointer<FakeWebBrowser>> &browsers() const { return m_browsers; }
    FakeWebBrowser *last() const;
    // Controls made from now on are asynchronous (see FakeWebBrowser).
    void setAsync(bool on) { m_async = on; }
    // The title a page at this address has (default: none).
    void setPageTitle(const QString &url, const QString &title);
    QString pageTitle(const QString &url) const;

private:
    QList<QPointer<FakeWebBrowser>> m_browsers;
    QHash<QString, QString> m_titles;
    bool m_async = false;
};

} // namespace velmora::platform
