#include "EngineWebBrowser.h"
#include "EngineBlankWindows.h"
#include "EngineContentInterceptor.h"

#include "EngineErrorPage.h"
#include "EngineOfflineWork.h"
#include "EngineCertificates.h"
#include "EnginePage.h"
#include "EnginePermissions.h"
#include "UserAddress.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

// The engine names a page without a title after its address, shortened the
// way an address bar shows it; such a title is no title of the document.
bool isAddressTitle(const QString &title, const QUrl &url)
{
    if (title.isEmpty())
        return true;
    const QString full = url.toString();
    QStringList forms{full, url.toDisplayString()};
    if (url.scheme() == "http"_L1)
        forms << full.mid(7) << url.toDisplayString().mid(7);
    for (const QString &form : std::as_const(forms)) {
        if (title == form || (form.endsWith(u'/') && title == form.chopped(1)))
            return true;
    }
    return false;
}

} // namespace

EngineWebBrowser::EngineWebBrowser(EngineWebBrowserFactory *factory, QWidget *parent)
    : WebBrowser(parent)
    , m_factory(factory)
    , m_container(new QWidget(parent))
    , m_document(new EngineDocument(this))
{
    // The layout, the page's helpers and the focus watch come with a page:
    // a closed tab keeps only the bare container of its slot.
    m_container->hide();
    // Showing, hiding, raising or moving a page may cover or uncover others.
    m_container->installEventFilter(this);
}

EngineWebBrowser::~EngineWebBrowser()
{
    releasePage();
    delete m_container.data();
}

QWidget *EngineWebBrowser::widget()
{
    return m_container;
}

QWebEnginePage *EngineWebBrowser::page() const
{
    return m_page;
}

bool EngineWebBrowser::hasPage() const
{
    return m_page != nullptr;
}

bool EngineWebBrowser::ensurePage()
{
    if (m_page)
        return true;
    if (!m_factory || !m_container)
        return false;
    if (!m_container->layout()) {
        auto *layout = new QVBoxLayout(m_container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    m_view = new QWebEngineView(m_container);
    m_page = new EnginePage(m_factory->profile(), this, m_view);
    m_factory->applyContentSettingsToPage(m_page);
    // The page's own: it goes with the page.
    m_page->setUrlRequestInterceptor(new EngineContentInterceptor(m_factory, nullptr, m_page));
    // Focus is followed application-wide: the engine replaces the widget
    // that really holds the focus whenever it makes a new render view.
    m_focusWatch =
        connect(qApp, &QApplication::focusChanged, this, &EngineWebBrowser::onFocusChanged);
    m_factory->offlineWork().watchPage(m_page);
    ++m_titleChanges;

    connect(m_page, &QWebEnginePage::loadingChanged, this, &EngineWebBrowser::onLoadingChanged);
    connect(m_page, &QWebEnginePage::urlChanged, this, &EngineWebBrowser::onUrlChanged);
    connect(m_page, &QWebEnginePage::titleChanged, this, &EngineWebBrowser::onTitleChanged);
    connect(m_page, &QWebEnginePage::newWindowRequested, this,
            &EngineWebBrowser::onNewWindowRequested);
    connect(m_page, &QWebEnginePage::loadProgress, this, [this](int progress) {
        if (m_loading && !m_swallowing)
            emit ProgressChange(progress, 100);
    });
    // A view shown under the pointer reports "no link" again and again: only
    // a change is news, or it wipes what the status bar just said.
    connect(m_page, &QWebEnginePage::linkHovered, this,
            [this, shown = QString()](const QString &url) mutable {
                if (url == shown)
                    return;
                shown = url;
                emit StatusTextChange(url);
            });
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, [this] {
        bool cancel = false;
        emit WindowClosing(false, &cancel);
        // Not from inside the page's own signal; and only the page that asked.
        if (!cancel) {
            QTimer::singleShot(0, this, [this, closing = QPointer<EnginePage>(m_page)] {
                if (closing && closing == m_page)
                    releasePage();
            });
        }
    });
    // Certificates, permissions, full screen and logins go to the host.
    new EngineCertificateGuard(this, m_page);
    new EnginePermissions(this, m_page);

    m_view->setPage(m_page);
    // Shown by the occlusion check unless another page covers it: a view
    // shown even once keeps its render buffers.
    m_view->hide();
    m_view->installEventFilter(this);
    m_container->layout()->addWidget(m_view);
    m_container->setFocusProxy(m_view);
    m_factory->scheduleOcclusionCheck();
    return true;
}

void EngineWebBrowser::releasePage()
{
    if (!m_view)
        return;
    m_page->disconnect(this);
    // The page is a child of the view: both go, page before profile. The
    // members are cleared first, so focus moves caused by the deletion are
    // not taken for this control's.
    QWebEngineView *view = m_view;
    m_view = nullptr;
    m_page = nullptr;
    delete view;
    disconnect(m_focusWatch);
    if (m_container) {
        m_container->setFocusProxy(nullptr);
        delete m_container->layout();
    }
    if (m_factory)
        m_factory->pageReleased();
    m_loading = false;
    m_committed = false;
    m_reloading = false;
    m_swallowing = false;
    m_blankPending = false;
    endBlankGuard();
    m_cancelled.clear();
    m_documentTitle.clear();
}

bool EngineWebBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_container) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ZOrderChange:
        case QEvent::Move:
        case QEvent::Resize:
            if (m_factory && m_view)
                m_factory->scheduleOcclusionCheck();
            break;
        default:
            break;
        }
        return WebBrowser::eventFilter(watched, event);
    }
    if (event->type() == QEvent::ChildAdded && watched == m_view) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
    } else if (event->type() == QEvent::MouseMove) {
        m_document->raiseMouseMove();
    }
    return WebBrowser::eventFilter(watched, event);
}

