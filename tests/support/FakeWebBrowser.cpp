#include "FakeWebBrowser.h"

#include "FakeWebDownload.h"

#include <QApplication>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

// The title the engine gives a page that has none: its address without
// "http://" and without the slash of a bare host.
QString addressTitle(const QString &address)
{
    QString title = address;
    if (title.startsWith("http://"_L1))
        title.remove(0, 7);
    const QUrl url(address);
    if (url.path() == "/"_L1 && !url.hasQuery() && !url.hasFragment() && title.endsWith(u'/'))
        title.chop(1);
    return title;
}

} // namespace

FakeWebDocument::FakeWebDocument(QObject *parent)
    : WebDocument(parent)
{
}

QString FakeWebDocument::title() const
{
    return m_title;
}

void FakeWebDocument::setTitle(const QString &title)
{
    titlesSet.append(title);
    auto *browser = qobject_cast<FakeWebBrowser *>(parent());
    if (!browser || !browser->hasPage())
        return;
    m_title = title;
    emit browser->TitleChange(title);
}

void FakeWebDocument::Clear()
{
    ++clearCount;
    m_title.clear();
    resetStructure();
}

void FakeWebDocument::focus()
{
    ++focusCount;
    if (auto *browser = qobject_cast<FakeWebBrowser *>(parent()))
        browser->widget()->setFocus(Qt::OtherFocusReason);
}

void FakeWebDocument::fakeMouseMove()
{
    const QString outer = std::exchange(m_eventType, u"mousemove"_s);
    emit onmousemove();
    m_eventType = outer;
}

FakeWebBrowser::FakeWebBrowser(FakeWebBrowserFactory *factory, QWidget *parent)
    : WebBrowser(parent)
    , m_factory(factory)
    , m_widget(new QWidget(parent))
    , m_document(new FakeWebDocument(this))
{
    m_widget->setFocusPolicy(Qt::StrongFocus);
    m_widget->hide();
    // Real keyboard focus moves raise the focus events, as with the engine.
    connect(qApp, &QApplication::focusChanged, this, &FakeWebBrowser::onFocusChanged);
}

FakeWebBrowser::~FakeWebBrowser()
{
    delete m_widget.data();
}

QWidget *FakeWebBrowser::widget()
{
    return m_widget;
}

QString FakeWebBrowser::canonicalAddress(const QString &text)
{
    QUrl url = QUrl::fromUserInput(text);
    if (!url.isValid())
        return QString();
    const QString scheme = url.scheme();
    if ((scheme == "http"_L1 || scheme == "https"_L1 || scheme == "ftp"_L1) && url.path().isEmpty())
        url.setPath(u"/"_s);
    return url.toString();
}

void FakeWebBrowser::Navigate2(const QString &url)
{
    calls.navigations.append(url);
    const QString address = canonicalAddress(url);
    if (address.isEmpty())
        return;
    schedule(address, m_factory ? m_factory->pageTitle(address) : QString(), 0);
}

void FakeWebBrowser::schedule(const QString &address, const QString &title, int historyMove)
{
    if (!m_async) {
        run(address, title, historyMove);
        return;
    }
    const quint64 generation = m_scheduleGeneration;
    QTimer::singleShot(0, this, [this, address, title, historyMove, generation] {
        if (generation == m_scheduleGeneration)
            run(address, title, historyMove);
    });
}

bool FakeWebBrowser::fakeNavigate(const QString &url)
{
    const QString address = canonicalAddress(url);
    return fakeNavigate(url, m_factory ? m_factory->pageTitle(address) : QString());
}

bool FakeWebBrowser::fakeNavigate(const QString &url, const QString &title)
{
    const QString address = canonicalAddress(url);
    return !address.isEmpty() && run(address, title, 0);
}

bool FakeWebBrowser::run(const QString &address, const QString &title, int historyMove)
{
    const QPointer<FakeWebBrowser> self(this);
    bool cancel = false;
    emit BeforeNavigate2(address, &cancel);
    if (!self || cancel)
        return false;

    // A release of the page by a handler ends the navigation.
    const quint64 generation = m_scheduleGeneration;
    const auto alive = [&] { return self && generation == m_scheduleGeneration; };

    const bool sameAddress = m_hasPage && address == m_location;
    const bool sameTitle = sameAddress && title == m_document->m_title;
    m_busy = true;
    m_hasPage = true;
    m_popups.newPage();
    emit ProgressChange(0, 100);
    if (!alive())
        return false;

    m_location = address;
    m_document->m_title = title;
    m_document->resetStructure();
    if (historyMove == 0) {
        m_history = m_history.mid(0, m_historyIndex + 1);
        m_history.append(address);
        m_historyIndex = int(m_history.size()) - 1;
    } else {
        m_historyIndex += historyMove;
    }
    emit NavigateComplete2(address);
    if (!alive())
        return false;
    if (!sameTitle) {
        emit TitleChange(addressTitle(address));
        if (!alive())
            return false;
        if (!title.isEmpty()) {
            emit TitleChange(title);
            if (!alive())
                return false;
        }
    }
    emit ProgressChange(100, 100);
    if (!alive())
        return false;
    m_busy = false;
    emit DocumentComplete(address);
    if (!alive())
        return false;
    emit DownloadComplete();
    if (!alive())
        return false;
    emit ProgressChange(0, 0);
    return true;
}

