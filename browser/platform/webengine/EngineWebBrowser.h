#pragma once

#include <functional>
#include <memory>

#include "PopupGate.h"
#include "Services.h"
#include "WebBrowser.h"

#include <QDeadlineTimer>
#include <QList>
#include <QPointer>
#include <QUrl>

class QWebEngineLoadingInfo;
class QWebEngineNewWindowRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

class QTimer;

namespace velmora::platform {

class EngineBlankWindows;
class EngineContentInterceptor;
class EngineDocument;
class EnginePage;
class EngineOfflineCache;
class EngineOfflineWork;
class EngineWebBrowserFactory;
class FileInternetState;

// A browser control over Qt WebEngine. The engine view and page are made on
// the first navigation, so a hidden control that never shows a page costs
// next to nothing; releasePage() gives them back.
class EngineWebBrowser final : public WebBrowser
{
    Q_OBJECT
public:
    EngineWebBrowser(EngineWebBrowserFactory *factory, QWidget *parent);
    ~EngineWebBrowser() override;

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

    void ExecWB(int command, int option) override;
    void SetFocus() override;
    void savePage(const QString &path) override;
    void printPage(QPrinter *printer) override;

    void releasePage() override;
    bool hasPage() const override;
    void leaveFullScreen() override;
    void readPageFacts(std::function<void(const PageFacts &)> done) override;

    // The engine page while one exists (tests look into it).
    QWebEnginePage *page() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class EnginePage;
    friend class EngineDocument;
    friend class EngineWebBrowserFactory;

    bool ensurePage();
    bool isCommitted(const QUrl &url) const;
    void raiseNavigateComplete(const QUrl &url);

    // Called by the page.
    bool onNavigationRequest(const QUrl &url, int type, bool isMainFrame);
    bool onScriptDialog(ScriptDialogKind kind, const QString &message, QString *text);

    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onUrlChanged(const QUrl &url);
    void onTitleChanged(const QString &title);
    void onNewWindowRequested(QWebEngineNewWindowRequest &request);
    void onFocusChanged(QWidget *old, QWidget *now);
    void refreshDocumentTitle();
    // A window opened empty stays hidden from the engine until it is safe to
    // paint (see EngineBlankWindows).
    void guardBlankWindow();
    void pollBlankWindow();
    void endBlankGuard();

    // Cleared when the factory goes: no page can be made after that.
    EngineWebBrowserFactory *m_factory;
    QPointer<QWidget> m_container;
    QPointer<QWebEngineView> m_view;
    QPointer<EnginePage> m_page;
    EngineDocument *m_document;
    // Held while there is a page.
    QMetaObject::Connection m_focusWatch;
    PopupGate m_popups;
    // Works offline by itself, whatever the profile's state.
    bool m_offline = false;
    // The address of the navigation going on.
    QUrl m_navigating;

    bool m_silent = false;
    bool m_loading = false;
    bool m_committed = false;
    bool m_reloading = false;
    // Loads that were cancelled before they began: their start and stop
    // reports are not events of this control.
    QList<QUrl> m_cancelled;
    bool m_swallowing = false;
    QString m_documentTitle;
    // Counts title changes, so that a late answer of the document is dropped.
    quint64 m_titleChanges = 0;
    // The address whose navigation failed while the engine shows its error
    // page for it; LocationURL reports that page's location.
    QUrl m_errorPage;
    // A fresh page already shows an empty document: its blank load waits a
    // turn of the event loop and is dropped when an address or a new
    // window's page comes first, sparing the renderer a whole navigation.
    bool m_blankPending = false;
    // While set, the view is kept hidden: the window was opened empty and
    // is not yet safe to paint.
    bool m_blankGuarded = false;
    QString m_blankToken;
    QTimer *m_blankPoll = nullptr;
    QDeadlineTimer m_blankDeadline;
    // An address the engine cannot go to, shown as asked over an empty page.
    QString m_unnavigable;
    bool showsUnnavigable() const;
};

// Makes engine controls that share one persistent profile ("olk_Browser",
// kept under the user's data folder). On destruction the factory releases the
// pages of every control it made before the profile goes; controls that live
// on cannot start pages again. Destroy it before the application object.
class EngineWebBrowserFactory final : public WebBrowserFactory
{
public:
    // cache: where the pages for offline work are kept; the default folder
    // when none is given.
    explicit EngineWebBrowserFactory(std::shared_ptr<EngineOfflineCache> cache = {});
    ~EngineWebBrowserFactory() override;

    WebBrowser *create(QWidget *parent) override;
    // Held until the profile is made, when nothing has made it yet.
    void applyContentSettings(const ContentSettings &settings) override;
    const ContentSettings &contentSettings() const { return m_content; }
    // What of them is set per page; a control calls it for each page it makes.
    void applyContentSettingsToPage(QWebEnginePage *page) const;

    // The shared profile, made on first use.
    QWebEngineProfile *profile();
    // A control let its page go. The heap a page leaves behind is handed
    // back to the system shortly after, or closed tabs would keep it.
    void pageReleased();
    // Where the profile keeps its storage: <data home>/olk_Browser.
    static QString storagePath();
    // Pages wholly covered by another page are hidden from the engine; the
    // check runs once after a burst of changes.
    void scheduleOcclusionCheck();

    // Offline work of every control: the profile's state and page cache.
    // The state follows the one every instance shares.
    void followOfflineState(FileInternetState &state);
    void setOffline(bool offline);
    bool isOffline() const;
    void setOfflinePage(std::function<QString(const QString &address)> page) override;

    void setLanguage(const QString &locale) override;
    // Sets Qt Network's application proxy, which the engine takes when it
    // starts; once it runs, the choice waits for the next start.
    void setProxy(const ProxyChoice &proxy) override;
    bool clearBrowsingData(const BrowsingDataChoice &choice) override;
    // What pages are told the user reads: "ru-RU,ru;q=0.9,en;q=0.8".
    static QString acceptLanguage(const QString &locale);
    std::shared_ptr<EngineOfflineCache> offlineCache() const { return m_offlineCache; }
    EngineOfflineWork &offlineWork() const { return *m_offlineWork; }
    EngineBlankWindows &blankWindows() { return *m_blankWindows; }

private:
    void applyContentSettingsToProfile();
    void installNotifications();

    QWebEngineProfile *m_profile = nullptr;
    QString m_acceptLanguage;
    std::unique_ptr<QTimer> m_trim;
    std::unique_ptr<QTimer> m_occlusion;
    QList<QPointer<EngineWebBrowser>> m_browsers;
    ContentSettings m_content;
    std::shared_ptr<EngineOfflineCache> m_offlineCache;
    std::unique_ptr<EngineOfflineWork> m_offlineWork;
    std::unique_ptr<EngineBlankWindows> m_blankWindows;
};

} // namespace velmora::platform