void EngineWebBrowser::onFocusChanged(QWidget *old, QWidget *now)
{
    if (!m_view)
        return;
    const auto inside = [this](QWidget *w) {
        return w && (w == m_view || m_view->isAncestorOf(w));
    };
    if (!inside(old) && inside(now))
        emit GotFocus();
    else if (inside(old) && !inside(now))
        emit LostFocus();
}

void EngineWebBrowser::Navigate2(const QString &text)
{
    // A saved error page asks for its address again.
    const QUrl url = addressFromUserText(EngineErrorPage::addressAskedFor(text));
    if (!ensurePage())
        return;
    m_unnavigable.clear();
    // No address the engine can go to (text that is no address and names no
    // file is not turned into a file's): the tab shows an empty page of its
    // own, under what was asked.
    const QString asked = text.trimmed();
    const bool strayFile = url.isLocalFile() && !asked.startsWith(u'/') && !asked.startsWith(u'~')
                           && !asked.startsWith("file:"_L1, Qt::CaseInsensitive);
    if (!url.isValid() || strayFile) {
        bool cancel = false;
        emit BeforeNavigate2(text, &cancel);
        if (cancel || !m_page)
            return;
        m_unnavigable = text;
        m_blankPending = false;
        m_page->load(QUrl(u"about:blank"_s));
        return;
    }
    // The engine asks nobody before it shows an about: page.
    if (url.scheme() == "about"_L1) {
        bool cancel = false;
        emit BeforeNavigate2(url.toString(), &cancel);
        if (cancel || !m_page)
            return;
    }
    if (url == QUrl(u"about:blank"_s) && m_page->url().isEmpty() && !m_loading) {
        m_blankPending = true;
        QTimer::singleShot(0, this, [this] {
            if (m_page && m_blankPending) {
                m_blankPending = false;
                m_page->load(QUrl(u"about:blank"_s));
            }
        });
        return;
    }
    m_blankPending = false;
    m_page->load(url);
}

