// What pages ask of the user through their controls: downloads with their
// progress in the status bar, files to upload, logins, certificate errors,
// permissions and full screen.

#include "frmMain.h"

#include "Program.h"

#include "Language.h"
#include "NotificationPopups.h"
#include "Steps.h"

#include "TabstripP.h"
#include "WebBrowser.h"
#include "WebDownload.h"
#include "WebNotification.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QMimeDatabase>
#include <QPointer>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace velmora::mainwindow {

using platform::WebBrowser;
using platform::WebDownload;
using services::step;

namespace {

QString sizeText(const services::Language &lang, qint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + lang.own(u" байт", u" bytes");
    if (bytes < 1024 * 1024)
        return QString::number(bytes / 1024) + lang.own(u" КБ", u" KB");
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + lang.own(u" МБ", u" MB");
}

// A file dialog filter ("Description|*.a;*.b|All|*.*") for the types a file
// input accepts: extensions (".txt") and media types ("image/png", "image/*").
QString uploadFilter(const services::Language &lang, const QStringList &accepted)
{
    const QString all = lang.own(u"Все файлы", u"All files") + "|*"_L1;
    QStringList patterns;
    const QMimeDatabase mimes;
    for (const QString &entry : accepted) {
        const QString type = entry.trimmed().toLower();
        if (type.startsWith(u'.')) {
            patterns << u'*' + type;
        } else if (type.endsWith("/*"_L1)) {
            const QString group = type.chopped(1);
            for (const QMimeType &mime : mimes.allMimeTypes()) {
                if (mime.name().startsWith(group))
                    patterns << mime.globPatterns();
            }
        } else if (!type.isEmpty()) {
            patterns << mimes.mimeTypeForName(type).globPatterns();
        }
    }
    patterns.removeDuplicates();
    if (patterns.isEmpty())
        return all;
    return lang.own(u"Подходящие файлы", u"Accepted files") + u'|' + patterns.join(u';')
           + u'|' + all;
}

QString permissionText(const services::Language &lang, WebBrowser::Permission kind)
{
    using P = WebBrowser::Permission;
    switch (kind) {
    case P::Geolocation:
        return lang.own(u"узнать, где вы находитесь", u"to know your location");
    case P::Notifications:
        return lang.own(u"показывать уведомления", u"to show notifications");
    case P::Camera: return lang.own(u"включить камеру", u"to use your camera");
    case P::Microphone: return lang.own(u"включить микрофон", u"to use your microphone");
    case P::CameraAndMicrophone:
        return lang.own(u"включить камеру и микрофон", u"to use your camera and microphone");
    case P::ScreenCapture:
        return lang.own(u"видеть изображение вашего экрана", u"to see what is on your screen");
    case P::PointerLock:
        return lang.own(u"захватить указатель мыши", u"to take over your mouse pointer");
    }
    return {};
}

QString certificateProblemText(const services::Language &lang,
                               WebBrowser::CertificateProblem problem)
{
    using C = WebBrowser::CertificateProblem;
    switch (problem) {
    case C::Untrusted:
        return lang.own(u"сертификат выдан не доверенным центром сертификации.",
                        u"the certificate was not issued by a trusted certificate authority.");
    case C::WrongName:
        return lang.own(u"сертификат выдан для другого адреса.",
                        u"the certificate was issued for a different address.");
    case C::Expired:
        return lang.own(u"срок действия сертификата истёк или ещё не начался.",
                        u"the certificate has expired or is not yet valid.");
    case C::Revoked:
        return lang.own(u"сертификат отозван.", u"the certificate has been revoked.");
    case C::Invalid:
        return lang.own(u"сертификат повреждён или недействителен.",
                        u"the certificate is damaged or invalid.");
    case C::Other: break;
    }
    return lang.own(u"сертификат не прошёл проверку.", u"the certificate failed verification.");
}

} // namespace

