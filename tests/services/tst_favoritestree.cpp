// The Favorites folder read into a tree.

#include "FavoritesStore.h"
#include "FavoritesTree.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    void largeFolderIsCutInNameOrder();
    void namesThatAreNotUtf8();
    void shortcutEncodings_data();
    void shortcutEncodings();
    void onlyRegularFilesAreRead();
    void linkToTheWholeDiskIsBounded();
    void chainOfLinksIsBounded();
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
    // By name without regard to case; upper-case .URL is a shortcut too, and
    // a folder whose name looks like one is a folder.
    QCOMPARE(childNames(tree, 0),
             (QStringList{u"link .hidden"_s, u"link "_s, u"link A"_s, u"link Alpha"_s,
                          u"link beta"_s, u"link Upper"_s, u"folder Empty"_s, u"folder folder.url"_s,
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
    // Said on the folder, so the window can tell the user.
    QVERIFY(tree.favFolders().at(size_t(tree.findFolder(u"/Daily/Back"_s))).leftOut.unread);
    QVERIFY(!tree.favFolders().at(size_t(daily)).leftOut.any());
}

void tst_FavoritesTree::largeFolderIsCutInNameOrder()
{
    const int total = FavoritesTree::MaxFolderLinks + 18;
    QVERIFY(QDir().mkpath(root() + u"/Big"_s));
    for (int i = total - 1; i >= 0; --i) {
        QFile file(root() + u"/Big/p"_s + QString::number(i).rightJustified(5, u'0') + u".url"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[InternetShortcut]\r\nURL=http://p/\r\n");
    }
    writeShortcut(root() + u"/Zeta/After.url"_s, "http://after/");
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QVERIFY(tree.truncated());
    // The folders sorted after the large one are whole.
    QCOMPARE(childNames(tree, tree.findFolder(u"/Zeta"_s)), QStringList{u"link After"_s});
    const FavoriteFolder &big = tree.favFolders().at(size_t(tree.findFolder(u"/Big"_s)));
    QCOMPARE(big.children.size(), size_t(FavoritesTree::MaxFolderLinks) + 1);
    const QStringList shown = childNames(tree, big.index);
    QCOMPARE(shown.first(), u"link p00000"_s);
    QCOMPARE(shown.last(), u"link p09999"_s);
    QCOMPARE(big.leftOut.links, 18);
    QCOMPARE(big.leftOut.firstLink, u"p10000"_s);
    QCOMPARE(big.leftOut.lastLink, u"p10017"_s);
    QCOMPARE(big.leftOut.folders, 0);
}

void tst_FavoritesTree::namesThatAreNotUtf8()
{
    // "Новости" and "Почта" in Windows-1251, as copied from an old machine.
    const QByteArray folder = QFile::encodeName(root()) + "/\xcd\xee\xe2\xee\xf1\xf2\xe8";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const QByteArray file = folder + "/\xcf\xee\xf7\xf2\xe0.url";
    const QByteArray text = "[InternetShortcut]\r\nURL=http://mail/\r\n";
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, text.constData(), size_t(text.size())), ssize_t(text.size()));
    ::close(fd);

    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(childNames(tree, 0), QStringList{u"folder Новости"_s});
    const qint32 news = tree.findFolder(u"/Новости"_s);
    QCOMPARE(childNames(tree, news), QStringList{u"link Почта"_s});
    QCOMPARE(tree.getLinkByPath({1, 1}).url, u"http://mail/"_s);
}

void tst_FavoritesTree::shortcutEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("url");
    const QString unicode = u"http://пример.рф/中文"_s;
    const QByteArray text = u"[InternetShortcut]\r\nURL="_s.toUtf8() + unicode.toUtf8() + "\r\n";
    const QString whole = QString::fromUtf8(text);
    auto utf16 = [&](bool little) {
        QByteArray out;
        for (QChar c : whole) {
            const char hi = char(c.unicode() >> 8);
            const char lo = char(c.unicode() & 0xff);
            out.append(little ? lo : hi).append(little ? hi : lo);
        }
        return out;
    };
    QTest::newRow("UTF-8") << text << unicode;
    QTest::newRow("UTF-8 with mark") << "\xef\xbb\xbf" + text << unicode;
    QTest::newRow("UTF-16LE with mark") << "\xff\xfe" + utf16(true) << unicode;
    QTest::newRow("UTF-16BE with mark") << "\xfe\xff" + utf16(false) << unicode;
    QTest::newRow("UTF-16LE without mark") << utf16(true) << unicode;
    QTest::newRow("Windows-1251") << QByteArray("[InternetShortcut]\r\nURL=http://\xef\xf0\xe8"
                                                "\xec\xe5\xf0.\xf0\xf4/\r\n")
                                  << u"http://пример.рф/"_s;
}

void tst_FavoritesTree::shortcutEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, url);
    QFile file(root() + u"/Page.url"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(tree.getLinkByPath({1}).url, url);
}

void tst_FavoritesTree::onlyRegularFilesAreRead()
{
    writeShortcut(root() + u"/b.url"_s, "http://b/");
    // Opening a pipe for reading would wait for a writer for ever.
    QCOMPARE(::mkfifo(QFile::encodeName(root() + u"/pipe.url"_s).constData(), 0600), 0);
    QVERIFY(QFile::link(u"/dev/zero"_s, root() + u"/device.url"_s));
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QCOMPARE(childNames(tree, 0), QStringList{u"link b"_s});
    QVERIFY(!tree.truncated());
}

void tst_FavoritesTree::linkToTheWholeDiskIsBounded()
{
    writeExample();
    QVERIFY(QFile::link(u"/"_s, root() + u"/Disk"_s));
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QVERIFY(tree.truncated());
    QVERIFY(tree.favFolders().size() + tree.favLinks().size()
            <= size_t(FavoritesTree::MaxEntries) + 2);
    // The cut is told on a folder of the walk.
    bool noted = false;
    for (const FavoriteFolder &folder : tree.favFolders())
        noted = noted || folder.leftOut.any();
    QVERIFY(noted);
    // What comes before the link is all there.
    QCOMPARE(childNames(tree, tree.findFolder(u"/Daily"_s)), QStringList{u"link News"_s});
    QCOMPARE(tree.getLinkByPath({1}).url, u"http://mail/"_s);
}

void tst_FavoritesTree::chainOfLinksIsBounded()
{
    // Outside/0/next -> Outside/1, Outside/1/next -> Outside/2, ...
    const QString outside = m_env->dataHome() + u"/Outside"_s;
    const int chain = FavoritesTree::MaxLinkDepth + 2;
    for (int i = 0; i <= chain; ++i) {
        QVERIFY(QDir().mkpath(outside + u'/' + QString::number(i)));
        writeShortcut(outside + u'/' + QString::number(i) + u"/p.url"_s, "http://p/");
    }
    for (int i = 0; i < chain; ++i)
        QVERIFY(QFile::link(outside + u'/' + QString::number(i + 1),
                            outside + u'/' + QString::number(i) + u"/next"_s));
    QVERIFY(QFile::link(outside + u"/0"_s, root() + u"/next"_s));
    FavoritesTree tree;
    tree.loadShellFavorites(root());
    QString path;
    for (int i = 1; i <= FavoritesTree::MaxLinkDepth; ++i) {
        path += u"/next"_s;
        QCOMPARE(childNames(tree, tree.findFolder(path)),
                 (QStringList{u"link p"_s, u"folder next"_s}));
    }
    // The next link is shown but not followed.
    path += u"/next"_s;
    QCOMPARE(childNames(tree, tree.findFolder(path)), QStringList());
    QVERIFY(tree.truncated());
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
