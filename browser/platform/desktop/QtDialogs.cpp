#include "QtDialogs.h"

#include "LoginDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QApplication>
#include <QWindow>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>
#include <QSpacerItem>
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

// The detail view's size, type and date columns are sized for short
// English samples; here they take the width of what they show, in a dialog
// wide enough for them, so no entry is cut to "...".
void fitFileColumns(QFileDialog &dialog)
{
    auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!view)
        return;
    QHeaderView *header = view->header();
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    QSize size = dialog.sizeHint().expandedTo(QSize(820, 480));
    if (const QScreen *screen = dialog.screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
}

} // namespace

QString QtDialogs::defaultFolder(FileUse use)
{
    const QString folder = QStandardPaths::writableLocation(
        use == FileUse::Downloads ? QStandardPaths::DownloadLocation
                                  : QStandardPaths::DocumentsLocation);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

QString QtDialogs::startPath(FileUse use, const QString &dir) const
{
    const QFileInfo given(dir);
    const bool givenFolder = !dir.isEmpty() && given.isDir();
    QString folder = m_lastFolders.value(use);
    // A folder removed since is no place to start.
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        if (givenFolder && given.isAbsolute())
            folder = given.absoluteFilePath();
        else if (!dir.isEmpty() && given.isAbsolute() && QFileInfo(given.absolutePath()).isDir())
            folder = given.absolutePath();
        else
            folder = defaultFolder(use);
    }
    const QString name = givenFolder ? QString() : given.fileName();
    return name.isEmpty() ? folder : QDir(folder).filePath(name);
}

void QtDialogs::remember(FileUse use, const QStringList &chosen)
{
    if (!chosen.isEmpty())
        m_lastFolders.insert(use, QFileInfo(chosen.constFirst()).absolutePath());
}

QStringList QtDialogs::runFileDialog(QWidget *parent, const QString &title,
                                     const QString &filter, const QString &dir, FileUse use,
                                     int mode)
{
    QFileDialog dialog(parent, title, startPath(use, dir), toDialogFilter(filter));
    dialog.setFileMode(QFileDialog::FileMode(mode));
    fitFileColumns(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    remember(use, chosen);
    return chosen;
}

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

void makeRoomForTitle(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid || box.windowTitle().isEmpty())
        return;
    // A short question would make a box narrower than its own title.
    grid->addItem(new QSpacerItem(titleRoom(box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

MsgResult QtDialogs::msgBox(QWidget *parent, const QString &text, MsgButtons buttons,
                            MsgIcon icon, const QString &title)
{
    const ButtonSet set = buttonSet(buttons);
    // Texts come with the data files' CR LF line breaks.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(boxIcon(icon), title, shown, set.buttons, parent);
    // A window of ours kept above all others would hide a box of the windows
    // below it: the window manager stacks the box over that window instead.
    // Only the stacking changes: the box stays its parent's, whatever
    // becomes of the other window meanwhile.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window != parent && window != &box
            && !qobject_cast<QMessageBox *>(window)
            && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && window->windowHandle()) {
            box.winId();
            if (QWindow *handle = box.windowHandle())
                handle->setTransientParent(window->windowHandle());
        }
    }
    makeRoomForTitle(box);
    box.setDefaultButton(set.defaultButton);
    box.setEscapeButton(set.escapeButton);
    return result(box.exec());
}

QString QtDialogs::openFile(QWidget *parent, const QString &title, const QString &filter,
                            const QString &dir, FileUse use)
{
    const QStringList files =
        runFileDialog(parent, title, filter, dir, use, QFileDialog::ExistingFile);
    return files.isEmpty() ? QString() : files.constFirst();
}

QString QtDialogs::saveFile(QWidget *parent, const QString &title, const QString &filter,
                            const QString &dir, FileUse use)
{
    QFileDialog dialog(parent, title, startPath(use, dir), toDialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A bare name gets the ending of a filter with one file type, before the
    // dialog asks about overwriting, so the question is about the real file.
    const QStringList parts = filter.split(u'|');
    if (parts.size() >= 2) {
        const QString pattern = parts.at(1).trimmed();
        if (pattern.startsWith("*."_L1) && !pattern.contains(u';') && pattern.count(u'*') == 1
            && !pattern.contains(u'?'))
            dialog.setDefaultSuffix(pattern.mid(2));
    }
    fitFileColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    remember(use, dialog.selectedFiles());
    return dialog.selectedFiles().constFirst();
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
                                 const QString &dir, FileUse use)
{
    return runFileDialog(parent, title, filter, dir, use, QFileDialog::ExistingFiles);
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