WebBrowser *FakeWebBrowser::fakeOpenWindow(const QString &url, const QString &title)
{
    return fakeOpenWindow(url, title, Opener::User);
}

WebBrowser *FakeWebBrowser::fakeOpenWindow(const QString &url, const QString &title,
                                           Opener opener)
{
    if (!m_popups.admit(opener == Opener::User)) {
        if (m_popups.takeNotice())
            emit NewWindowsRefused();
        return nullptr;
    }
    WebBrowser *handed = nullptr;
    bool cancel = false;
    emit NewWindow2(&handed, &cancel);
    if (cancel)
        return nullptr;
    if (!handed) {
        emit NewWindowToPlatform(canonicalAddress(url));
        return nullptr;
    }
    if (auto *fake = qobject_cast<FakeWebBrowser *>(handed)) {
        // The control makes a page for the window, as the engine's does,
        // also when the window asks for no address.
        fake->m_hasPage = true;
        const QString address = canonicalAddress(url);
        if (!address.isEmpty()) {
            const QString pageTitle =
                title.isEmpty() && m_factory ? m_factory->pageTitle(address) : title;
            fake->schedule(address, pageTitle, 0);
        }
    }
    return handed;
}

bool FakeWebBrowser::fakeCloseWindow()
{
    const QPointer<FakeWebBrowser> self(this);
    bool cancel = false;
    emit WindowClosing(false, &cancel);
    if (!self || cancel)
        return false;
    dropPage();
    return true;
}

void FakeWebBrowser::fakeStatus(const QString &text)
{
    emit StatusTextChange(text);
}

void FakeWebBrowser::fakeProgress(int progress, int progressMax)
{
    emit ProgressChange(progress, progressMax);
}

void FakeWebBrowser::fakeTitle(const QString &title)
{
    m_document->m_title = title;
    emit TitleChange(title);
}

void FakeWebBrowser::fakeSameDocument(const QString &url)
{
    m_location = url;
    m_hasPage = true;
    emit NavigateComplete2(url);
}

void FakeWebBrowser::fakeFocusIn()
{
    emit GotFocus();
}

void FakeWebBrowser::fakeFocusOut()
{
    emit LostFocus();
}

FakeWebBrowser::ScriptAnswer FakeWebBrowser::fakeScriptDialog(ScriptDialogKind kind,
                                                              const QString &message,
                                                              const QString &defaultText)
{
    ScriptAnswer answer;
    if (m_silent)
        return answer;
    answer.raised = true;
    answer.text = defaultText;
    emit ScriptDialog(kind, message, &answer.accepted, &answer.text);
    return answer;
}

void FakeWebBrowser::onFocusChanged(QWidget *old, QWidget *now)
{
    if (!m_widget)
        return;
    if (now == m_widget && old != m_widget)
        emit GotFocus();
    else if (old == m_widget && now != m_widget)
        emit LostFocus();
}

void FakeWebBrowser::Stop()
{
    ++calls.stops;
    ++m_scheduleGeneration;
    m_busy = false;
}

void FakeWebBrowser::GoBack()
{
    ++calls.goBacks;
    if (m_historyIndex > 0) {
        const QString address = m_history.at(m_historyIndex - 1);
        schedule(address, m_factory ? m_factory->pageTitle(address) : QString(), -1);
    }
}

void FakeWebBrowser::GoForward()
{
    ++calls.goForwards;
    if (m_historyIndex + 1 < m_history.size()) {
        const QString address = m_history.at(m_historyIndex + 1);
        schedule(address, m_factory ? m_factory->pageTitle(address) : QString(), +1);
    }
}

void FakeWebBrowser::Refresh()
{
    ++calls.refreshes;
    if (!m_hasPage)
        return;
    // A reload is no new navigation: no BeforeNavigate2 or NavigateComplete2.
    const QPointer<FakeWebBrowser> self(this);
    const QString address = m_location;
    emit ProgressChange(0, 100);
    if (self)
        emit ProgressChange(100, 100);
    if (self)
        emit DocumentComplete(address);
    if (self)
        emit DownloadComplete();
    if (self)
        emit ProgressChange(0, 0);
}

bool FakeWebBrowser::Silent() const
{
    return m_silent;
}