bool EngineWebBrowser::onNavigationRequest(const QUrl &url, int type, bool isMainFrame)
{
    if (!isMainFrame)
        return true;
    // Pages shown from the cache keep their real address for the host.
    const QUrl shown = EngineOfflineWork::realForm(url);
    // The same address turned to or from its offline form.
    if (type == QWebEnginePage::NavigationTypeRedirect && shown == m_navigating)
        return true;
    // A reload is no new navigation to the host.
    m_reloading = type == QWebEnginePage::NavigationTypeReload;
    if (m_reloading)
        return true;
    bool cancel = false;
    emit BeforeNavigate2(shown.toString(), &cancel);
    // A cancelled request still gets a start and a stop report from the
    // engine; an accepted one for the same address supersedes it.
    if (cancel)
        m_cancelled.append(url);
    else
        m_cancelled.removeAll(url);
    if (!cancel)
        m_navigating = shown;
    return !cancel;
}

bool EngineWebBrowser::onScriptDialog(ScriptDialogKind kind, const QString &message,
                                      QString *text)
{
    if (m_silent)
        return false;
    bool accepted = false;
    QString answer = text ? *text : QString();
    emit ScriptDialog(kind, message, &accepted, &answer);
    if (text)
        *text = answer;
    return accepted;
}

bool EngineWebBrowser::showsUnnavigable() const
{
    return !m_unnavigable.isEmpty() && m_page
           && (m_page->url().isEmpty() || m_page->url() == QUrl(u"about:blank"_s));
}

bool EngineWebBrowser::isCommitted(const QUrl &url) const
{
    return m_page && m_page->history()->currentItem().url() == url;
}

void EngineWebBrowser::raiseNavigateComplete(const QUrl &url)
{
    m_committed = true;
    emit NavigateComplete2(url == m_errorPage || showsUnnavigable()
                               ? LocationURL()
                               : EngineOfflineWork::realForm(url).toString());
}

void EngineWebBrowser::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        if (m_cancelled.contains(info.url())) {
            m_swallowing = true;
            return;
        }
        m_swallowing = false;
        m_loading = true;
        m_popups.newPage();
        m_page->settings()->resetAttribute(QWebEngineSettings::JavascriptCanOpenWindows);
        m_committed = false;
        m_errorPage.clear();
        emit ProgressChange(0, 100);
        return;
    }
    if (m_swallowing && m_cancelled.removeOne(info.url())) {
        m_swallowing = false;
        return;
    }
    if (!m_loading)
        return;
    m_loading = false;
    const QUrl url = m_page->url();
    const bool succeeded = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
    // Known only now: what was committed is the engine's error page.
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.isErrorPage()) {
        m_errorPage = url;
        raiseNavigateComplete(url);
    }
    // A load of the address already shown commits without a change of address.
    if (succeeded && !m_committed && !m_reloading)
        raiseNavigateComplete(url);
    // An error page is a document too: the host's per-document state ends here.
    if (m_committed || succeeded)
        emit DocumentComplete(url == m_errorPage || showsUnnavigable()
                                  ? LocationURL()
                                  : EngineOfflineWork::realForm(url).toString());
    emit DownloadComplete();
    // The bar of a finished page is empty.
    emit ProgressChange(0, 0);
    m_committed = false;
    m_reloading = false;
}

void EngineWebBrowser::onUrlChanged(const QUrl &url)
{
    // A new window shows its address before anything is committed; only a
    // committed address completes a navigation. Without a load it is a move
    // inside the document (an anchor, the history interface).
    if (url != m_errorPage)
        m_errorPage.clear();
    if (isCommitted(url) && !m_swallowing)
        raiseNavigateComplete(url);
}

