#include "frmMain.h"

#include "Program.h"
#include "frmMemSave.h"

#include "Connectivity.h"
#include "Language.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QAction>
#include <QPointer>
#include <QMenu>
#include <QTimer>

#include <algorithm>

namespace velmora::mainwindow {

using services::step;

namespace {

constexpr int LowMemoryPercent = 5;

} // namespace

void frmMain::connectMemoryWatch()
{
    if (QAction *none = actionNamed(QStringLiteral("MnuConnections_0")))
        MnuConnections.push_back(none);
    connect(actionNamed(QStringLiteral("mnuMem")), &QAction::triggered, this,
            &frmMain::mnuMem_Click);
    // The item is checkable: the click has flipped the mark already.
    connect(mnuMemMesOff, &QAction::triggered, this, &frmMain::mnuMemMesOff_Click);
    connect(menuNamed(QStringLiteral("mnuConnect")), &QMenu::triggered, this,
            [this](QAction *item) {
                const auto it = std::find(MnuConnections.begin(), MnuConnections.end(), item);
                if (it != MnuConnections.end())
                    MnuConnections_Click(int(it - MnuConnections.begin()));
            });
    connect(actionNamed(QStringLiteral("mnuHangUp")), &QAction::triggered, this,
            &frmMain::mnuHangUp_Click);
}

void frmMain::memory_Timer()
{
    std::optional<windows::MemoryFigures> figures;
    step([&] { figures = windows::memoryFigures(m_program.system().memoryStatus()); });
    // Without figures nothing is known: stopping every page would be a guess.
    if (!figures)
        return;
    if (figures->percent <= LowMemoryPercent && !mnuMemMesOff->isChecked()) {
        if (memSaveTag)
            return;
        windows::frmMemSave *window = nullptr;
        step([&] {
            window = &m_program.window<windows::frmMemSave>();
            window->show();
        });
        memSaveTag = true;
        step([&] {
            if (window && !window->Timer1->isActive())
                window->Timer1->start();
        });
    } else if (memSaveTag) {
        windows::frmMemSave *window = m_program.loadedWindow<windows::frmMemSave>();
        step([&] {
            if (window)
                window->Timer1->stop();
        });
        step([&] {
            if (window)
                window->hide();
        });
        memSaveTag = false;
    }
}

void frmMain::mnuMem_Click()
{
    windows::MemoryFigures figures;
    step([&] {
        if (const auto known = windows::memoryFigures(m_program.system().memoryStatus()))
            figures = *known;
    });
    step([&] {
        const auto &lang = m_program.language();
        m_program.dialogs().msgBox(this,
                                   lang.langText(8) + QString::number(figures.freeMB)
                                       + lang.langText(9) + QString::number(figures.percent)
                                       + lang.langText(10),
                                   platform::MsgButtons::OK, platform::MsgIcon::Information,
                                   lang.langText(11));
    });
}

void frmMain::mnuMemMesOff_Click()
{
    step([&] {
        m_program.settings().SaveSetting(QStringLiteral("general"), QStringLiteral("memMess"),
                                         services::boolSettingText(mnuMemMesOff->isChecked()));
    });
}

namespace {

// What the platform's connection service said, in the interface language.
QString dialUpReason(const services::Language &lang, const platform::DialUpError &error)
{
    using Kind = platform::DialUpError::Kind;
    switch (error.kind) {
    case Kind::None:
        break;
    case Kind::Unavailable:
        return lang.own(u"Служба соединений системы недоступна.",
                        u"The system's connection service cannot be reached.");
    case Kind::TimedOut:
        return lang.own(u"Служба соединений не ответила вовремя.",
                        u"The connection service did not answer in time.");
    case Kind::Failed:
        if (error.detail.isEmpty())
            return lang.own(u"Служба соединений сообщила об ошибке.",
                            u"The connection service reported a failure.");
        return lang.own(u"Ответ службы соединений: ", u"The connection service answered: ")
               + error.detail;
    }
    return {};
}

} // namespace

void frmMain::fillConnections(bool flag)
{
    auto &dialUp = m_program.platform().dialUp;
    if (!dialUp)
        return;
    // The load goes on; the entries join the menu when the platform answers.
    services::enumEntries(*dialUp, [self = QPointer<frmMain>(this), flag](
                                       const QStringList &names, const platform::DialUpError &error) {
        if (!self)
            return;
        QMenu *menu = self->menuNamed(QStringLiteral("mnuConnect"));
        if (!menu)
            return;
        if (error.failed()) {
            self->showUnreadablePhoneBook(error);
            return;
        }
        services::addConnections(*menu, self->MnuConnections, names, flag);
    });
}

void frmMain::showUnreadablePhoneBook(const platform::DialUpError &error)
{
    if (MnuConnections.empty())
        return;
    // The item alone would say there is nothing to dial; it says why.
    const auto &lang = m_program.language();
    QAction *none = MnuConnections.front();
    none->setText(lang.own(u"(нет соединений: список недоступен)",
                           u"(no connections: the list cannot be read)"));
    none->setToolTip(dialUpReason(lang, error));
    none->setStatusTip(none->toolTip());
}

void frmMain::setOffline(bool offline, bool force)
{
    services::setOffline(m_program.internet(), offline, force);
}

void frmMain::tellDialUp(const QString &text, platform::MsgIcon icon)
{
    step([&] {
        m_program.dialogs().msgBox(this, text, platform::MsgButtons::OK, icon, programTitle());
    });
}

void frmMain::MnuConnections_Click(int index)
{
    step([&] {
        auto &dialUp = m_program.platform().dialUp;
        if (!dialUp)
            return;
        const QString name = MnuConnections.at(size_t(index))->text();
        services::dialConnection(
            *dialUp, name, [self = QPointer<frmMain>(this), name](const platform::DialUpError &error) {
                if (!self || !error.failed())
                    return;
                const auto &lang = self->m_program.language();
                self->tellDialUp(lang.own(u"Не удалось подключиться к «%1».",
                                          u"Could not connect to “%1”.")
                                         .arg(name)
                                     + u"\r\n" + dialUpReason(lang, error),
                                 platform::MsgIcon::Exclamation);
            });
    });
}

void frmMain::mnuHangUp_Click()
{
    step([&] {
        auto &dialUp = m_program.platform().dialUp;
        if (!dialUp)
            return;
        services::hangUp(*dialUp, [self = QPointer<frmMain>(this)](
                                      const services::HangUpResult &result) {
            if (!self)
                return;
            const auto &lang = self->m_program.language();
            if (result.noneActive) {
                self->tellDialUp(lang.own(u"Нет активных соединений: отключаться не от чего.",
                                          u"No connection is active: there is nothing to hang "
                                          u"up."),
                                 platform::MsgIcon::Information);
            } else if (result.error.failed()) {
                self->tellDialUp(lang.own(u"Не удалось отключиться от интернета.",
                                          u"Could not disconnect from the Internet.")
                                     + u"\r\n" + dialUpReason(lang, result.error),
                                 platform::MsgIcon::Exclamation);
            }
        });
    });
}

} // namespace velmora::mainwindow