void FakeWebBrowser::setSilent(bool on)
{
    calls.silent.append(on);
    m_silent = on;
}

bool FakeWebBrowser::Offline() const
{
    return m_offline;
}

void FakeWebBrowser::setOffline(bool on)
{
    calls.offline.append(on);
    m_offline = on;
}

bool FakeWebBrowser::Visible() const
{
    return m_widget && !m_widget->isHidden();
}

void FakeWebBrowser::setVisible(bool on)
{
    calls.visible.append(on);
    if (m_widget)
        m_widget->setVisible(on);
}

bool FakeWebBrowser::Busy() const
{
    return m_busy;
}

QString FakeWebBrowser::LocationURL() const
{
    return m_hasPage ? m_location : QString();
}

QString FakeWebBrowser::LocationName() const
{
    return m_document->m_title.isEmpty() ? LocationURL() : m_document->m_title;
}

WebDocument *FakeWebBrowser::Document()
{
    return m_document;
}

void FakeWebBrowser::ExecWB(int command, int option)
{
    calls.execWB.append({command, option});
    if (failingCommands.contains(command))
        throw std::runtime_error("the control failed the command");
    if (command == SaveAs || command == Print || command == PageSetup || command == Properties)
        emit PageCommandRequested(command);
}

void FakeWebBrowser::savePage(const QString &path)
{
    calls.savedPages.append(path);
}

void FakeWebBrowser::printPage(QPrinter *printer)
{
    calls.prints.append(printer);
}

void FakeWebBrowser::SetFocus()
{
    ++calls.setFocus;
    if (m_widget)
        m_widget->setFocus(Qt::OtherFocusReason);
}

void FakeWebBrowser::releasePage()
{
    ++calls.releases;
    dropPage();
}

void FakeWebBrowser::dropPage()
{
    ++m_scheduleGeneration;
    m_hasPage = false;
    m_busy = false;
    m_location.clear();
    m_document->m_title.clear();
    m_history.clear();
    m_historyIndex = -1;
}

bool FakeWebBrowser::hasPage() const
{
    return m_hasPage;
}

WebBrowser *FakeWebBrowserFactory::create(QWidget *parent)
{
    auto *browser = new FakeWebBrowser(this, parent);
    browser->setAsync(m_async);
    m_browsers.append(browser);
    return browser;
}

FakeWebBrowser *FakeWebBrowserFactory::last() const
{
    return m_browsers.isEmpty() ? nullptr : m_browsers.constLast().data();
}

void FakeWebBrowserFactory::setPageTitle(const QString &url, const QString &title)
{
    m_titles.insert(FakeWebBrowser::canonicalAddress(url), title);
}

QString FakeWebBrowserFactory::pageTitle(const QString &url) const
{
    return m_titles.value(FakeWebBrowser::canonicalAddress(url));
}

FakeWebDownload *FakeWebBrowser::fakeDownload(const QString &url, const QString &suggestedName,
                                              qint64 total)
{
    auto *download = new FakeWebDownload(QUrl(url), suggestedName, total, this);
    emit DownloadRequested(download);
    download->fakeDrop();
    return download;
}

QStringList FakeWebBrowser::fakeChooseFiles(bool multiple, const QStringList &accepted)
{
    QStringList files;
    emit FileChooser(multiple, accepted, &files);
    return multiple ? files : files.mid(0, 1);
}

FakeWebBrowser::LoginAnswer FakeWebBrowser::fakeLogin(const QString &site, const QString &realm,
                                                      bool proxy)
{
    LoginAnswer answer;
    emit AuthenticationRequired(site, realm, proxy, &answer.user, &answer.password,
                                &answer.accepted);
    return answer;
}

WebBrowser::CertificatePage FakeWebBrowser::fakeCertificateError(const QString &url,
                                                                 CertificateProblem problem)
{
    CertificatePage page;
    emit CertificateError(url, problem, &page);
    return page;
}

bool FakeWebBrowser::fakePermission(const QString &site, Permission kind)
{
    bool granted = false;
    emit PermissionRequested(site, kind, &granted);
    return granted;
}

bool FakeWebBrowser::fakeFullScreen(bool on)
{
    bool accepted = !on;
    emit FullScreenRequested(on, &accepted);
    return accepted || !on;
}

void FakeWebBrowser::leaveFullScreen()
{
    ++calls.leaveFullScreen;
    // The engine answers by leaving, as the page itself would.
    fakeFullScreen(false);
}

void FakeWebBrowser::readPageFacts(std::function<void(const PageFacts &)> done)
{
    ++factReads;
    QTimer::singleShot(0, this, [this, done = std::move(done)] {
        PageFacts facts = fakeFacts;
        facts.address = LocationURL();
        facts.title = m_document->title();
        done(facts);
    });
}

} // namespace velmora::platform
