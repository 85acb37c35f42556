#pragma once

#include "Services.h"
#include "TitleRoom.h"

#include <QHash>

class QMessageBox;

namespace velmora::platform {

// Message boxes and file dialogs of the desktop.
class QtDialogs final : public Dialogs
{
public:
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

    // Where a dialog of this kind starts: the folder it last chose this run,
    // else the folder of an absolute dir, else the kind's own folder; with
    // dir's file name when it names a file.
    QString startPath(FileUse use, const QString &dir) const;
    // The user's downloads folder for downloads, the documents folder for
    // the rest; the home folder where that is missing.
    static QString defaultFolder(FileUse use);

private:
    QStringList runFileDialog(QWidget *parent, const QString &title, const QString &filter,
                              const QString &dir, FileUse use, int mode);
    void remember(FileUse use, const QStringList &chosen);

    QHash<FileUse, QString> m_lastFolders;
};

// A filter in the "Description|*.a;*.b|All|*.*" form as a file dialog's
// "Description (*.a *.b);;All (*.*)". A text without "|" is kept as it is.
QString toDialogFilter(const QString &filter);

// Widens a message box to at least its title's room.
void makeRoomForTitle(QMessageBox &box);

} // namespace velmora::platform