class frmMain::ControlEvents final : public QObject
{
public:
    explicit ControlEvents(frmMain &window)
        : QObject(&window)
        , w(window)
    {
        cancel = new QToolButton(w.StatusBar1);
        cancel->setObjectName(u"cmdCancelDownload"_s);
        cancel->setAutoRaise(true);
        cancel->hide();
        w.StatusBar1->addWidget(cancel);
        connect(cancel, &QToolButton::clicked, this,
                [this] { cancelDownloads(w.currentTabNumber()); });
        notifications = new NotificationPopups(
            &w, {[this](const char16_t *ru, const char16_t *en) { return lang().own(ru, en); },
                 [this](const QString &text) { w.statusPanel1->setText(text); },
                 [this] {
                     WebBrowser *page = w.web(w.currentTabNumber());
                     QWidget *view = page ? page->widget() : nullptr;
                     if (!view || !view->isVisible())
                         return QRect();
                     return QRect(view->mapToGlobal(QPoint(0, 0)), view->size());
                 }});
        // A tab brought to the front shows its own download.
        connect(w.Tabstrip1, &kelvane::TabstripP::change, this, [this] { showCurrent(); });
    }

    services::Language &lang() { return w.m_program.language(); }

    void downloadRequested(int index, WebDownload *download)
    {
        const QString name = platform::safeFileName(download->suggestedFileName());
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = QDir::homePath();
        const QString suffix = QFileInfo(name).suffix();
        QString filter = lang().own(u"Все файлы", u"All files") + "|*"_L1;
        if (!suffix.isEmpty())
            filter = lang().own(u"Файлы ", u"Files ") + suffix.toUpper() + "|*."_L1 + suffix
                     + u'|' + filter;
        QString path;
        step([&] {
            path = w.m_program.dialogs().saveFile(
                &w, lang().own(u"Сохранить файл", u"Save file"), filter,
                QDir(folder).filePath(name), platform::FileUse::Downloads);
        });
        // Not accepted: the control drops the download before anything is written.
        if (path.isEmpty())
            return;
        download->accept(path);
        Running &running = downloads[index];
        running.list.append(download);
        const QPointer<WebDownload> guarded(download);
        connect(download, &WebDownload::progress, this, [this, index, guarded] {
            if (guarded)
                showProgress(index, guarded);
        });
        connect(download, &WebDownload::finished, this, [this, index, guarded] {
            if (guarded)
                downloadFinished(index, guarded);
        });
        showProgress(index, download);
    }

    void showProgress(int index, WebDownload *download)
    {
        const QString name = QFileInfo(download->path()).fileName();
        const qint64 received = download->receivedBytes();
        const qint64 total = download->totalBytes();
        QString text;
        if (total > 0) {
            text = lang().own(u"Загрузка «%1»: %2% (%3 из %4)", u"Downloading \"%1\": %2% (%3 of %4)")
                       .arg(name)
                       .arg(received * 100 / total)
                       .arg(sizeText(lang(), received), sizeText(lang(), total));
        } else {
            text = lang().own(u"Загрузка «%1»: %2", u"Downloading \"%1\": %2")
                       .arg(name, sizeText(lang(), received));
        }
        setStatus(index, text);
    }

    void downloadFinished(int index, WebDownload *download)
    {
        downloads[index].list.removeAll(download);
        const QString path = QDir::toNativeSeparators(download->path());
        const QString name = QFileInfo(download->path()).fileName();
        switch (download->state()) {
        case WebDownload::State::Completed:
            setStatus(index, lang().own(u"Файл сохранён: %1", u"File saved: %1").arg(path));
            break;
        case WebDownload::State::Cancelled:
            setStatus(index,
                      lang().own(u"Загрузка «%1» отменена", u"Download of \"%1\" cancelled").arg(name));
            break;
        default: {
            const QString text = lang().own(u"Не удалось загрузить «%1»: %2",
                                            u"Downloading \"%1\" failed: %2")
                                     .arg(name, download->errorText().isEmpty()
                                                    ? lang().own(u"загрузка прервана",
                                                                 u"the download was interrupted")
                                                    : download->errorText());
            setStatus(index, text);
            step([&] {
                w.m_program.dialogs().msgBox(&w, text, platform::MsgButtons::OK,
                                             platform::MsgIcon::Exclamation, w.programTitle());
            });
            break;
        }
        }
    }

    void setStatus(int index, const QString &text)
    {
        downloads[index].text = text;
        if (index == w.currentTabNumber() && !w.unloading)
            w.statusPanel1->setText(text);
        updateCancel();
    }

