// The desktop's own dialogs for the Favorites folder: adding a shortcut and
// organising the folder, driven as a user would through their modal loops.

#include "FavoritesTree.h"
#include "ShellFavoritesDesktop.h"
#include "ShortcutFolderModel.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <functional>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora::platform;
using namespace Qt::StringLiterals;

namespace {

// "Новости" and "Почта" in Windows-1251, as copied from an old machine.
const QByteArray ansiFolder = "\xcd\xee\xe2\xee\xf1\xf2\xe8";
const QByteArray ansiShortcut = "\xcf\xee\xf7\xf2\xe0.url";

// By the name's own bytes: a name in another code page has no QString form
// that opens it.
void writeShortcut(const QByteArray &path, const QByteArray &url = "http://p/")
{
    const QByteArray bytes = "[InternetShortcut]\r\nURL=" + url + "\r\n";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
}

int makeDir(const QByteArray &path)
{
    return ::mkdir(path.constData(), 0700);
}

// Runs step on the next modal window other than after, once it is there.
void whenModal(std::function<void(QWidget *)> step, QWidget *after = nullptr)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step, after] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == after)
            return;
        timer->stop();
        timer->deleteLater();
        step(modal);
    });
    timer->start();
}

QStringList treeEntries(const velmora::services::FavoritesTree &tree, qint32 folder,
                        const QString &prefix)
{
    QStringList out;
    const auto &children = tree.favFolders().at(size_t(folder)).children;
    for (size_t i = 1; i < children.size(); ++i) {
        const auto &c = children[i];
        if (c.kind == velmora::services::FavoriteChild::Folder) {
            const QString path = prefix + tree.favFolders().at(size_t(c.index)).name;
            out << u"folder "_s + path;
            out += treeEntries(tree, c.index, path + u'/');
        } else {
            out << u"link "_s + prefix + tree.favLinks().at(size_t(c.index)).name;
        }
    }
    return out;
}

QStringList modelEntries(const QAbstractItemModel &model, const QModelIndex &parent,
                         const QString &prefix)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        const QString path = prefix + index.data().toString();
        if (index.data(ShortcutFolderModel::FolderRole).toBool()) {
            out << u"folder "_s + path;
            out += modelEntries(model, index, path + u'/');
        } else {
            out << u"link "_s + path;
        }
    }
    return out;
}

} // namespace

class tst_FavoritesDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void organiserShowsWhatTheTreeShows();
    void organiserReadIsBounded();
    void addDialogOffersEveryFolderOnce();
    void addDialogFitsTheScreen();
    void deleteNamesWhatGoes_data();
    void deleteNamesWhatGoes();
    void failuresAreReported_data();
    void failuresAreReported();

private:
    QByteArray root() { return QFile::encodeName(m_shell.favoritesFolder()); }
    // Folders and shortcuts a plain listing misses or must not follow.
    void writeTrickyFolder();
    // The organiser, with step run on it once it is open.
    void organise(const std::function<void(QDialog *)> &step);

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
    DesktopShellFavorites m_shell;
};

void tst_FavoritesDialogs::init()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
    QVERIFY(!m_shell.favoritesFolder().isEmpty());
}

void tst_FavoritesDialogs::cleanup()
{
    m_env.reset();
}

void tst_FavoritesDialogs::writeTrickyFolder()
{
    writeShortcut(root() + "/Mail.url", "http://mail/");
    QCOMPARE(makeDir(root() + "/Daily"), 0);
    writeShortcut(root() + "/Daily/News.url");
    QCOMPARE(makeDir(root() + '/' + ansiFolder), 0);
    writeShortcut(root() + '/' + ansiFolder + '/' + ansiShortcut);
    QCOMPARE(makeDir(root() + "/.hidden"), 0);
    writeShortcut(root() + "/.hidden/.dot.url");
    writeShortcut(root() + "/Upper.URL");
    writeShortcut(root() + "/notes.txt");
    // A link back to the Favorites folder itself.
    QVERIFY(QFile::link(m_shell.favoritesFolder(), m_shell.favoritesFolder() + u"/Daily/Back"_s));
}

void tst_FavoritesDialogs::organise(const std::function<void(QDialog *)> &step)
{
    bool ran = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<QDialog *>(modal);
        QVERIFY(dialog);
        step(dialog);
        ran = true;
        // Whatever the step left open is closed, then the organiser.
        const auto closeAll = [] {
            while (QWidget *open = QApplication::activeModalWidget())
                if (auto *d = qobject_cast<QDialog *>(open))
                    d->reject();
                else
                    open->close();
        };
        QTimer::singleShot(0, closeAll);
    });
    m_shell.ShowBrowserUI(nullptr, u"OrganizeFavorites"_s);
    QVERIFY(ran);
}

