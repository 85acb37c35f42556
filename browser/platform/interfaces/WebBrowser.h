#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;
class QWidget;

namespace velmora::platform {

class WebDownload;
class WebNotification;

// One HTML form of a page.
class WebForm : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // The page submits the form. A handler may write false to stop it where
    // the control can; the engine reports submissions as they go ahead.
    void onsubmit(bool *returnValue);
};

// The page object of one browser control. It lives as long as its control.
class WebDocument : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QString title() const = 0;
    virtual void setTitle(const QString &title) = 0;
    // Empties the shown page (about:blank without a history entry).
    virtual void Clear() = 0;
    // Moves the keyboard focus into the page.
    virtual void focus() = 0;

    // The frames and forms of the page as the control last read them, in
    // page order. A frame whose document is out of reach (another site's)
    // reads null; so does an index out of range.
    virtual int frameCount() const { return 0; }
    virtual WebDocument *frame(int /*index*/) const { return nullptr; }
    virtual int formCount() const { return 0; }
    virtual WebForm *form(int /*index*/) const { return nullptr; }
    // The type of the page event being delivered ("mousemove" while
    // onmousemove runs); empty between events.
    virtual QString currentEventType() const { return {}; }

signals:
    void onmousemove();
};

// What the control knows of the page it shows, for the page's properties.
struct PageFacts
{
    QString address;
    QString title; // the document's own; "" when it has none
    QString scheme; // "https", "file"
    // The page did not load: the control shows the engine's error page for it.
    bool failed = false;
    QString wireProtocol; // as the connection spoke it ("http/1.1", "h2"); "" unknown
    QString mimeType; // "text/html"; "" unknown
    qint64 size = -1; // bytes of the document; -1 unknown
    bool encrypted = false; // came over TLS
    // The user let this site's failed certificate pass for the run.
    bool certificateExcepted = false;
    // The site's certificate as a connection of its own to the site found it
    // (the engine shows none of a page it trusts).
    struct Certificate
    {
        QString subject;
        QString issuer;
        QDateTime validFrom;
        QDateTime validTo;
        bool trusted = false; // the system's authorities vouch for it
    };
    bool certificateRead = false;
    // Working offline: the site is not asked for its certificate.
    bool offline = false;
    Certificate certificate;
    QDateTime modified; // the server's Last-Modified, or the file's; invalid unknown
    QDateTime serverDate; // the Date the server sent with the page; invalid unknown
    QDateTime created; // a local file's; invalid unknown
};

// One embeddable browser control: the members and events the windows use.
// Events are delivered synchronously; pointer arguments are answers the
// handler may write (Cancel, the control handed back for a new window).
class WebBrowser : public QObject
{
    Q_OBJECT
public:
    // Page command identifiers of ExecWB.
    enum Command {
        SaveAs = 4,
        Print = 6,
        PageSetup = 8,
        Properties = 10,
        Cut = 11,
        Copy = 12,
        Paste = 13,
        SelectAll = 17,
    };
    enum ExecOption { DoDefault = 0, PromptUser = 1, DontPromptUser = 2 };

    // The kinds of page script dialog a page can ask for.
    enum class ScriptDialogKind { Alert, Confirm, Prompt };
    // What a page may ask the user to allow.
    enum class Permission { Geolocation, Notifications, Camera, Microphone, CameraAndMicrophone,
                            ScreenCapture, PointerLock };
    // Why a site's certificate was not trusted.
    enum class CertificateProblem { Untrusted, WrongName, Expired, Revoked, Invalid, Other };
    // The texts of the page shown instead of a site whose certificate failed.
    struct CertificatePage
    {
        QString title;
        QString heading;
        QString text; // names the error; the address is put in for %1
        QString goOn;
    };

    using QObject::QObject;

    // The widget that shows the page; the host places and sizes it.
    virtual QWidget *widget() = 0;

    virtual void Navigate2(const QString &url) = 0;
    virtual void Stop() = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Refresh() = 0;

