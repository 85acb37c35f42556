// Shortcut files and the favourites kept in the settings store.

#include "FavoritesFiles.h"
#include "FileBytes.h"
#include "FavoritesMenu.h"
#include "FavoritesStore.h"
#include "SettingsStore.h"
#include "ShellFavoritesDesktop.h"
#include "ShortcutFolderModel.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QtTest>

#include <cerrno>

#include <memory>

using namespace velmora::services;
using namespace Qt::StringLiterals;

using velmora::test::bytesOf;
using velmora::test::writeBytes;

namespace {

// Windows-1251 bytes of "Привет".
const QByteArray privetAnsi("\xcf\xf0\xe8\xe2\xe5\xf2");

} // namespace

class tst_FavoritesStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shortcutBytes_data();
    void shortcutBytes();
    void writtenShortcutReadsBack();
    void profileRead_data();
    void profileRead();
    void missingShortcutFileGivesDefault();
    void desktopFolderAndShortcuts();
    void longTitleFitsTheFileSystem_data();
    void longTitleFitsTheFileSystem();
    void renameKeepsShortcutEnding_data();
    void renameKeepsShortcutEnding();
    void renameThatCannotBeDoneIsReported();

    void titleCut_data();
    void titleCut();
    void safeFileName_data();
    void safeFileName();
    void slotValues();

    void loadWithFreeSlot();
    void addressWithAmpersandSurvives();
    void loadEndsAtSlotWithoutSeparator();
    void lookupsOutsideTablesAreEmpty();

    void exportWritesUsedSlots();
    void exportOfEqualNamesKeepsLater();
    void exportEndsAtFileThatCannotBeWritten();
    void exportWithoutFolderWritesNothing();

private:
    // Slots "1", "2", ... as the store holds them.
    void storeSlots(const QStringList &values);

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<QMenu> m_menu;
    QAction *m_element0 = nullptr;
    QAction *m_after = nullptr;
    std::unique_ptr<FavoritesMenu> m_favItem;
    QList<int> m_clicks;
};

void tst_FavoritesStore::init()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
    m_settings = std::make_unique<SettingsStore>(m_env->configHome());
    m_menu = std::make_unique<QMenu>();
    m_element0 = m_menu->addAction(u"built-in"_s);
    m_element0->setVisible(false);
    m_after = m_menu->addAction(u"after"_s);
    m_clicks.clear();
    m_favItem = std::make_unique<FavoritesMenu>(m_menu.get(), m_element0, m_after,
                                                [this](int i) { m_clicks.append(i); });
}

void tst_FavoritesStore::cleanup()
{
    m_favItem.reset();
    m_menu.reset();
    m_settings.reset();
    m_env.reset();
}

void tst_FavoritesStore::storeSlots(const QStringList &values)
{
    for (int i = 0; i < values.size(); ++i)
        QVERIFY(m_settings->SaveSetting(u"Favorites"_s, QString::number(i + 1), values.at(i)));
}

void tst_FavoritesStore::shortcutBytes_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << u"http://example.com/"_s
                           << QByteArray("[InternetShortcut]\r\nURL = http://example.com/\r\n");
    QTest::newRow("query")
        << u"http://intranet/?a=1&b=2"_s
        << QByteArray("[InternetShortcut]\r\nURL = http://intranet/?a=1&b=2\r\n");
    QTest::newRow("cyrillic, no quotes added")
        << u"http://ru/\"Привет\""_s
        << QByteArray("[InternetShortcut]\r\nURL = http://ru/\"") + privetAnsi
               + QByteArray("\"\r\n");
    // Read back, the encoded form opens the same page.
    QTest::newRow("no windows-1251 form")
        << u"http://x/漢"_s << QByteArray("[InternetShortcut]\r\nURL = http://x/%E6%BC%A2\r\n");
    QTest::newRow("internationalised host")
        << u"http://例え.jp/"_s << QByteArray("[InternetShortcut]\r\nURL = http://xn--r8jz45g.jp/\r\n");
    QTest::newRow("empty") << QString() << QByteArray("[InternetShortcut]\r\nURL = \r\n");
}