void tst_FavoritesDialogs::organiserShowsWhatTheTreeShows()
{
    writeTrickyFolder();
    velmora::services::FavoritesTree tree;
    tree.loadShellFavorites(m_shell.favoritesFolder());
    QStringList fromTree = treeEntries(tree, 0, QString());
    QVERIFY(fromTree.contains(u"folder Новости"_s));
    QVERIFY(fromTree.contains(u"link Новости/Почта"_s));
    QVERIFY(fromTree.contains(u"link .hidden/.dot"_s));

    ShortcutFolderModel model;
    model.setRoot(m_shell.favoritesFolder());
    QStringList fromModel = modelEntries(model, QModelIndex(), QString());
    fromTree.sort();
    fromModel.sort();
    QCOMPARE(fromModel, fromTree);

    // And the dialog shows that model.
    organise([&](QDialog *dialog) {
        auto *view = dialog->findChild<QTreeView *>(u"favoritesView"_s);
        QVERIFY(view);
        QStringList shown = modelEntries(*view->model(), QModelIndex(), QString());
        shown.sort();
        QCOMPARE(shown, fromTree);
    });
}

void tst_FavoritesDialogs::organiserReadIsBounded()
{
    writeShortcut(root() + "/Mail.url");
    QVERIFY(QFile::link(u"/"_s, m_shell.favoritesFolder() + u"/Disk"_s));
    ShortcutFolderModel model;
    model.leftOutNote = [](int count) { return u"left out %1"_s.arg(count); };
    model.setRoot(m_shell.favoritesFolder());
    int entries = 0;
    int notes = 0;
    std::function<void(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            if (index.data().toString().startsWith(u"left out "_s)) {
                ++notes;
                QVERIFY(!(model.flags(index) & Qt::ItemIsEditable));
                QCOMPARE(model.removeEntry(index), EINVAL);
            } else {
                ++entries;
            }
            walk(index);
        }
    };
    walk(QModelIndex());
    QVERIFY(entries <= ShortcutFolderModel::MaxEntries);
    QVERIFY(notes > 0);
    // What comes first is all there.
    QVERIFY(model.indexOf(root() + "/Mail.url").isValid());
    // The add dialog's list of folders is bounded the same way.
    QVERIFY(favoritesSubfolders(m_shell.favoritesFolder()).size()
            <= size_t(ShortcutFolderModel::MaxEntries));
}

void tst_FavoritesDialogs::addDialogOffersEveryFolderOnce()
{
    writeTrickyFolder();
    QStringList offered;
    whenModal([&](QWidget *modal) {
        auto *dialog = static_cast<QDialog *>(modal);
        auto *folder = modal->findChild<QComboBox *>(u"folder"_s);
        auto *name = modal->findChild<QLineEdit *>(u"name"_s);
        if (!folder || !name) {
            dialog->reject();
            return;
        }
        for (int i = 0; i < folder->count(); ++i)
            offered << folder->itemText(i);
        // A name Windows would refuse, stored in the folder named in another code page.
        folder->setCurrentIndex(folder->findText(u"Новости"_s));
        name->setText(u"Погода: завтра?"_s);
        dialog->accept();
    });
    m_shell.AddFavorite(nullptr, u"http://weather/"_s, u"Weather"_s);
    // The link back to the top is no folder to store into.
    QCOMPARE(offered, (QStringList{u"Избранное"_s, u".hidden"_s, u"Daily"_s, u"Новости"_s}));
    const QByteArray written =
        root() + '/' + ansiFolder + '/' + QFile::encodeName(u"Погода  завтра.url"_s);
    QByteArray read(256, '\0');
    const int fd = ::open(written.constData(), O_RDONLY);
    QVERIFY(fd >= 0);
    read.resize(::read(fd, read.data(), size_t(read.size())));
    ::close(fd);
    QCOMPARE(read, QByteArray("[InternetShortcut]\r\nURL=http://weather/\r\n"));
}

void tst_FavoritesDialogs::addDialogFitsTheScreen()
{
    QString address = u"http://example.com/search?q="_s;
    while (address.size() < 600)
        address += u"long+words+of+an+ordinary+query+"_s;
    const int screen = QGuiApplication::primaryScreen()->availableGeometry().width();
    int width = 0;
    whenModal([&](QWidget *modal) {
        width = modal->frameGeometry().width();
        static_cast<QDialog *>(modal)->reject();
    });
    m_shell.AddFavorite(nullptr, address, address);
    QVERIFY2(width > 0 && width <= screen,
             qPrintable(u"%1 on %2"_s.arg(width).arg(screen)));
}

