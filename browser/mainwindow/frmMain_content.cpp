// The page content switches of the tools menu and the update notice.
#include "frmMain.h"

#include "Connectivity.h"
#include "ContentSettings.h"
#include "Language.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "RuntimeFiles.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "UpdateCheck.h"
#include "WebBrowser.h"
#include "ShowPainted.h"
#include "frmSplash.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace velmora::mainwindow {

using services::step;

void frmMain::connectContentSwitches()
{
    const struct
    {
        const char *name;
        void (frmMain::*handler)();
    } switches[] = {
        {"mnuShowPictures", &frmMain::mnuShowPictures_Click},
        {"mnuShowVideos", &frmMain::mnuShowVideos_Click},
        {"mnuEnableSounds", &frmMain::mnuEnableSounds_Click},
        {"mnuShowAnimations", &frmMain::mnuShowAnimations_Click},
        {"mnuShowFlash", &frmMain::mnuShowFlash_Click},
    };
    for (const auto &item : switches) {
        if (QAction *action = actionNamed(QString::fromLatin1(item.name)))
            connect(action, &QAction::triggered, this, item.handler);
    }
    if (QMenu *tools = menuNamed(QStringLiteral("mnuTools")))
        connect(tools, &QMenu::aboutToShow, this, &frmMain::mnuTools_Click);

    // The engine starts with what the settings say, as it would after a restart.
    broadcastContentSettings();
    // Another running program that flips a switch reaches these pages too.
    if (platform::Registry *registry = m_program.platform().registry.get()) {
        registry->watch([self = QPointer<frmMain>(this)] {
            if (self)
                self->broadcastContentSettings();
        });
    }
}

void frmMain::broadcastContentSettings()
{
    platform::Registry *registry = m_program.platform().registry.get();
    if (!registry)
        return;
    const quint32 root = services::engineRoot(services::isWinNT(m_program.system()));
    m_program.browsers().applyContentSettings(services::engineContentSettings(*registry, root));
}

void frmMain::mnuTools_Click()
{
    platform::Registry *registry = m_program.platform().registry.get();
    if (!registry)
        return;
    const quint32 root = services::engineRoot(services::isWinNT(m_program.system()));
    const auto mark = [this](const char *name, bool on) {
        if (QAction *action = actionNamed(QString::fromLatin1(name)))
            action->setChecked(on);
    };
    mark("mnuShowFlash", services::readFlashSwitch(*registry));
    const auto text = [&](const char16_t *valueName) {
        return services::readTextSwitch(*registry, root, QString::fromUtf16(valueName));
    };
    mark("mnuShowPictures", text(services::content::Pictures));
    mark("mnuShowVideos", text(services::content::Videos));
    mark("mnuEnableSounds", text(services::content::Sounds));
    mark("mnuShowAnimations", text(services::content::Animations));
    // Another program may have changed them since: the pages follow what is read.
    broadcastContentSettings();
}

// Each item has flipped its own check mark when it was triggered.
void frmMain::mnuShowPictures_Click()
{
    textSwitch_Click(actionNamed(QStringLiteral("mnuShowPictures")),
                     QString::fromUtf16(services::content::Pictures));
}

void frmMain::mnuShowVideos_Click()
{
    textSwitch_Click(actionNamed(QStringLiteral("mnuShowVideos")),
                     QString::fromUtf16(services::content::Videos));
}

void frmMain::mnuEnableSounds_Click()
{
    textSwitch_Click(actionNamed(QStringLiteral("mnuEnableSounds")),
                     QString::fromUtf16(services::content::Sounds));
}

void frmMain::mnuShowAnimations_Click()
{
    textSwitch_Click(actionNamed(QStringLiteral("mnuShowAnimations")),
                     QString::fromUtf16(services::content::Animations));
}

namespace {

// The wait window paints before the work starts; null when it cannot be had.
windows::frmSplash *showWaitWindow(Program &program)
{
    windows::frmSplash *splash = nullptr;
    step([&] {
        splash = &program.window<windows::frmSplash>();
        windows::showPainted(splash);
    });
    return splash;
}

void hideWaitWindow(windows::frmSplash *splash)
{
    if (splash)
        splash->hide();
}

} // namespace

void frmMain::textSwitch_Click(QAction *item, const QString &valueName)
{
    platform::Registry *registry = m_program.platform().registry.get();
    if (!item || !registry)
        return;
    QPointer<windows::frmSplash> splash = showWaitWindow(m_program);
    const quint32 root = services::engineRoot(services::isWinNT(m_program.system()));
    m_settingChange = services::changeNoticeText(root, valueName);
    services::writeTextSwitch(*registry, root, valueName, item->isChecked());
    broadcastContentSettings();
    hideWaitWindow(splash);
}