void tst_FavoritesStore::shortcutBytes()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, bytes);
    QCOMPARE(internetShortcutBytes(address), bytes);
}

void tst_FavoritesStore::writtenShortcutReadsBack()
{
    const QString path = QDir(m_env->dataHome()).filePath(u"Новости.url"_s);
    writeBytes(path, "old contents that are longer than the new ones\r\n");
    writeInternetShortcut(path, u"http://новости.рф/?a=1&b=2"_s);
    QCOMPARE(bytesOf(path), internetShortcutBytes(u"http://новости.рф/?a=1&b=2"_s));
    QCOMPARE(readIniString(u"InternetShortcut"_s, u"URL"_s, QString(), path),
             u"http://новости.рф/?a=1&b=2"_s);
    // A folder that does not exist cannot hold the file.
    QVERIFY_THROWS_EXCEPTION(std::exception,
                             writeInternetShortcut(m_env->dataHome() + u"/none/a.url"_s, u"x"_s));
}

void tst_FavoritesStore::profileRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("value");

    // A shortcut as the desktop's own favourites dialog writes it.
    QTest::newRow("desktop shortcut")
        << QByteArray("[DEFAULT]\r\nBASEURL=http://base/\r\n[InternetShortcut]\r\n"
                      "URL=http://example.com/page\r\nIDList=\r\nHotKey=0\r\n"
                      "IconFile=http://example.com/favicon.ico\r\nIconIndex=1\r\n")
        << u"http://example.com/page"_s;
    QTest::newRow("export form") << internetShortcutBytes(u"http://a/?x=1&y=2"_s)
                                 << u"http://a/?x=1&y=2"_s;
    QTest::newRow("names ignore case and blanks")
        << QByteArray("[ internetshortcut ]\r\n  url\t=\thttp://a/  \r\n") << u"http://a/"_s;
    QTest::newRow("first key wins") << QByteArray("[InternetShortcut]\nURL=one\nURL=two\n")
                                    << u"one"_s;
    QTest::newRow("key of another section")
        << QByteArray("[DEFAULT]\r\nURL=http://base/\r\n[InternetShortcut]\r\nIDList=\r\n")
        << QString();
    QTest::newRow("quotes taken off") << QByteArray("[InternetShortcut]\r\nURL=\"http://q/\"\r\n")
                                      << u"http://q/"_s;
    QTest::newRow("single quotes taken off")
        << QByteArray("[InternetShortcut]\r\nURL='http://q/'\r\n") << u"http://q/"_s;
    QTest::newRow("unmatched quote kept") << QByteArray("[InternetShortcut]\r\nURL=\"http://q/\r\n")
                                          << u"\"http://q/"_s;
    QTest::newRow("equals in value") << QByteArray("[InternetShortcut]\r\nURL=http://a/?b=c\r\n")
                                     << u"http://a/?b=c"_s;
    QTest::newRow("windows-1251")
        << QByteArray("[InternetShortcut]\r\nURL=http://ru/") + privetAnsi + "\r\n"
        << u"http://ru/Привет"_s;
    QTest::newRow("no line end at the end") << QByteArray("[InternetShortcut]\r\nURL=http://a/")
                                            << u"http://a/"_s;
    QTest::newRow("empty value") << QByteArray("[InternetShortcut]\r\nURL=\r\n") << QString();
    QTest::newRow("no section") << QByteArray("URL=http://a/\r\n") << QString();
    QTest::newRow("cut to 2047") << QByteArray("[InternetShortcut]\r\nURL=") + QByteArray(3000, 'a')
                                        + "\r\n"
                                 << QString(2047, u'a');
    QTest::newRow("2047 whole") << QByteArray("[InternetShortcut]\r\nURL=") + QByteArray(2047, 'b')
                                << QString(2047, u'b');
}

