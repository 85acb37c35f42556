// Telling the user about files the program could not write.
#include "frmMain.h"

#include "Program.h"

#include "Language.h"
#include "Steps.h"
#include "WriteFailures.h"

#include <QFileInfo>
#include <QTimer>

#include <cerrno>

namespace velmora::mainwindow {

namespace {

QString kindText(const services::Language &lang, platform::DataFile kind)
{
    using K = platform::DataFile;
    switch (kind) {
    case K::Settings: return lang.own(u"настройки", u"settings");
    case K::AddressHistory: return lang.own(u"история адресов", u"address history");
    case K::HomePage: return lang.own(u"домашняя страница", u"home page");
    case K::Options: return lang.own(u"параметры", u"options");
    case K::HotWords: return lang.own(u"горячие слова", u"hot words");
    case K::Autosave: return lang.own(u"автосохранение вкладок", u"automatic save of the tabs");
    case K::Session: return lang.own(u"список вкладок", u"list of tabs");
    case K::Favorites: return lang.own(u"избранное", u"favorites");
    case K::Registry:
        return lang.own(u"параметры содержимого страниц", u"page content settings");
    case K::OfflineState: return lang.own(u"автономный режим", u"offline mode");
    case K::PageCache:
        return lang.own(u"страницы для автономной работы", u"pages kept for offline work");
    }
    return {};
}

QString reasonText(const services::Language &lang, int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT: return lang.own(u"на диске нет места", u"the disk is full");
    case EACCES:
    case EPERM: return lang.own(u"нет прав на запись", u"writing is not permitted");
    case EROFS: return lang.own(u"диск доступен только для чтения", u"the disk is read-only");
    case ENOENT:
    case ENOTDIR: return lang.own(u"папка не найдена", u"the folder was not found");
    case EIO: return lang.own(u"ошибка ввода-вывода", u"input/output error");
    default: break;
    }
    return lang.own(u"системная ошибка %1", u"system error %1").arg(error);
}

} // namespace

QString frmMain::writeFailureText(const platform::WriteFailure &failure) const
{
    const services::Language &lang = m_program.language();
    const QString name = QFileInfo(failure.path).fileName();
    // The kind stands in brackets, so it needs no grammatical case.
    QString text = lang.own(u"Не удалось сохранить файл %1 (%2): %3.",
                            u"Could not save the file %1 (%2): %3.")
                       .arg(name, kindText(lang, failure.kind),
                            reasonText(lang, failure.outcome.error));
    if (!failure.outcome.replaced)
        text += u' ' + lang.own(u"Прежнее содержимое файла не изменилось.",
                                u"The file keeps what it held before.");
    return text;
}

void frmMain::connectWriteFailures()
{
    m_program.writeFailures().setListener([this](const platform::WriteFailure &failure) {
        // Told from the message loop, never from inside the handler that
        // wrote; failures meanwhile join the same message.
        m_writeFailureTexts.append(writeFailureText(failure));
        if (m_writeFailureTexts.size() == 1)
            QTimer::singleShot(0, this, [this] { showWriteFailures(); });
    });
}

void frmMain::showWriteFailures()
{
    if (m_writeFailureTexts.isEmpty())
        return;
    // On the way out there is no one left to answer a message.
    if (unloading || m_program.appClosing) {
        m_writeFailureTexts.clear();
        return;
    }
    const qsizetype shown = m_writeFailureTexts.size();
    const QString text = m_writeFailureTexts.join(u'\n');
    // Kept until the box is closed, so failures raised while it is open
    // do not open another.
    services::step([&] {
        m_program.dialogs().msgBox(this, text, platform::MsgButtons::OK,
                                   platform::MsgIcon::Exclamation, programTitle());
    });
    m_writeFailureTexts.remove(0, qMin(shown, m_writeFailureTexts.size()));
    if (!m_writeFailureTexts.isEmpty())
        QTimer::singleShot(0, this, [this] { showWriteFailures(); });
}

} // namespace velmora::mainwindow
