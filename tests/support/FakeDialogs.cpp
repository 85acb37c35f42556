#include "FakeDialogs.h"

namespace velmora::platform {

MsgResult FakeDialogs::defaultAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
    case MsgButtons::OKCancel: return MsgResult::OK;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return MsgResult::Yes;
    case MsgButtons::RetryCancel: return MsgResult::Retry;
    }
    return MsgResult::OK;
}

MsgResult FakeDialogs::msgBox(QWidget *parent, const QString &text, MsgButtons buttons,
                              MsgIcon icon, const QString &title)
{
    MsgCall call{parent, text, buttons, icon, title, defaultAnswer(buttons), false};
    if (!m_msgAnswers.isEmpty()) {
        call.answer = m_msgAnswers.dequeue();
        call.scripted = true;
    }
    msgCalls.append(call);
    return call.answer;
}

QString FakeDialogs::file(FileKind kind, const QString &title, const QString &filter,
                          const QString &dir, FileUse use)
{
    FileCall call{kind, title, filter, dir, QString(), false, use};
    if (!m_fileAnswers.isEmpty()) {
        call.answer = m_fileAnswers.dequeue();
        call.scripted = true;
    }
    fileCalls.append(call);
    return call.answer;
}

QString FakeDialogs::openFile(QWidget *, const QString &title, const QString &filter,
                              const QString &dir, FileUse use)
{
    return file(FileKind::Open, title, filter, dir, use);
}

QString FakeDialogs::saveFile(QWidget *, const QString &title, const QString &filter,
                              const QString &dir, FileUse use)
{
    return file(FileKind::Save, title, filter, dir, use);
}

bool FakeDialogs::print(PrintKind kind, QPrinter &printer)
{
    PrintCall call{kind, &printer, false, false};
    if (!m_printAnswers.isEmpty()) {
        call.answer = m_printAnswers.dequeue();
        call.scripted = true;
    }
    printCalls.append(call);
    return call.answer;
}

bool FakeDialogs::printDialog(QWidget *, QPrinter &printer)
{
    return print(PrintKind::Print, printer);
}

bool FakeDialogs::pageSetupDialog(QWidget *, QPrinter &printer)
{
    return print(PrintKind::PageSetup, printer);
}

QStringList FakeDialogs::openFiles(QWidget *, const QString &title, const QString &filter,
                                   const QString &dir, FileUse use)
{
    FilesCall call{title, filter, dir, {}, use};
    if (!m_filesAnswers.isEmpty())
        call.answer = m_filesAnswers.dequeue();
    filesCalls.append(call);
    return call.answer;
}

bool FakeDialogs::login(QWidget *, const LoginTexts &texts, QString *user, QString *password)
{
    LoginCall call{texts, false, false};
    if (!m_loginAnswers.isEmpty()) {
        const auto answer = m_loginAnswers.dequeue();
        call.accepted = call.scripted = true;
        if (user)
            *user = answer.first;
        if (password)
            *password = answer.second;
    }
    loginCalls.append(call);
    return call.accepted;
}

} // namespace velmora::platform
