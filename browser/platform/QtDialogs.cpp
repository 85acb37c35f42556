#include "QtDialogs.h"

#include "LoginDialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

struct ButtonSet
{
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};

ButtonSet buttonSet(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::OK:
        return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    case MsgButtons::OKCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
    case MsgButtons::YesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
    case MsgButtons::YesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                QMessageBox::Cancel};
    case MsgButtons::RetryCancel:
        return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry,
                QMessageBox::Cancel};
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MsgResult result(int button)
{
    switch (button) {
    case QMessageBox::Ok: return MsgResult::OK;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Retry: return MsgResult::Retry;
    default: return MsgResult::Cancel;
    }
}

} // namespace

QString toDialogFilter(const QString &filter)
{
    if (!filter.contains(u'|'))
        return filter;
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(u';', u' ');
        entries.append(parts.at(i) + " ("_L1 + patterns.simplified() + u')');
    }
    return entries.join(";;"_L1);
}

MsgResult QtDialogs::msgBox(QWidget *parent, const QString &text, MsgButtons buttons,
                            MsgIcon icon, const QString &title)
{
    const ButtonSet set = buttonSet(buttons);
    // Texts come with the data files' CR LF line breaks.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(boxIcon(icon), title, shown, set.buttons, parent);
    box.setDefaultButton(set.defaultButton);
    box.setEscapeButton(set.escapeButton);
    return result(box.exec());
}

QString QtDialogs::openFile(QWidget *parent, const QString &title, const QString &filter,
                            const QString &dir)
{
    return QFileDialog::getOpenFileName(parent, title, dir, toDialogFilter(filter));
}

QString QtDialogs::saveFile(QWidget *parent, const QString &title, const QString &filter,
                            const QString &dir)
{
    return QFileDialog::getSaveFileName(parent, title, dir, toDialogFilter(filter));
}

bool QtDialogs::printDialog(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::pageSetupDialog(QWidget *parent, QPrinter &printer)
{
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QStringList QtDialogs::openFiles(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &dir)
{
    return QFileDialog::getOpenFileNames(parent, title, dir, toDialogFilter(filter));
}

bool QtDialogs::login(QWidget *parent, const LoginTexts &texts, QString *user, QString *password)
{
    LoginDialog dialog(texts, parent);
    dialog.setUserName(user ? *user : QString());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (user)
        *user = dialog.userName();
    if (password)
        *password = dialog.password();
    return true;
}

} // namespace velmora::platform
