#pragma once

#include "Services.h"

#include <QDialog>

class QLineEdit;

namespace velmora::platform {

// Asks for the user name and password a site or proxy wants.
class LoginDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit LoginDialog(const LoginTexts &texts, QWidget *parent = nullptr);

    void setUserName(const QString &name);
    QString userName() const;
    QString password() const;

private:
    QLineEdit *m_user;
    QLineEdit *m_password;
};

} // namespace velmora::platform