void EngineWebBrowser::onTitleChanged(const QString &title)
{
    if (m_loading && !m_committed && isCommitted(m_page->url()))
        raiseNavigateComplete(m_page->url());
    ++m_titleChanges;
    if (isAddressTitle(title, m_page->url())) {
        m_documentTitle.clear();
        refreshDocumentTitle();
    } else {
        m_documentTitle = title;
    }
    if (showsUnnavigable()) {
        emit TitleChange(m_unnavigable);
        return;
    }
    // A page without a title is named after its address, the real one.
    emit TitleChange(EngineOfflineWork::isOfflineForm(QUrl(title))
                         ? EngineOfflineWork::realForm(QUrl(title)).toString()
                         : title);
}

void EngineWebBrowser::refreshDocumentTitle()
{
    // A page may really be titled like its address: the document is asked.
    // A later change of title makes the answer stale.
    const QPointer<EngineWebBrowser> self(this);
    const quint64 changes = m_titleChanges;
    m_page->runJavaScript(u"document.title"_s, QWebEngineScript::ApplicationWorld,
                          [self, changes](const QVariant &value) {
                              if (self && self->m_page && self->m_titleChanges == changes
                                  && value.typeId() == QMetaType::QString)
                                  self->m_documentTitle = value.toString();
                          });
}

void EngineWebBrowser::onNewWindowRequested(QWebEngineNewWindowRequest &request)
{
    if (!m_popups.admit(request.isUserInitiated())) {
        // The rest of this load's windows are refused by the engine itself,
        // before it builds a page for each; clicks still open theirs.
        m_page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        if (m_popups.takeNotice())
            emit NewWindowsRefused();
        return;
    }
    WebBrowser *handed = nullptr;
    bool cancel = false;
    emit NewWindow2(&handed, &cancel);
    if (cancel)
        return;
    auto *target = qobject_cast<EngineWebBrowser *>(handed);
    if (!handed) {
        emit NewWindowToPlatform(request.requestedUrl().toString());
        return;
    }
    if (!target || target->m_factory != m_factory || !target->ensurePage())
        return;
    target->m_blankPending = false;
    request.openIn(target->m_page);
    if (EngineBlankWindows::leavesEmpty(request.requestedUrl()))
        target->guardBlankWindow();
}

void EngineWebBrowser::guardBlankWindow()
{
    m_blankGuarded = true;
    m_blankToken = m_factory->blankWindows().issue();
    // A real navigation makes the engine ready too, at the cost of what the
    // opener wrote: the way out when the frame never loads.
    m_blankDeadline.setRemainingTime(3000);
    if (!m_blankPoll) {
        m_blankPoll = new QTimer(this);
        m_blankPoll->setSingleShot(true);
        m_blankPoll->setInterval(15);
        connect(m_blankPoll, &QTimer::timeout, this, &EngineWebBrowser::pollBlankWindow);
    }
    m_factory->scheduleOcclusionCheck();
    pollBlankWindow();
}

void EngineWebBrowser::pollBlankWindow()
{
    if (!m_page || !m_blankGuarded || m_blankToken.isEmpty())
        return;
    if (m_blankDeadline.hasExpired()) {
        m_factory->blankWindows().revoke(m_blankToken);
        m_blankToken.clear();
        connect(m_page, &QWebEnginePage::loadFinished, this, [this] { endBlankGuard(); },
                Qt::SingleShotConnection);
        m_page->setUrl(QUrl(u"about:blank"_s));
        return;
    }
    // One question at a time: a busy renderer gets no queue of them. An
    // answer that never comes is asked again, so the deadline still holds.
    m_blankPoll->start(200);
    const QPointer<EngineWebBrowser> self(this);
    const QPointer<EnginePage> page(m_page);
    m_page->runJavaScript(EngineBlankWindows::primeScript(m_blankToken),
                          QWebEngineScript::ApplicationWorld,
                          [self, page](const QVariant &done) {
                              // A page going away answers with nothing, from
                              // inside its own destruction: touch nothing then.
                              if (!done.isValid())
                                  return;
                              if (!self || !page || self->m_page != page || !self->m_blankGuarded)
                                  return;
                              if (done.toBool())
                                  self->endBlankGuard();
                              else
                                  self->m_blankPoll->start(15);
                          });
}