    void showCurrent()
    {
        const auto found = downloads.constFind(w.currentTabNumber());
        if (found != downloads.constEnd() && !found->list.isEmpty())
            w.statusPanel1->setText(found->text);
        updateCancel();
    }

    void updateCancel()
    {
        const auto found = downloads.constFind(w.currentTabNumber());
        const bool running = found != downloads.constEnd() && !found->list.isEmpty();
        cancel->setText(lang().own(u"Отменить загрузку", u"Cancel download"));
        cancel->setVisible(running);
    }

    void cancelDownloads(int index)
    {
        // A copy: cancelling finishes a download, which takes it off the list.
        const QList<QPointer<WebDownload>> running = downloads.value(index).list;
        for (const QPointer<WebDownload> &download : running) {
            if (download)
                download->cancel();
        }
    }

    void fileChooser(bool multiple, const QStringList &accepted, QStringList *files)
    {
        const QString filter = uploadFilter(lang(), accepted);
        const QString title = multiple ? lang().own(u"Выбор файлов для отправки", u"Choose files to upload")
                                       : lang().own(u"Выбор файла для отправки", u"Choose file to upload");
        step([&] {
            auto &dialogs = w.m_program.dialogs();
            if (multiple) {
                *files = dialogs.openFiles(&w, title, filter, uploadFolder,
                                           platform::FileUse::Uploads);
            } else {
                const QString file = dialogs.openFile(&w, title, filter, uploadFolder,
                                                      platform::FileUse::Uploads);
                *files = file.isEmpty() ? QStringList() : QStringList{file};
            }
        });
        if (!files->isEmpty())
            uploadFolder = QFileInfo(files->constFirst()).absolutePath();
    }

    void login(const QString &site, const QString &realm, bool proxy, QString *user,
               QString *password, bool *accepted)
    {
        platform::LoginTexts texts;
        texts.title = proxy ? lang().own(u"Вход на прокси-сервер", u"Proxy login")
                            : lang().own(u"Вход на сайт", u"Log in to the site");
        texts.prompt = (proxy ? lang().own(u"Прокси-сервер %1 просит ввести имя пользователя и пароль.",
                                           u"The proxy server %1 asks for a user name and password.")
                              : lang().own(u"Сайт %1 просит ввести имя пользователя и пароль.",
                                           u"The site %1 asks for a user name and password."))
                           .arg(site);
        if (!realm.isEmpty())
            texts.prompt += u'\n' + lang().own(u"Область: «%1»", u"Realm: \"%1\"").arg(realm);
        texts.userLabel = lang().own(u"Имя пользователя:", u"User name:");
        texts.passwordLabel = lang().own(u"Пароль:", u"Password:");
        texts.ok = lang().own(u"ОК", u"OK");
        texts.cancel = lang().own(u"Отмена", u"Cancel");
        *accepted = false;
        step([&] { *accepted = w.m_program.dialogs().login(&w, texts, user, password); });
    }

    void certificateError(WebBrowser::CertificateProblem problem, WebBrowser::CertificatePage *page)
    {
        page->title = lang().own(u"Ошибка сертификата", u"Certificate error");
        page->heading = lang().own(u"Сертификат безопасности этого сайта не прошёл проверку",
                                   u"There is a problem with this website's security certificate");
        page->text = lang().own(u"Сайт по адресу %1 не открыт: ", u"The site at %1 was not opened: ")
                     + certificateProblemText(lang(), problem)
                     + lang().own(u" Данные, которыми вы обмениваетесь с ним, могут быть перехвачены"
                                  u" или подменены.",
                                  u" What you exchange with it may be read or changed by others.");
        page->goOn = lang().own(u"Всё равно открыть этот сайт (не рекомендуется)",
                                u"Continue to this website (not recommended)");
    }

    void permission(const QString &site, WebBrowser::Permission kind, bool *granted)
    {
        const QString key = site + u'\n' + QString::number(int(kind));
        const auto known = permissions.constFind(key);
        if (known != permissions.constEnd()) {
            *granted = *known;
            return;
        }
        const QString text = lang().own(u"Сайт %1 просит разрешения %2. Разрешить?",
                                        u"The site %1 asks for permission %2. Allow it?")
                                 .arg(site, permissionText(lang(), kind));
        platform::MsgResult answer = platform::MsgResult::No;
        if (!step([&] {
                answer = w.m_program.dialogs().msgBox(&w, text, platform::MsgButtons::YesNo,
                                                      platform::MsgIcon::Question,
                                                      w.programTitle());
            }))
            return;
        *granted = answer == platform::MsgResult::Yes;
        permissions.insert(key, *granted);
    }