void frmMain::mnuShowFlash_Click()
{
    QAction *item = actionNamed(QStringLiteral("mnuShowFlash"));
    platform::Registry *registry = m_program.platform().registry.get();
    if (!item || !registry)
        return;
    QPointer<windows::frmSplash> splash = showWaitWindow(m_program);
    services::writeFlashSwitch(*registry, item->isChecked());
    hideWaitWindow(splash);
    step([&] {
        // The engine plays no Flash at all: the switch is kept, and says so.
        m_program.dialogs().msgBox(this,
                                   m_program.language().own(
                                       u"Flash-анимация больше не поддерживается: переключатель "
                                       u"только сохраняется и на страницы не влияет.",
                                       u"Flash animation is no longer supported: the switch is "
                                       u"only stored and has no effect on pages."),
                                   platform::MsgButtons::OK, platform::MsgIcon::Information,
                                   programTitle());
    });
}

QString frmMain::pageOrAboutHelp(const QString &page) const
{
    if (!page.isEmpty())
        return page;
    // A build that names no page of ours shows what the help says of the program.
    return services::aboutHelpUrl(m_program.folder().path(),
                                  m_program.language().currentLanguage());
}

void frmMain::tmrUpd_Timer()
{
    // A build without an update address asks nothing.
    if (services::updateVersionUrl().isEmpty()) {
        tmrUpd->stop();
        return;
    }
    if (m_updateFetch)
        return;
    // Once online: a real page has loaded, or a dial-up connection is up.
    if (updateArmed) {
        checkForUpdate();
        return;
    }
    platform::DialUp *dialUp = m_program.platform().dialUp.get();
    if (!dialUp || m_dialUpAsked)
        return;
    // The platform answers later; the check goes on from there.
    m_dialUpAsked = true;
    services::isConnected(*dialUp, [self = QPointer<frmMain>(this)](bool connected) {
        if (!self)
            return;
        self->m_dialUpAsked = false;
        if (connected && self->tmrUpd->isActive() && !self->m_updateFetch)
            self->checkForUpdate();
    });
}

void frmMain::checkForUpdate()
{
    updateArmed = false;

    services::SettingsStore &settings = m_program.settings();
    const QString general = QString::fromUtf16(services::settings::General);
    const QString lastKey = QString::fromUtf16(services::settings::LastNotification);
    QDate today;
    QDate last;
    try {
        today = QDateTime::currentDateTimeUtc().date();
        last = services::parseCheckDate(settings.GetSetting(
            general, lastKey, QString::fromUtf16(services::settings::LastNotificationDefault)));
    } catch (const std::exception &) {
        return;
    }
    // At most one check every two calendar days.
    if (last.daysTo(today) <= 1)
        return;
    // A check that fails still counts as the check of the day.
    settings.SaveSetting(general, lastKey, services::checkDateText(today));

    bool started = false;
    step([&] {
        auto *fetch = new services::DocumentFetch(this);
        m_updateFetch = fetch;
        connect(fetch, &services::DocumentFetch::finished, this, [this, fetch](const QByteArray &body) {
            fetch->deleteLater();
            m_updateFetch = nullptr;
            updateReplied(body);
        });
        fetch->start(services::updateVersionUrl(),
                     updateFetchTimeoutMs > 0 ? updateFetchTimeoutMs
                                              : services::update::FetchTimeoutMs,
                     services::update::MaxReplyBytes);
        started = true;
    });
    // A fetch that cannot even start is an empty reply.
    if (!started) {
        delete m_updateFetch.data();
        updateReplied({});
    }
}

void frmMain::updateReplied(const QByteArray &body)
{
    services::SettingsStore &settings = m_program.settings();
    const QString general = QString::fromUtf16(services::settings::General);
    const QString versionKey = QString::fromUtf16(services::settings::NotificationVer);
    QPointer<frmMain> self(this);

    std::optional<QString> version;
    step([&] {
        // Only a version in its form is stored or shown, never what else a
        // server sends between the markers.
        if (const auto announced = services::versionFromReply(services::runtime::decodeAnsi(body)))
            version = services::checkedVersion(*announced);
    });
    const QString running = services::runningVersion();
    if (version && services::isNewerVersion(settings, *version, running)
        && services::isNewerVersion(settings, *version, settings.GetSetting(general, versionKey))) {
        step([&] { settings.SaveSetting(general, versionKey, *version); });
        platform::MsgResult answer = platform::MsgResult::No;
        step([&] {
            answer = m_program.dialogs().msgBox(
                this,
                m_program.language().own(services::updateNoticeText(*version, running),
                                         services::updateNoticeTextEnglish(*version, running)),
                platform::MsgButtons::YesNo, platform::MsgIcon::Information, programTitle());
        });
        if (self && answer == platform::MsgResult::Yes) {
            const int before = webCount();
            step([&] { cmdNew_Click(); });
            // Only a tab that was opened for it: at the tab limit no tab opens,
            // and the last one keeps its page.
            step([&] {
                const QString page = pageOrAboutHelp(services::downloadPageUrl());
                if (webCount() > before && !page.isEmpty()) {
                    if (platform::WebBrowser *browser = web(webCount() - 1))
                        browser->Navigate2(page);
                }
            });
        }
    }
    if (self)
        tmrUpd->stop();
}

} // namespace velmora::mainwindow
