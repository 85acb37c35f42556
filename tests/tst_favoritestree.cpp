// The Favorites folder read into a tree.

#include "FavoritesStore.h"
#include "FavoritesTree.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

using namespace velmora::services;
using namespace Qt::StringLiterals;

namespace {

// A shortcut as the desktop writes it.
void writeShortcut(const QString &path, const QByteArray &url)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[InternetShortcut]\r\nURL=" + url + "\r\n");
}

QStringList childNames(const FavoritesTree &tree, qint32 folder)
{
    QStringList names;
    const auto &children = tree.favFolders().at(size_t(folder)).children;
    for (size_t i = 1; i < children.size(); ++i) {
        const FavoriteChild &c = children[i];
        names.append(c.kind == FavoriteChild::Folder
                         ? u"folder "_s + tree.favFolders().at(size_t(c.index)).name
                         : u"link "_s + tree.favLinks().at(size_t(c.index)).name);
    }
    return names;
}

} // namespace

class tst_FavoritesTree : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyFolder();
    void missingFolderLeavesRootAlone_data();
    void missingFolderLeavesRootAlone();
    void linksBeforeSubfolders();
    void orderAndNames();
    void shortcutWithoutAddress();
    void longAddressIsCut();
    void findFolder_data();
    void findFolder();
    void getLinkByPath_data();
    void getLinkByPath();
    void getLinkByPathOutOfRange_data();
    void getLinkByPathOutOfRange();
    void loopingLinkIsNotFollowed();
    void reloadReplacesTree();
    void smallHelpers();

private:
    QString root() const { return QDir(m_env->dataHome()).filePath(u"Favorites"_s); }
    // Mail.url and Daily/News.url.
    void writeExample();

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
};

void tst_FavoritesTree::init()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
    QVERIFY(QDir().mkpath(root()));
}

void tst_FavoritesTree::cleanup()
{
    m_env.reset();
}

void tst_FavoritesTree::writeExample()
{
    writeShortcut(root() + u"/Mail.url"_s, "http://mail/");
    writeShortcut(root() + u"/Daily/News.url"_s, "http://news/");
}

void tst_FavoritesTree::emptyFolder()
{
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(tree.favFolders().size(), size_t(1));
    QCOMPARE(tree.favFolders().front().name, u"Root"_s);
    QCOMPARE(tree.favFolders().front().children.size(), size_t(1));
    QCOMPARE(tree.favLinks().size(), size_t(1));
    QCOMPARE(tree.favLinks().front().name, QString());
    QCOMPARE(tree.favLinks().front().url, QString::fromUtf16(favorites::PortalAddress));
    QCOMPARE(tree.favRoot(), root());
}

void tst_FavoritesTree::missingFolderLeavesRootAlone_data()
{
    QTest::addColumn<bool>("empty");
    QTest::newRow("no folder given") << true;
    QTest::newRow("folder does not exist") << false;
}

void tst_FavoritesTree::missingFolderLeavesRootAlone()
{
    QFETCH(bool, empty);
    FavoritesTree tree;
    tree.loadShellFavorites(empty ? QString() : root() + u"/none"_s);
    QCOMPARE(tree.favFolders().size(), size_t(1));
    QCOMPARE(tree.favLinks().size(), size_t(1));
}

void tst_FavoritesTree::linksBeforeSubfolders()
{
    writeExample();
    FavoritesTree tree;
    tree.loadShellFavorites(root());

    QCOMPARE(childNames(tree, 0), (QStringList{u"link Mail"_s, u"folder Daily"_s}));
    const qint32 daily = tree.findFolder(u"/Daily"_s);
    QCOMPARE(daily, 1);
    QCOMPARE(tree.favFolders().at(1).index, 1);
    QCOMPARE(childNames(tree, daily), QStringList{u"link News"_s});
    // Every folder starts with the placeholder entry.
    for (const FavoriteFolder &folder : tree.favFolders()) {
        QCOMPARE(folder.children.front().kind, FavoriteChild::Link);
        QCOMPARE(folder.children.front().index, 0);
    }
    QCOMPARE(tree.favLinks().at(1).url, u"http://mail/"_s);
    QCOMPARE(tree.favLinks().at(2).url, u"http://news/"_s);
}

void tst_FavoritesTree::orderAndNames()
{
    writeShortcut(root() + u"/beta.url"_s, "http://beta/");
    writeShortcut(root() + u"/Alpha.url"_s, "http://alpha/");
    writeShortcut(root() + u"/A.url.url"_s, "http://a/");
    writeShortcut(root() + u"/Upper.URL"_s, "http://upper/");
    writeShortcut(root() + u"/notes.txt"_s, "http://notes/");
    writeShortcut(root() + u"/.hidden.url"_s, "http://hidden/");
    writeShortcut(root() + u"/.url"_s, "http://nameless/");
    writeShortcut(root() + u"/zeta/z.url"_s, "http://z/");
    writeShortcut(root() + u"/Work/Deep/Deeper/bottom.url"_s, "http://bottom/");
    writeShortcut(root() + u"/Work/top.url"_s, "http://top/");
    QVERIFY(QDir().mkpath(root() + u"/Empty"_s));
    QVERIFY(QDir().mkpath(root() + u"/folder.url"_s));

    FavoritesTree tree;
    tree.loadShellFavorites(root());
    // By name without regard to case; upper-case .URL is not a shortcut here,
    // and a folder whose name looks like one is a folder.
    QCOMPARE(childNames(tree, 0),
             (QStringList{u"link .hidden"_s, u"link "_s, u"link A"_s, u"link Alpha"_s,
                          u"link beta"_s, u"folder Empty"_s, u"folder folder.url"_s,
                          u"folder Work"_s, u"folder zeta"_s}));
    const qint32 work = tree.findFolder(u"/Work"_s);
    QCOMPARE(childNames(tree, work), (QStringList{u"link top"_s, u"folder Deep"_s}));
    const qint32 deeper = tree.findFolder(u"/Work/Deep/Deeper"_s);
    QCOMPARE(childNames(tree, deeper), QStringList{u"link bottom"_s});
    // Each subtree is read whole before the next folder.
    QCOMPARE(tree.favFolders().at(size_t(deeper)).index, work + 2);
    QCOMPARE(tree.favFolders().at(size_t(tree.findFolder(u"/zeta"_s))).index, deeper + 1);
    QCOMPARE(childNames(tree, tree.findFolder(u"/Empty"_s)), QStringList());
}