void tst_FavoritesDialogs::deleteNamesWhatGoes_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("question");
    QTest::newRow("folder with contents")
        << u"Old"_s << u"Удалить папку «Old» вместе со всем, что в ней есть?\nПапок: 1, ссылок: 3, других файлов: 1."_s;
    QTest::newRow("empty folder") << u"Empty"_s << u"Удалить пустую папку «Empty»?"_s;
    QTest::newRow("shortcut") << u"Mail"_s << u"Удалить ссылку «Mail»?"_s;
}

void tst_FavoritesDialogs::deleteNamesWhatGoes()
{
    QFETCH(QString, entry);
    QFETCH(QString, question);
    writeShortcut(root() + "/Mail.url");
    QCOMPARE(makeDir(root() + "/Empty"), 0);
    QCOMPARE(makeDir(root() + "/Old"), 0);
    QCOMPARE(makeDir(root() + "/Old/Inner"), 0);
    writeShortcut(root() + "/Old/a.url");
    writeShortcut(root() + "/Old/b.url");
    writeShortcut(root() + "/Old/Inner/c.url");
    writeShortcut(root() + "/Old/readme.txt");
    const QString onDisk = entry == u"Mail"_s ? u"Mail.url"_s : entry;
    QString asked;
    organise([&](QDialog *dialog) {
        auto *view = dialog->findChild<QTreeView *>(u"favoritesView"_s);
        auto *model = static_cast<ShortcutFolderModel *>(view->model());
        view->setCurrentIndex(model->indexOf(root() + '/' + QFile::encodeName(onDisk)));
        QVERIFY(view->currentIndex().isValid());
        whenModal(
            [&](QWidget *box) {
                asked = static_cast<QMessageBox *>(box)->text();
                static_cast<QMessageBox *>(box)->button(QMessageBox::Yes)->click();
            },
            dialog);
        dialog->findChild<QPushButton *>(u"remove"_s)->click();
    });
    QCOMPARE(asked, question);
    QVERIFY(!QFileInfo::exists(m_shell.favoritesFolder() + u'/' + onDisk));
    QVERIFY(QFileInfo::exists(m_shell.favoritesFolder() + u"/Mail.url"_s) == (entry != u"Mail"_s));
}

void tst_FavoritesDialogs::failuresAreReported_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("told");
    QTest::newRow("folder name taken") << u"create"_s << u"Не удалось создать папку «Daily»: такое имя уже есть"_s;
    QTest::newRow("no program shows folders") << u"open"_s << u"Не удалось открыть папку"_s;
}

void tst_FavoritesDialogs::failuresAreReported()
{
    QFETCH(QString, action);
    QFETCH(QString, told);
    QCOMPARE(makeDir(root() + "/Daily"), 0);
    // With no program on the path, nothing can show a folder.
    const QByteArray path = qgetenv("PATH");
    if (action == u"open"_s)
        qputenv("PATH", m_env->dataHome().toLocal8Bit());
    QString warning;
    organise([&](QDialog *dialog) {
        // Nothing selected: a new folder goes to the top.
        dialog->findChild<QTreeView *>(u"favoritesView"_s)->setCurrentIndex(QModelIndex());
        if (action == u"create"_s) {
            whenModal(
                [&](QWidget *input) {
                    auto *ask = qobject_cast<QInputDialog *>(input);
                    QVERIFY(ask);
                    ask->setTextValue(u"Daily"_s);
                    whenModal(
                        [&](QWidget *box) {
                            warning = static_cast<QMessageBox *>(box)->text();
                            static_cast<QMessageBox *>(box)->accept();
                        },
                        input);
                    ask->accept();
                },
                dialog);
        } else {
            whenModal(
                [&](QWidget *box) {
                    warning = static_cast<QMessageBox *>(box)->text();
                    static_cast<QMessageBox *>(box)->accept();
                },
                dialog);
        }
        dialog->findChild<QPushButton *>(action)->click();
    });
    qputenv("PATH", path);
    QVERIFY2(warning.startsWith(told), qPrintable(u"«%1»"_s.arg(warning)));
}

QTEST_MAIN(tst_FavoritesDialogs)
#include "tst_favoritesdialogs.moc"