void EngineWebBrowser::endBlankGuard()
{
    if (!m_blankGuarded)
        return;
    m_blankGuarded = false;
    if (m_blankPoll)
        m_blankPoll->stop();
    if (m_factory) {
        if (!m_blankToken.isEmpty())
            m_factory->blankWindows().revoke(m_blankToken);
        m_factory->scheduleOcclusionCheck();
    }
    m_blankToken.clear();
}

void EngineWebBrowser::Stop()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
}

void EngineWebBrowser::GoBack()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Back);
}

void EngineWebBrowser::GoForward()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Forward);
}

void EngineWebBrowser::Refresh()
{
    if (!m_page)
        return;
    // The engine's memory keeps the page's pictures past any request: while
    // pictures are off, they are asked for anew (and blocked).
    const bool pictures = !m_factory || m_factory->contentSettings().pictures;
    m_page->triggerAction(pictures ? QWebEnginePage::Reload : QWebEnginePage::ReloadAndBypassCache);
}

bool EngineWebBrowser::Silent() const
{
    return m_silent;
}

void EngineWebBrowser::setSilent(bool on)
{
    m_silent = on;
}

bool EngineWebBrowser::Offline() const
{
    return m_offline;
}

void EngineWebBrowser::setOffline(bool on)
{
    m_offline = on;
}

bool EngineWebBrowser::Visible() const
{
    return m_container && !m_container->isHidden();
}

void EngineWebBrowser::setVisible(bool on)
{
    if (m_container)
        m_container->setVisible(on);
}

bool EngineWebBrowser::Busy() const
{
    return m_loading;
}

QString EngineWebBrowser::LocationURL() const
{
    if (m_page && m_blankPending)
        return u"about:blank"_s;
    // A control that never navigated, or whose page was released, has no
    // location.
    if (showsUnnavigable())
        return m_unnavigable;
    if (!m_page || m_page->url().isEmpty())
        return QString();
    if (!m_errorPage.isEmpty() && m_page->url() == m_errorPage)
        return EngineErrorPage::location(EngineOfflineWork::realForm(m_errorPage), Offline());
    return EngineOfflineWork::realForm(m_page->url()).toString();
}

QString EngineWebBrowser::LocationName() const
{
    return m_documentTitle.isEmpty() || !m_page ? LocationURL() : m_documentTitle;
}

WebDocument *EngineWebBrowser::Document()
{
    return m_document;
}

void EngineWebBrowser::ExecWB(int command, int)
{
    QWebEnginePage::WebAction action = QWebEnginePage::NoWebAction;
    switch (command) {
    case Cut: action = QWebEnginePage::Cut; break;
    case Copy: action = QWebEnginePage::Copy; break;
    case Paste: action = QWebEnginePage::Paste; break;
    case SelectAll: action = QWebEnginePage::SelectAll; break;
    case SaveAs:
    case Print:
    case PageSetup:
    case Properties:
        emit PageCommandRequested(command);
        return;
    default:
        return;
    }
    if (m_page)
        m_page->triggerAction(action);
}

void EngineWebBrowser::savePage(const QString &path)
{
    if (!m_page)
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool archive = suffix == "mht"_L1 || suffix == "mhtml"_L1;
    m_page->save(path, archive ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
                               : QWebEngineDownloadRequest::CompleteHtmlSaveFormat);
}

void EngineWebBrowser::printPage(QPrinter *printer)
{
    if (m_view && printer)
        m_view->print(printer);
}

void EngineWebBrowser::leaveFullScreen()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::ExitFullScreen);
}

void EngineWebBrowser::SetFocus()
{
    // Asked many times a second while the page keeps it: nothing to do then.
    if (m_view && m_view->hasFocus())
        return;
    if (m_view)
        m_view->setFocus(Qt::OtherFocusReason);
    else if (m_container)
        m_container->setFocus(Qt::OtherFocusReason);
}

} // namespace velmora::platform
