#pragma once

#include "Services.h"

#include <QList>
#include <QPair>
#include <QQueue>
#include <QStringList>

namespace velmora::platform {

// Dialogs answered from a script. Every call is recorded. A message box
// without a scripted answer returns the answer of its first button (OK, Yes
// or Retry: what Enter on the default button gives); a file dialog without
// one returns "" (cancelled).
class FakeDialogs final : public Dialogs
{
public:
    struct MsgCall
    {
        QWidget *parent = nullptr;
        QString text;
        MsgButtons buttons = MsgButtons::OK;
        MsgIcon icon = MsgIcon::None;
        QString title;
        MsgResult answer = MsgResult::OK;
        bool scripted = false;
    };
    enum class FileKind { Open, Save };
    struct FileCall
    {
        FileKind kind = FileKind::Open;
        QString title;
        QString filter;
        QString dir;
        QString answer;
        bool scripted = false;
        FileUse use = FileUse::Documents;
    };

    enum class PrintKind { Print, PageSetup };
    struct PrintCall
    {
        PrintKind kind = PrintKind::Print;
        QPrinter *printer = nullptr;
        bool answer = false;
        bool scripted = false;
    };

    struct LoginCall
    {
        LoginTexts texts;
        bool accepted = false;
        bool scripted = false;
    };
    struct FilesCall
    {
        QString title;
        QString filter;
        QString dir;
        QStringList answer;
        FileUse use = FileUse::Documents;
    };

    // Queues the answer of the next login dialog; unscripted ones cancel.
    void answerLogin(const QString &user, const QString &password)
    {
        m_loginAnswers.enqueue({user, password});
    }
    // Queues the answer of the next several-files dialog (empty cancels).
    void answerFiles(const QStringList &paths) { m_filesAnswers.enqueue(paths); }
    // Queues the answer of the next message box.
    void answerMsgBox(MsgResult answer) { m_msgAnswers.enqueue(answer); }
    // Queues the answer of the next open or save dialog ("" cancels).
    void answerFile(const QString &path) { m_fileAnswers.enqueue(path); }
    // Queues the answer of the next print or page setup dialog (false cancels,
    // as an unscripted one does).
    void answerPrint(bool accepted) { m_printAnswers.enqueue(accepted); }
    int pendingMsgAnswers() const { return int(m_msgAnswers.size()); }
    int pendingFileAnswers() const { return int(m_fileAnswers.size()); }

    static MsgResult defaultAnswer(MsgButtons buttons);

    MsgResult msgBox(QWidget *parent, const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &dir, FileUse use = FileUse::Documents) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &dir, FileUse use = FileUse::Documents) override;
    bool printDialog(QWidget *parent, QPrinter &printer) override;
    bool pageSetupDialog(QWidget *parent, QPrinter &printer) override;
    QStringList openFiles(QWidget *parent, const QString &title, const QString &filter,
                          const QString &dir, FileUse use = FileUse::Documents) override;
    bool login(QWidget *parent, const LoginTexts &texts, QString *user,
               QString *password) override;

    QList<LoginCall> loginCalls;
    QList<FilesCall> filesCalls;
    QList<MsgCall> msgCalls;
    QList<FileCall> fileCalls;
    QList<PrintCall> printCalls;

private:
    QString file(FileKind kind, const QString &title, const QString &filter, const QString &dir,
                 FileUse use);
    bool print(PrintKind kind, QPrinter &printer);

    QQueue<MsgResult> m_msgAnswers;
    QQueue<QString> m_fileAnswers;
    QQueue<bool> m_printAnswers;
    QQueue<QPair<QString, QString>> m_loginAnswers;
    QQueue<QStringList> m_filesAnswers;
};

} // namespace velmora::platform