void tst_FavoritesTree::shortcutWithoutAddress()
{
    QFile file(root() + u"/Blank.url"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[InternetShortcut]\r\nIconIndex=0\r\n");
    file.close();
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(childNames(tree, 0), QStringList{u"link Blank"_s});
    QCOMPARE(tree.favLinks().at(1).url, QString());
}

void tst_FavoritesTree::longAddressIsCut()
{
    writeShortcut(root() + u"/Long.url"_s, "http://x/" + QByteArray(3000, 'q'));
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(tree.favLinks().at(1).url.size(), 2047);
    QVERIFY(tree.favLinks().at(1).url.startsWith(u"http://x/qqq"_s));
}

void tst_FavoritesTree::findFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("root") << u"/"_s << u"Root"_s;
    QTest::newRow("empty") << QString() << u"Root"_s;
    QTest::newRow("child") << u"/Daily"_s << u"Daily"_s;
    QTest::newRow("grandchild") << u"/Daily/News"_s << u"News"_s;
    QTest::newRow("trailing slash") << u"/Daily/"_s << u"Daily"_s;
    QTest::newRow("unknown part passed over") << u"/Nope/Daily/News"_s << u"News"_s;
    QTest::newRow("letter case counts") << u"/daily"_s << u"Root"_s;
    QTest::newRow("no leading slash") << u"Daily"_s << u"Root"_s;
    QTest::newRow("a link is not a folder") << u"/Mail"_s << u"Root"_s;
}

void tst_FavoritesTree::findFolder()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    writeExample();
    writeShortcut(root() + u"/Daily/News/Today.url"_s, "http://today/");
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(tree.favFolders().at(size_t(tree.findFolder(path))).name, folder);
}

void tst_FavoritesTree::getLinkByPath_data()
{
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QString>("name");
    QTest::newRow("2, 1") << QList<int>{2, 1} << u"News"_s;
    QTest::newRow("1") << QList<int>{1} << u"Mail"_s;
    QTest::newRow("placeholder") << QList<int>{0} << QString();
    // The kinds play no part: the folder Daily (index 1) names link 1.
    QTest::newRow("folder entry as link") << QList<int>{2} << u"Mail"_s;
}

void tst_FavoritesTree::getLinkByPath()
{
    QFETCH(QList<int>, positions);
    QFETCH(QString, name);
    writeExample();
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(tree.getLinkByPath(positions).name, name);
}

void tst_FavoritesTree::getLinkByPathOutOfRange_data()
{
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("none") << QList<int>{};
    QTest::newRow("past the root's content") << QList<int>{3};
    QTest::newRow("past a folder's content") << QList<int>{2, 2};
    QTest::newRow("negative") << QList<int>{-1};
}

void tst_FavoritesTree::getLinkByPathOutOfRange()
{
    QFETCH(QList<int>, positions);
    writeExample();
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QVERIFY_THROWS_EXCEPTION(std::exception, tree.getLinkByPath(positions));
}

void tst_FavoritesTree::loopingLinkIsNotFollowed()
{
    writeExample();
    QVERIFY(QFile::link(root(), root() + u"/Daily/Back"_s));
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    const qint32 daily = tree.findFolder(u"/Daily"_s);
    QCOMPARE(childNames(tree, daily), (QStringList{u"link News"_s, u"folder Back"_s}));
    QCOMPARE(childNames(tree, tree.findFolder(u"/Daily/Back"_s)), QStringList());
}

void tst_FavoritesTree::reloadReplacesTree()
{
    writeExample();
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QVERIFY(QFile::remove(root() + u"/Mail.url"_s));
    tree.loadShellFavorites(root());
    QCOMPARE(childNames(tree, 0), QStringList{u"folder Daily"_s});
    QCOMPARE(tree.favLinks().size(), size_t(2));
}

void tst_FavoritesTree::smallHelpers()
{
    QCOMPARE(addBackslash(u"/a"_s), u"/a/"_s);
    QCOMPARE(addBackslash(u"/a/"_s), u"/a/"_s);
    QCOMPARE(addLeadingSlash(u"a/b"_s), u"/a/b"_s);
    QCOMPARE(addLeadingSlash(u"/a"_s), u"/a"_s);
    QCOMPARE(addLeadingSlash(QString()), u"/"_s);
    QCOMPARE(trimNul(u"ab"_s + QChar(0) + u"cd"_s), u"ab"_s);
    QCOMPARE(trimNul(u"abc"_s), u"abc"_s);
}

QTEST_MAIN(tst_FavoritesTree)
#include "tst_favoritestree.moc"