    virtual bool Silent() const = 0;
    virtual void setSilent(bool on) = 0;
    virtual bool Offline() const = 0;
    virtual void setOffline(bool on) = 0;
    virtual bool Visible() const = 0;
    virtual void setVisible(bool on) = 0;
    virtual bool Busy() const = 0;

    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;
    virtual WebDocument *Document() = 0;

    virtual void ExecWB(int command, int option) = 0;
    virtual void SetFocus() = 0;

    // Writes the shown page to a file in the background: a web archive for
    // ".mht" and ".mhtml", else the page with its files in a folder beside it.
    virtual void savePage(const QString &path) = 0;
    // Prints the shown page in the background; the printer must outlive it.
    virtual void printPage(QPrinter *printer) = 0;

    // Drops the engine page behind the control, keeping the control itself:
    // a closed tab keeps its slot but must not keep a page alive. The control
    // starts a fresh page if it is navigated again.
    virtual void releasePage() = 0;
    // True while an engine page exists behind the control.
    virtual bool hasPage() const = 0;
    // Ends the full screen a page asked for.
    virtual void leaveFullScreen() {}
    // Reads the facts of the page shown and calls done once with them, from
    // the event loop, within a few seconds (what is not known by then stays
    // unknown). Not called if the control goes first.
    virtual void readPageFacts(std::function<void(const PageFacts &)> done) = 0;

signals:
    void BeforeNavigate2(const QString &url, bool *cancel);
    // The host answers with a control of its own for the new page, or cancels.
    void NewWindow2(velmora::platform::WebBrowser **ppDisp, bool *cancel);
    void NavigateComplete2(const QString &url);
    void DocumentComplete(const QString &url);
    void DownloadComplete();
    void ProgressChange(int progress, int progressMax);
    void StatusTextChange(const QString &text);
    void TitleChange(const QString &text);
    void WindowClosing(bool isChildWindow, bool *cancel);
    void GotFocus();
    void LostFocus();
    // A page script asks for a dialog; never raised while Silent is on. The
    // handler shows it and writes the answer (accepted, and the prompt text).
    void ScriptDialog(velmora::platform::WebBrowser::ScriptDialogKind kind,
                      const QString &message, bool *accepted, QString *text);
    // Save as, print, page setup and properties: the control shows no dialog
    // of its own, the host carries the command out.
    void PageCommandRequested(int command);
    // A page asked for a new window and the host neither cancelled nor handed
    // a control: the host may open the address in the desktop's own browser.
    void NewWindowToPlatform(const QString &url);
    // The page went on opening windows by itself after the bound of a page
    // load; further ones are refused. Raised once per page load.
    void NewWindowsRefused();
    // A page starts a download. The handler calls download->accept(path);
    // a download not accepted when the handler returns is dropped unwritten.
    void DownloadRequested(velmora::platform::WebDownload *download);
    // A file input of the page asks for files; the handler writes the chosen
    // ones (none: cancelled). accepted: the input's types ("image/*", ".txt").
    void FileChooser(bool multiple, const QStringList &accepted, QStringList *files);
    // A site (or, with proxy, the proxy server) asks for a login. The handler
    // writes the user name and password and sets accepted; left unaccepted,
    // the server's own page shows.
    void AuthenticationRequired(const QString &site, const QString &realm, bool proxy,
                                QString *user, QString *password, bool *accepted);
    // The site's certificate failed: the handler fills the texts of the page
    // shown instead, which offers to go on to this site for the run.
    void CertificateError(const QString &url, velmora::platform::WebBrowser::CertificateProblem problem,
                          velmora::platform::WebBrowser::CertificatePage *page);
    // A page asks for a permission; the handler writes the answer.
    void PermissionRequested(const QString &site, velmora::platform::WebBrowser::Permission kind,
                             bool *granted);
    // A page enters (on) or leaves full screen. Entering is refused unless the
    // handler accepts; leaving always goes ahead.
    void FullScreenRequested(bool on, bool *accepted);
    // A page shows a notification it was allowed to. The handler shows it to
    // the user and calls show(); one not shown when the handler returns is
    // dropped. It lives no longer than the control.
    void NotificationShown(velmora::platform::WebNotification *notification);
};

} // namespace velmora::platform
