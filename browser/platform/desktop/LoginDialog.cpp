#include "LoginDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::platform {

LoginDialog::LoginDialog(const LoginTexts &texts, QWidget *parent)
    : QDialog(parent)
    , m_user(new QLineEdit(this))
    , m_password(new QLineEdit(this))
{
    setWindowTitle(texts.title);
    setObjectName(QStringLiteral("LoginDialog"));
    auto *prompt = new QLabel(texts.prompt, this);
    prompt->setWordWrap(true);
    // Names from the server are shown as they are, never as markup.
    prompt->setTextFormat(Qt::PlainText);
    m_user->setObjectName(QStringLiteral("userName"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);

    auto *form = new QFormLayout;
    form->addRow(texts.userLabel, m_user);
    form->addRow(texts.passwordLabel, m_password);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(texts.ok);
    buttons->button(QDialogButtonBox::Cancel)->setText(texts.cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void LoginDialog::setUserName(const QString &name)
{
    m_user->setText(name);
    (name.isEmpty() ? m_user : m_password)->setFocus();
}

QString LoginDialog::userName() const
{
    return m_user->text();
}

QString LoginDialog::password() const
{
    return m_password->text();
}

} // namespace velmora::platform
