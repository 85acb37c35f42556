#pragma once

#include "BrowsingData.h"
#include "DialUp.h"
#include "InternetCache.h"
#include "Registry.h"

#include "ShellFavorites.h"
#include "WriteFailures.h"

#include <QString>
#include <QStringList>
#include <QMargins>
#include <QSize>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace velmora::platform {

class WebBrowser;

// What the engine loads into pages, for every control of one factory.
struct ContentSettings
{
    bool pictures = true;
    bool videos = true; // media starts by itself
    bool sounds = true; // pages are heard
    bool animations = true;
    bool operator==(const ContentSettings &) const = default;
};

// Creates browser controls. The real factory builds them over the web engine;
// tests use a fake that scripts their events.
class WebBrowserFactory
{
public:
    virtual ~WebBrowserFactory() = default;
    virtual WebBrowser *create(QWidget *parent) = 0;
    // Applies to the pages of every control made, now and later.
    virtual void applyContentSettings(const ContentSettings &settings) = 0;
    // The page shown, while offline, for an address the cache does not hold.
    virtual void setOfflinePage(std::function<QString(const QString &address)> page)
    {
        Q_UNUSED(page);
    }
    // The interface language's locale ("ru_RU"): pages are told the user
    // reads it first (Accept-Language). Applies now and later.
    virtual void setLanguage(const QString &locale) = 0;
    // The connection the engine starts with. The engine reads it once, when
    // it starts: set it before the first control shows a page.
    virtual void setProxy(const ProxyChoice &proxy) = 0;
    // Deletes what was chosen; the pages open keep what they show. False
    // when some of it could not be deleted.
    virtual bool clearBrowsingData(const BrowsingDataChoice &choice) = 0;
};

// The texts of the login dialog, in the interface language.
struct LoginTexts
{
    QString title;
    QString prompt; // names the site and its realm
    QString userLabel;
    QString passwordLabel;
    QString ok;
    QString cancel;
};

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { OK, Cancel, Yes, No, Retry };

// What a file dialog is for. Each kind starts in a folder of its own (the
// user's downloads folder for downloads, the documents folder for the rest)
// and, for the run, in the folder last chosen in a dialog of that kind.
enum class FileUse { Documents, Sessions, Downloads, Uploads };

// Message boxes and common file dialogs, answered by the user or by a test.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    virtual MsgResult msgBox(QWidget *parent, const QString &text, MsgButtons buttons,
                             MsgIcon icon, const QString &title) = 0;
    // Empty result: cancelled. dir: a file name to offer, or a path whose
    // folder is started in when this kind has chosen none yet.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &dir, FileUse use = FileUse::Documents) = 0;
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                             const QString &dir, FileUse use = FileUse::Documents) = 0;
    // The print and page setup dialogs over a printer the caller keeps, so
    // that the page setup holds for the next print. False: cancelled.
    virtual bool printDialog(QWidget *parent, QPrinter &printer) = 0;
    virtual bool pageSetupDialog(QWidget *parent, QPrinter &printer) = 0;
    // Several files to open at once; empty: cancelled.
    virtual QStringList openFiles(QWidget *parent, const QString &title, const QString &filter,
                                  const QString &dir, FileUse use = FileUse::Documents) = 0;
    // Asks for a user name and password; false: cancelled.
    virtual bool login(QWidget *parent, const LoginTexts &texts, QString *user,
                       QString *password) = 0;
};

struct MemoryStatus
{
    quint64 totalPhysical = 0;
    quint64 availablePhysical = 0;
    int memoryLoad = 0; // percent in use
};

// Facts about the machine and the session, and the end of the process.
class SystemFacts
{
public:
    virtual ~SystemFacts() = default;
    // Screen size in pixels.
    virtual QSize screenPixels() const = 0;
    // Twips per pixel horizontally and vertically (1440 per logical inch).
    virtual int twipsPerPixelX() const = 0;
    virtual int twipsPerPixelY() const = 0;
    // True when the window holding this widget is the active (foreground) window.
    virtual bool isForegroundWindow(const QWidget *window) const = 0;
    // The frame the window manager will put around this top-level window,
    // asked before it is first shown; zero margins when it cannot be known.
    virtual QMargins frameBeforeShow(QWidget *window) = 0;
    virtual QString systemDirectory() const = 0;
    // The platform family that needs no low-memory watch.
    virtual bool isWinNT() const = 0;
    virtual MemoryStatus memoryStatus() const = 0;
    // Opens an address in the desktop's default browser.
    virtual bool openInSystemBrowser(const QString &url) = 0;
    // Ends the own process at once with this exit code.
    virtual void terminateProcess(int exitCode) = 0;
};

// The global offline state of the Internet settings. Reading is cheap: the
// state is cached and watched for changes made by other instances.
class InternetState
{
public:
    virtual ~InternetState() = default;
    virtual bool isOffline() const = 0;
    virtual void setOffline(bool offline) = 0;
};

// The set of platform services one program instance works with.
struct Services
{
    // First, so it outlives every service that raises to it.
    std::unique_ptr<WriteFailures> writeFailures;
    std::unique_ptr<WebBrowserFactory> browsers;
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<SystemFacts> system;
    std::unique_ptr<InternetState> internet;
    std::unique_ptr<DialUp> dialUp;
    std::unique_ptr<InternetCache> cache;
    std::unique_ptr<ShellFavorites> favorites;
    std::unique_ptr<Registry> registry;
};

} // namespace velmora::platform