    void fullScreen(WebBrowser *browser, bool on, bool *accepted)
    {
        QWidget *page = browser->widget();
        if (!page)
            return;
        if (on) {
            *accepted = true;
            // A page let go while in full screen never says it left.
            if (fullScreenControl && !fullScreenControl->hasPage())
                restore(fullScreenControl);
            if (fullScreenControl)
                return;
            fullScreenControl = browser;
            fullScreenParent = page->parentWidget();
            fullScreenGeometry = page->geometry();
            page->setParent(nullptr);
            page->showFullScreen();
            leave = new QShortcut(QKeySequence(Qt::Key_Escape), page);
            connect(leave, &QShortcut::activated, this, [this] {
                if (fullScreenControl)
                    fullScreenControl->leaveFullScreen();
            });
            return;
        }
        if (fullScreenControl == browser)
            restore(browser);
    }

    void restore(WebBrowser *browser)
    {
        QWidget *page = browser->widget();
        delete leave.data();
        fullScreenControl = nullptr;
        page->showNormal();
        page->setParent(fullScreenParent);
        page->setGeometry(fullScreenGeometry);
        if (browser->hasPage())
            page->show();
        page->raise();
        step([&] { browser->SetFocus(); });
    }

    void notification(int index, platform::WebNotification *shown)
    {
        if (w.unloading)
            return;
        notifications->present(shown, [this, index] {
            // The user goes to the page that spoke, if its tab is still open.
            if (!w.web(index) || !w.Tabstrip1->tabVisible(index))
                return;
            if (w.isMinimized())
                w.showNormal();
            w.raise();
            w.activateWindow();
            if (w.currentTabNumber() != index)
                step([&] { w.Tabstrip1->setValue(index); });
        });
    }

    struct Running
    {
        QList<QPointer<WebDownload>> list;
        QString text;
    };

    frmMain &w;
    QToolButton *cancel = nullptr;
    QHash<int, Running> downloads;
    QHash<QString, bool> permissions; // by site and kind, for the run
    QString uploadFolder = QDir::homePath();
    QPointer<WebBrowser> fullScreenControl;
    QPointer<QWidget> fullScreenParent;
    QRect fullScreenGeometry;
    QPointer<QShortcut> leave;
    NotificationPopups *notifications = nullptr;
};

void frmMain::connectControl(WebBrowser *browser, int index)
{
    if (!m_controlEvents)
        m_controlEvents = new ControlEvents(*this);
    ControlEvents *events = m_controlEvents;
    connect(browser, &WebBrowser::DownloadRequested, events,
            [events, index](WebDownload *download) { events->downloadRequested(index, download); });
    connect(browser, &WebBrowser::FileChooser, events,
            [events](bool multiple, const QStringList &accepted, QStringList *files) {
                events->fileChooser(multiple, accepted, files);
            });
    connect(browser, &WebBrowser::AuthenticationRequired, events,
            [events](const QString &site, const QString &realm, bool proxy, QString *user,
                     QString *password, bool *accepted) {
                events->login(site, realm, proxy, user, password, accepted);
            });
    connect(browser, &WebBrowser::CertificateError, events,
            [events](const QString &, WebBrowser::CertificateProblem problem,
                     WebBrowser::CertificatePage *page) { events->certificateError(problem, page); });
    connect(browser, &WebBrowser::PermissionRequested, events,
            [events](const QString &site, WebBrowser::Permission kind, bool *granted) {
                events->permission(site, kind, granted);
            });
    connect(browser, &WebBrowser::NotificationShown, events,
            [events, index](platform::WebNotification *shown) {
                events->notification(index, shown);
            });
    const QPointer<WebBrowser> guarded(browser);
    connect(browser, &WebBrowser::FullScreenRequested, events,
            [events, guarded](bool on, bool *accepted) {
                if (guarded)
                    events->fullScreen(guarded, on, accepted);
            });
}

} // namespace velmora::mainwindow