void tst_FavoritesStore::profileRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, value);
    QCOMPARE(readProfileString(bytes, u"InternetShortcut"_s, u"URL"_s, QString()), value);
    const QString path = QDir(m_env->dataHome()).filePath(u"a.url"_s);
    writeBytes(path, bytes);
    QCOMPARE(readIniString(u"InternetShortcut"_s, u"URL"_s, QString(), path), value);
}

void tst_FavoritesStore::missingShortcutFileGivesDefault()
{
    const QString missing = QDir(m_env->dataHome()).filePath(u"none.url"_s);
    QCOMPARE(readIniString(u"InternetShortcut"_s, u"URL"_s, u"fallback"_s, missing),
             u"fallback"_s);
    QCOMPARE(readProfileString("[InternetShortcut]\r\n", u"InternetShortcut"_s, u"URL"_s,
                               u"fallback"_s),
             u"fallback"_s);
}

void tst_FavoritesStore::desktopFolderAndShortcuts()
{
    using namespace velmora::platform;
    const QString expected = m_env->dataHome() + u"/olk_Browser/Favorites"_s;
    QCOMPARE(defaultFavoritesFolder(), expected);
    DesktopShellFavorites desktop;
    QCOMPARE(desktop.favoritesFolder(), expected);
    QVERIFY(QFileInfo(expected).isDir());

    // What the add dialog writes, the tree reads back.
    QCOMPARE(desktopShortcutBytes(u"http://a/?b=1&c=2"_s),
             QByteArray("[InternetShortcut]\r\nURL=http://a/?b=1&c=2\r\n"));
    const QByteArray encoded = desktopShortcutBytes(u"http://новости.рф/погода"_s);
    const QString read = readProfileString(encoded, u"InternetShortcut"_s, u"URL"_s, QString());
    QCOMPARE(QUrl(read), QUrl(u"http://новости.рф/погода"_s));
    for (char c : encoded)
        QVERIFY(uchar(c) < 0x80);

    QCOMPARE(shortcutFileName(u"a/b"_s), u"a b.url"_s);
    QCOMPARE(shortcutFileName(u"  "_s), u"Без имени.url"_s);
    QCOMPARE(shortcutFileName(u".."_s), u"Без имени.url"_s);
    // The add dialog passes the nameless text of the interface language.
    QCOMPARE(shortcutFileName(u" / "_s, u"Untitled"_s), u"Untitled.url"_s);
    // What Windows refuses in a name goes, as in the export, so the folder
    // can travel back.
    QCOMPARE(shortcutFileName(u"Новости: погода"_s), u"Новости  погода.url"_s);
    QCOMPARE(shortcutFileName(u"a?b|c*d<e>f\"g"_s), u"a b c d e f g.url"_s);
}

void tst_FavoritesStore::longTitleFitsTheFileSystem_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("150 Cyrillic letters") << QString(150, u'Ж');
    QTest::newRow("ASCII") << QString(300, u'a');
    QTest::newRow("outside the BMP") << QString::fromUcs4(U"\U0001F600").repeated(70);
    QTest::newRow("one long character") << u"e"_s + QString(200, QChar(0x301));
}

void tst_FavoritesStore::longTitleFitsTheFileSystem()
{
    QFETCH(QString, title);
    const QString name = velmora::platform::shortcutFileName(title);
    QVERIFY(name.endsWith(u".url"_s));
    QVERIFY(QFile::encodeName(name).size() <= 255);
    QVERIFY(QFile::encodeName(name).size() > 240 || name == u"Без имени.url"_s);
    // Cut between characters: the start of the title, whole.
    QVERIFY(name == u"Без имени.url"_s || title.startsWith(name.chopped(4)));
    QVERIFY(!name.chopped(4).back().isHighSurrogate());
    QFile file(QDir(m_env->dataHome()).filePath(name));
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
}

