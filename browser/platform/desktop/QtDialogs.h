#pragma once

#include "Services.h"
#include "TitleRoom.h"

class QMessageBox;

namespace velmora::platform {

// Message boxes and file dialogs of the desktop.
class QtDialogs final : public Dialogs
{
public:
    MsgResult msgBox(QWidget *parent, const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override;
    QString openFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &dir) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &filter,
                     const QString &dir) override;
    bool printDialog(QWidget *parent, QPrinter &printer) override;
    bool pageSetupDialog(QWidget *parent, QPrinter &printer) override;
    QStringList openFiles(QWidget *parent, const QString &title, const QString &filter,
                          const QString &dir) override;
    bool login(QWidget *parent, const LoginTexts &texts, QString *user,
               QString *password) override;
};

// A filter in the "Description|*.a;*.b|All|*.*" form as a file dialog's
// "Description (*.a *.b);;All (*.*)". A text without "|" is kept as it is.
QString toDialogFilter(const QString &filter);

// Widens a message box to at least its title's room.
void makeRoomForTitle(QMessageBox &box);

} // namespace velmora::platform
