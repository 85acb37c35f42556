#include "ShellFavoritesDesktop.h"

#include "FileNames.h"
#include "ShortcutFolderModel.h"
#include "WholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <cstring>

#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
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
    QString name = replaceForbiddenFileCharacters(title);
    for (QChar &c : name) {
        if (c == QChar(0))
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

// Why a change of the folder failed, in the dialog's language.
QString reason(const ShellFavorites::TextChooser &text, int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return text(u"такое имя уже есть", u"that name is already taken");
    case EACCES:
    case EPERM:
    case EROFS:
        return text(u"нет доступа", u"access denied");
    case ENOSPC:
    case EDQUOT:
        return text(u"на диске нет места", u"the disk is full");
    case EINVAL:
        return text(u"недопустимое имя или место", u"the name or the place is not allowed");
    case ENAMETOOLONG:
        return text(u"слишком длинное имя", u"the name is too long");
    case ENOENT:
        return text(u"его уже нет", u"it is no longer there");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// A folder as a path the file classes can open. One named in another code
// page has no such path of its own: it is reached through its descriptor.
class FolderHandle
{
public:
    explicit FolderHandle(const QByteArray &folder)
    {
        if (QFile::encodeName(QFile::decodeName(folder)) == folder) {
            m_path = QFile::decodeName(folder);
            return;
        }
        m_fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        m_path = m_fd >= 0 ? QStringLiteral("/proc/self/fd/%1").arg(m_fd) : QFile::decodeName(folder);
    }
    ~FolderHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;
    QString path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};

// The dialog's width for the screen it opens on.
int screenWidth(const QWidget *owner)
{
    const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().width() : 1024;
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
    name->setObjectName(QStringLiteral("name"));
    auto *folder = new QComboBox(&dialog);
    folder->setObjectName(QStringLiteral("folder"));
    // Long folder paths and addresses scroll inside their boxes; the dialog
    // keeps its width.
    folder->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    folder->setMinimumContentsLength(24);
    folder->addItem(text(u"Избранное", u"Favorites"), QByteArray());
    for (const Subfolder &sub : favoritesSubfolders(root))
        folder->addItem(sub.path, sub.raw);
    auto *address = new QLineEdit(url, &dialog);
    address->setObjectName(QStringLiteral("address"));
    address->setReadOnly(true);
    address->setCursorPosition(0);
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
    const int widest = screenWidth(owner) - 40;
    dialog.setMaximumWidth(widest);
    dialog.resize(qMin(qMax(420, dialog.sizeHint().width()), widest), dialog.sizeHint().height());

    while (dialog.exec() == QDialog::Accepted) {
        const QByteArray sub = folder->currentData().toByteArray();
        const QByteArray folderBytes =
            sub.isEmpty() ? QFile::encodeName(root) : QFile::encodeName(root) + '/' + sub;
        const QString fileName = shortcutFileName(name->text(), text(u"Без имени", u"Untitled"));
        const FolderHandle target(folderBytes);
        const QString path = target.path() + u'/' + fileName;
        if (QFileInfo::exists(path)
            && QMessageBox::question(&dialog, dialog.windowTitle(),
                                     text(u"Ссылка «%1» уже есть. Заменить её?", u"The link \u201c%1\u201d already exists. Replace it?")
                                         .arg(fileName.chopped(4)))
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
    model->leftOutNote = [this](int count) {
        return text(u"(Не показано: %1 — в избранном слишком много записей)",
                    u"(Not shown: %1 \u2014 the favourites hold too many entries)")
            .arg(count);
    };
    model->setRoot(root);
    auto *view = new QTreeView(&dialog);
    view->setObjectName(QStringLiteral("favoritesView"));
    view->setModel(model);
    view->header()->hide();
    view->setDragDropMode(QAbstractItemView::InternalMove);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    const TextChooser chooser = [this](const char16_t *ru, const char16_t *en) { return text(ru, en); };
    const auto report = [&](const QString &what, int error) {
        QMessageBox::warning(&dialog, dialog.windowTitle(),
                             what + QStringLiteral(": ") + reason(chooser, error));
    };
    // Every change reads the folder again: show the entry it was about.
    const auto show = [&](const QByteArray &path) {
        const QModelIndex index = model->indexOf(path);
        if (index.isValid()) {
            view->scrollTo(index);
            view->setCurrentIndex(index);
        }
    };
    QObject::connect(model, &ShortcutFolderModel::failed, &dialog,
                     [&](const QString &entry, int error) {
                         report(text(u"Не удалось изменить «%1»", u"\u201c%1\u201d could not be changed")
                                    .arg(entry),
                                error);
                     });

    auto *create = new QPushButton(text(u"Создать папку", u"New folder"), &dialog);
    auto *rename = new QPushButton(text(u"Переименовать", u"Rename"), &dialog);
    auto *remove = new QPushButton(text(u"Удалить", u"Delete"), &dialog);
    auto *open = new QPushButton(text(u"Открыть папку", u"Open folder"), &dialog);
    auto *close = new QPushButton(text(u"Закрыть", u"Close"), &dialog);
    create->setObjectName(QStringLiteral("create"));
    rename->setObjectName(QStringLiteral("rename"));
    remove->setObjectName(QStringLiteral("remove"));
    open->setObjectName(QStringLiteral("open"));
    close->setDefault(true);
    QObject::connect(create, &QPushButton::clicked, &dialog, [&] {
        const QModelIndex parent = view->currentIndex();
        const QString folderName = QInputDialog::getText(&dialog, create->text(),
                                                         text(u"Имя папки:", u"Folder name:"));
        if (folderName.trimmed().isEmpty())
            return;
        QByteArray made;
        if (const int error = model->makeFolder(parent, folderName, &made))
            report(text(u"Не удалось создать папку «%1»", u"The folder \u201c%1\u201d could not be made")
                       .arg(folderName.trimmed()),
                   error);
        else
            show(made);
    });
    QObject::connect(rename, &QPushButton::clicked, &dialog, [&] {
        if (view->currentIndex().isValid())
            view->edit(view->currentIndex());
    });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [&] {
        const QModelIndex index = view->currentIndex();
        if (!index.isValid() || !(model->flags(index) & Qt::ItemIsEditable))
            return;
        const QString entry = index.data().toString();
        QString question;
        if (model->isDir(index)) {
            const auto held = ShortcutFolderModel::contents(model->nativePath(index));
            question = held.folders + held.shortcuts + held.others == 0
                           ? text(u"Удалить пустую папку «%1»?", u"Delete the empty folder \u201c%1\u201d?").arg(entry)
                           : text(u"Удалить папку «%1» вместе со всем, что в ней есть?\n"
                                  u"Папок: %2, ссылок: %3, других файлов: %4.",
                                  u"Delete the folder \u201c%1\u201d with everything in it?\n"
                                  u"Folders: %2, links: %3, other files: %4.")
                                 .arg(entry)
                                 .arg(held.folders)
                                 .arg(held.shortcuts)
                                 .arg(held.others);
        } else {
            question = text(u"Удалить ссылку «%1»?", u"Delete the link \u201c%1\u201d?").arg(entry);
        }
        // Nothing is deleted by a key pressed by chance.
        if (QMessageBox::question(&dialog, dialog.windowTitle(), question,
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
            return;
        if (const int error = model->removeEntry(index))
            report(text(u"Не удалось удалить «%1»", u"\u201c%1\u201d could not be deleted").arg(entry),
                   error);
    });
    QObject::connect(open, &QPushButton::clicked, &dialog, [&] {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(root)))
            QMessageBox::warning(&dialog, dialog.windowTitle(),
                                 text(u"Не удалось открыть папку %1: на этом компьютере нет "
                                      u"программы, которая показывает папки.",
                                      u"The folder %1 could not be opened: this computer has no "
                                      u"program that shows folders.")
                                     .arg(root));
    });
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