void tst_FavoritesStore::renameKeepsShortcutEnding_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("renamed");
    QTest::newRow("ending kept") << u"Alpha page.url"_s << u"Alpha renamed"_s
                                 << u"Alpha renamed.url"_s;
    QTest::newRow("typed ending not doubled") << u"Alpha page.url"_s << u"Beta.url"_s
                                              << u"Beta.url"_s;
    QTest::newRow("file's own case") << u"Upper.URL"_s << u"Lower"_s << u"Lower.URL"_s;
    QTest::newRow("forbidden characters") << u"Alpha page.url"_s << u"Новости: погода?"_s
                                          << u"Новости  погода.url"_s;
    QTest::newRow("folder") << u"Folder"_s << u"a/b"_s << u"a b"_s;
}

void tst_FavoritesStore::renameKeepsShortcutEnding()
{
    QFETCH(QString, file);
    QFETCH(QString, typed);
    QFETCH(QString, renamed);
    const QString root = m_env->dataHome() + u"/Favorites"_s;
    QVERIFY(QDir().mkpath(root + u"/Folder"_s));
    for (const QString &name : {u"Alpha page.url"_s, u"Upper.URL"_s, u"notes.txt"_s}) {
        QFile f(root + u'/' + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    velmora::platform::ShortcutFolderModel model;
    model.setRoot(root);
    const QModelIndex entry = model.indexOf(QFile::encodeName(root + u'/' + file));
    QVERIFY(entry.isValid());
    QCOMPARE(model.renameEntry(entry, typed), 0);
    QVERIFY(QFileInfo::exists(root + u'/' + renamed));
    QVERIFY(!QFileInfo::exists(root + u'/' + file));
    // The model shows the new name at once.
    QVERIFY(model.indexOf(QFile::encodeName(root + u'/' + renamed)).isValid());
}

void tst_FavoritesStore::renameThatCannotBeDoneIsReported()
{
    const QString root = m_env->dataHome() + u"/Favorites"_s;
    QVERIFY(QDir().mkpath(root));
    for (const QString &name : {u"Beta.url"_s, u"Gamma.url"_s}) {
        QFile f(root + u'/' + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    velmora::platform::ShortcutFolderModel model;
    model.setRoot(root);
    const QModelIndex beta = model.indexOf(QFile::encodeName(root + u"/Beta.url"_s));
    QCOMPARE(model.data(beta).toString(), u"Beta"_s);
    QCOMPARE(model.renameEntry(beta, u"  "_s), EINVAL);
    QCOMPARE(model.renameEntry(beta, u"Gamma"_s), EEXIST);
    QVERIFY(QFileInfo::exists(root + u"/Beta.url"_s));
    QVERIFY(QFileInfo::exists(root + u"/Gamma.url"_s));
    // An edit in the view that fails is told to the dialog.
    QSignalSpy failed(&model, &velmora::platform::ShortcutFolderModel::failed);
    QVERIFY(model.setData(model.indexOf(QFile::encodeName(root + u"/Beta.url"_s)), u"Gamma"_s));
    QTRY_COMPARE(failed.size(), 1);
    QCOMPARE(failed.first().at(0).toString(), u"Beta"_s);
    QCOMPARE(failed.first().at(1).toInt(), EEXIST);
}

void tst_FavoritesStore::titleCut_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("storedLength");
    QTest::newRow("50") << 50 << 45;
    QTest::newRow("43") << 43 << 45;
    QTest::newRow("42") << 42 << 42;
    QTest::newRow("0") << 0 << 0;
}

void tst_FavoritesStore::titleCut()
{
    QFETCH(int, length);
    QFETCH(int, storedLength);
    QString title;
    for (int i = 0; i < length; ++i)
        title.append(QChar(u'a' + i % 26));
    const QString stored = FavoritesStore::cutTitle(title);
    QCOMPARE(stored.size(), storedLength);
    if (length > 42)
        QCOMPARE(stored, title.left(42) + u"..."_s);
    else
        QCOMPARE(stored, title);

    FavoritesStore store(*m_settings, m_favItem.get());
    store.saveFavorite(title, u"http://a/"_s, 1);
    QCOMPARE(m_settings->GetSetting(u"Favorites"_s, u"1"_s), stored + u"&http://a/"_s);
}

void tst_FavoritesStore::safeFileName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("a/b:c") << u"a/b:c"_s << u"a b c"_s;
    QTest::newRow("all nine") << u"\\/:*?\"<>|"_s << QString(9, u' ');
    QTest::newRow("others kept") << u"Новости & погода. (2)"_s << u"Новости & погода. (2)"_s;
}

void tst_FavoritesStore::safeFileName()
{
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(FavoritesStore::safeFileName(text), name);
}

void tst_FavoritesStore::slotValues()
{
    FavoritesStore store(*m_settings, m_favItem.get());
    store.saveFavorite(u"Mail"_s, u"http://mail/"_s, 1);
    store.saveFavorite(u"News"_s, u"http://news/"_s, 2);
    QCOMPARE(m_settings->GetSetting(u"Favorites"_s, u"1"_s), u"Mail&http://mail/"_s);
    store.clearFavorite(1);
    QCOMPARE(m_settings->GetSetting(u"Favorites"_s, u"1"_s), u"@#$&@#$"_s);
    QCOMPARE(m_settings->GetSetting(u"Favorites"_s, u"2"_s), u"News&http://news/"_s);
}

void tst_FavoritesStore::loadWithFreeSlot()
{
    storeSlots({u"Mail&http://mail/"_s, u"@#$&@#$"_s, u"News&http://news/"_s});
    FavoritesStore store(*m_settings, m_favItem.get());
    store.loadFavorites();

    QCOMPARE(m_favItem->count(), 4);
    QVERIFY(!m_favItem->item(0)->isVisible());
    QCOMPARE(m_favItem->item(1)->text(), u"Mail"_s);
    QVERIFY(m_favItem->item(1)->isVisible());
    QCOMPARE(m_favItem->item(2)->text(), u"@#$&@#$"_s);
    QVERIFY(!m_favItem->item(2)->isVisible());
    QCOMPARE(m_favItem->item(3)->text(), u"News"_s);
    QVERIFY(m_favItem->item(3)->isVisible());
    // The elements stand between the built-in one and the item after them.
    const QList<QAction *> actions = m_menu->actions();
    QCOMPARE(actions.indexOf(m_favItem->item(3)) + 1, actions.indexOf(m_after));
    QCOMPARE(actions.indexOf(m_favItem->item(1)), actions.indexOf(m_element0) + 1);

    QCOMPARE(store.getFavoriteUrl(0), QString::fromUtf16(favorites::PortalAddress));
    QCOMPARE(store.getFavoriteUrl(1), u"http://mail/"_s);
    QCOMPARE(store.getFavoriteUrl(2), u"http://news/"_s);
    QCOMPARE(store.getFavoriteMenuUrl(1), u"http://mail/"_s);
    QCOMPARE(store.getFavoriteMenuUrl(3), u"http://news/"_s);

    store.mapFavoriteMenu();
    QCOMPARE(store.favMenuSlot(0), 0);
    QCOMPARE(store.favMenuSlot(1), 1);
    QCOMPARE(store.favMenuSlot(2), 3);

    // A click on an element reports its index, which is its slot.
    m_favItem->item(3)->trigger();
    QCOMPARE(m_clicks, QList<int>{3});

    QCOMPARE(store.exportOldFavorites(m_env->dataHome()), 2);

    // Reloading after unloading gives the same elements again.
    m_favItem->unloadFrom(1);
    QCOMPARE(m_favItem->count(), 1);
    QCOMPARE(m_menu->actions().size(), 2);
    store.loadFavorites();
    QCOMPARE(m_favItem->count(), 4);
}

void tst_FavoritesStore::addressWithAmpersandSurvives()
{
    storeSlots({u"Intranet&http://intranet/?a=1&b=2"_s});
    FavoritesStore store(*m_settings, m_favItem.get());
    store.loadFavorites();
    QCOMPARE(m_favItem->item(1)->text(), u"Intranet"_s);
    QCOMPARE(store.getFavoriteMenuUrl(1), u"http://intranet/?a=1&b=2"_s);
}

void tst_FavoritesStore::loadEndsAtSlotWithoutSeparator()
{
    storeSlots({u"Mail&http://mail/"_s, u"broken"_s, u"News&http://news/"_s});
    FavoritesStore store(*m_settings, m_favItem.get());
    store.loadFavorites();
    QCOMPARE(m_favItem->count(), 2);
    QCOMPARE(store.exportOldFavorites(m_env->dataHome()), 1);
}

void tst_FavoritesStore::lookupsOutsideTablesAreEmpty()
{
    FavoritesStore store(*m_settings, m_favItem.get());
    store.setFavoriteUrl(1001, u"x"_s);
    store.setFavoriteUrl(1000, u"last"_s);
    QCOMPARE(store.getFavoriteUrl(1000), u"last"_s);
    QCOMPARE(store.getFavoriteUrl(1001), QString());
    QCOMPARE(store.getFavoriteUrl(-1), QString());
    QCOMPARE(store.getFavoriteMenuUrl(1001), QString());
    QVERIFY_THROWS_EXCEPTION(std::exception, m_favItem->item(1));
}

void tst_FavoritesStore::exportWritesUsedSlots()
{
    storeSlots({u"Почта&http://mail/"_s, u"@#$&@#$"_s, u"a/b:c&http://abc/"_s});
    FavoritesStore store(*m_settings, nullptr);
    const QString folder = m_env->dataHome();
    QCOMPARE(store.exportOldFavorites(folder), 2);

    const QDir target(QDir(folder).filePath(u"Избранное предыдущих версий"_s));
    QCOMPARE(target.entryList(QDir::Files, QDir::Name),
             (QStringList{u"a b c.url"_s, u"Почта.url"_s}));
    QCOMPARE(bytesOf(target.filePath(u"Почта.url"_s)),
             QByteArray("[InternetShortcut]\r\nURL = http://mail/\r\n"));
    QCOMPARE(bytesOf(target.filePath(u"a b c.url"_s)),
             QByteArray("[InternetShortcut]\r\nURL = http://abc/\r\n"));

    // A second export replaces the files; the folder exists already.
    QCOMPARE(store.exportOldFavorites(folder), 2);
    QCOMPARE(target.entryList(QDir::Files).size(), 2);
}

void tst_FavoritesStore::exportOfEqualNamesKeepsLater()
{
    storeSlots({u"a:b&http://first/"_s, u"a?b&http://second/"_s});
    FavoritesStore store(*m_settings, nullptr);
    QCOMPARE(store.exportOldFavorites(m_env->dataHome()), 2);
    const QDir target(QDir(m_env->dataHome()).filePath(u"Избранное предыдущих версий"_s));
    QCOMPARE(target.entryList(QDir::Files), QStringList{u"a b.url"_s});
    QCOMPARE(bytesOf(target.filePath(u"a b.url"_s)),
             QByteArray("[InternetShortcut]\r\nURL = http://second/\r\n"));
}

void tst_FavoritesStore::exportEndsAtFileThatCannotBeWritten()
{
    // Only a hand-edited store holds a title too long for a file name.
    storeSlots({u"One&http://one/"_s, QString(300, u'x') + u"&http://long/"_s,
                u"Three&http://three/"_s});
    FavoritesStore store(*m_settings, nullptr);
    QCOMPARE(store.exportOldFavorites(m_env->dataHome()), 1);
    const QDir target(QDir(m_env->dataHome()).filePath(u"Избранное предыдущих версий"_s));
    QCOMPARE(target.entryList(QDir::Files), QStringList{u"One.url"_s});
}

void tst_FavoritesStore::exportWithoutFolderWritesNothing()
{
    storeSlots({u"One&http://one/"_s});
    FavoritesStore store(*m_settings, nullptr);
    QCOMPARE(store.exportOldFavorites(QString()), 0);
    QVERIFY(!QDir(u"/"_s).exists(u"Избранное предыдущих версий"_s));
}

QTEST_MAIN(tst_FavoritesStore)
#include "tst_favoritesstore.moc"
