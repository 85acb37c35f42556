#include "ShellFavoritesDesktop.h"

#include "ShortcutFolderModel.h"
#include "WholeFile.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBoundaryFinder>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace velmora::platform {

QString defaultFavoritesFolder()
{
    QString dataHome = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (dataHome.isEmpty())
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/olk_Browser/Favorites"));
}

QString shortcutFileName(const QString &title, const QString &nameless)
{
    QString name = title;
    for (QChar &c : name) {
        if (c == QLatin1Char('/') || c == QChar(0) || c == QLatin1Char('\\'))
            c = QLatin1Char(' ');
    }
    name = name.trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = nameless;
    const QString ending = QStringLiteral(".url");
    // A file name holds at most 255 bytes: a long title is cut between
    // characters, never inside one.
    constexpr qsizetype NameLimit = 255;
    if (QFile::encodeName(name + ending).size() > NameLimit) {
        QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, name);
        characters.toEnd();
        qsizetype end = name.size();
        while (end > 0 && QFile::encodeName(name.left(end) + ending).size() > NameLimit)
            end = characters.toPreviousBoundary();
        name = name.left(qMax<qsizetype>(end, 0)).trimmed();
        if (name.isEmpty())
            name = nameless;
    }
    return name + ending;
}

QByteArray desktopShortcutBytes(const QString &url)
{
    bool ascii = true;
    for (QChar c : url)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7f;
    const QByteArray address = ascii ? url.toLatin1()
                                     : QUrl::fromUserInput(url).toEncoded();
    return QByteArrayLiteral("[InternetShortcut]\r\nURL=") + address + QByteArrayLiteral("\r\n");
}

QString DesktopShellFavorites::favoritesFolder()
{
    const QString folder = defaultFavoritesFolder();
    return makeFolder(folder) ? folder : QString();
}

namespace {

// Subfolders of root as relative paths, parents before their children.
QStringList subfolders(const QString &root)
{
    QStringList result;
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        result.append(QDir(root).relativeFilePath(it.next()));
    result.sort(Qt::CaseInsensitive);
    return result;
}

} // namespace

void DesktopShellFavorites::AddFavorite(QWidget *owner, const QString &url, const QString &title)
{
    const QString root = favoritesFolder();
    if (root.isEmpty())
        return;
    QDialog dialog(owner);
    dialog.setWindowTitle(text(u"Добавить в избранное", u"Add to favorites"));
    auto *name = new QLineEdit(title, &dialog);
    auto *folder = new QComboBox(&dialog);
    folder->addItem(text(u"Избранное", u"Favorites"), QString());
    for (const QString &sub : subfolders(root))
        folder->addItem(sub, sub);
    auto *address = new QLabel(url, &dialog);
    address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *form = new QFormLayout;
    form->addRow(text(u"Имя:", u"Name:"), name);
    form->addRow(text(u"Адрес:", u"Address:"), address);
    form->addRow(text(u"Папка:", u"Folder:"), folder);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    dialog.resize(420, dialog.sizeHint().height());

    while (dialog.exec() == QDialog::Accepted) {
        const QDir target(QDir(root).filePath(folder->currentData().toString()));
        const QString path = target.filePath(
            shortcutFileName(name->text(), text(u"Без имени", u"Untitled")));
        if (QFileInfo::exists(path)
            && QMessageBox::question(&dialog, dialog.windowTitle(),
                                     text(u"Ссылка «%1» уже есть. Заменить её?", u"The link \u201c%1\u201d already exists. Replace it?")
                                         .arg(QFileInfo(path).completeBaseName()))
                   != QMessageBox::Yes)
            continue;
        if (writeWholeFile(path, desktopShortcutBytes(url)))
            return;
        QMessageBox::warning(&dialog, dialog.windowTitle(),
                             text(u"Не удалось сохранить ссылку в %1", u"The link could not be saved in %1").arg(path));
    }
}

void DesktopShellFavorites::ShowBrowserUI(QWidget *owner, const QString &name)
{
    if (name != QLatin1String("OrganizeFavorites"))
        return;
    const QString root = favoritesFolder();
    if (root.isEmpty())
        return;
    QDialog dialog(owner);
    dialog.setWindowTitle(text(u"Упорядочить избранное", u"Organize favorites"));
    auto *model = new ShortcutFolderModel(&dialog);
    model->setReadOnly(false);
    model->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    model->setNameFilters({QStringLiteral("*.url")});
    model->setNameFilterDisables(false);
    auto *view = new QTreeView(&dialog);
    view->setModel(model);
    view->setRootIndex(model->setRootPath(root));
    for (int column = 1; column < model->columnCount(); ++column)
        view->hideColumn(column);
    view->header()->hide();
    view->setDragDropMode(QAbstractItemView::InternalMove);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    auto *create = new QPushButton(text(u"Создать папку", u"New folder"), &dialog);
    auto *rename = new QPushButton(text(u"Переименовать", u"Rename"), &dialog);
    auto *remove = new QPushButton(text(u"Удалить", u"Delete"), &dialog);
    auto *open = new QPushButton(text(u"Открыть папку", u"Open folder"), &dialog);
    auto *close = new QPushButton(text(u"Закрыть", u"Close"), &dialog);
    QObject::connect(create, &QPushButton::clicked, &dialog, [&] {
        QModelIndex parent = view->currentIndex();
        if (!parent.isValid() || !model->isDir(parent))
            parent = parent.isValid() ? parent.parent() : view->rootIndex();
        const QString folderName = QInputDialog::getText(&dialog, create->text(),
                                                         text(u"Имя папки:", u"Folder name:"));
        if (!folderName.trimmed().isEmpty())
            model->mkdir(parent, folderName.trimmed());
    });
    QObject::connect(rename, &QPushButton::clicked, &dialog, [&] {
        if (view->currentIndex().isValid())
            view->edit(view->currentIndex());
    });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        const QModelIndex index = view->currentIndex();
        if (!index.isValid())
            return;
        if (QMessageBox::question(&dialog, dialog.windowTitle(),
                                  text(u"Удалить «%1»?", u"Delete \u201c%1\u201d?")
                                      .arg(model->data(index).toString()))
            == QMessageBox::Yes)
            model->remove(index);
    });
    QObject::connect(open, &QPushButton::clicked, &dialog,
                     [root] { QDesktopServices::openUrl(QUrl::fromLocalFile(root)); });
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *button : {create, rename, remove, open})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QHBoxLayout(&dialog);
    layout->addWidget(view, 1);
    layout->addLayout(buttons);
    dialog.resize(520, 380);
    dialog.exec();
}

QString DesktopShellFavorites::inputBox(QWidget *owner, const QString &prompt,
                                        const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

} // namespace velmora::platform
