// The two saved-tab formats: exact bytes written and how files are read back.

#include "SessionFiles.h"

#include <QTest>
#include <QUrl>

using namespace velmora::services::sessions;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<SavedTab>)

namespace {

// Windows-1251 bytes of "Новости" ("News").
const QByteArray newsAnsi = QByteArrayLiteral("\xCD\xEE\xE2\xEE\xF1\xF2\xE8");

QByteArray header()
{
    return sessionHeader().toLatin1() + "\r\n";
}

SavedTab titled(const QString &title, const QString &address)
{
    return {address, title, true};
}

SavedTab untitled(const QString &address)
{
    return {address, QString(), false};
}

} // namespace

namespace QTest {
template<>
char *toString(const SavedTab &tab)
{
    const QString text = tab.hasTitle ? tab.title + QStringLiteral(" | ") + tab.address
                                      : tab.address;
    return qstrdup(text.toUtf8().constData());
}
} // namespace QTest

class tst_SessionFiles : public QObject
{
    Q_OBJECT

private slots:
    void headerIsOneAsciiLine();
    void sessionFileBytes();
    void lineBreakInTitleKeepsPairs();
    void charactersOutsideCodePage();
    void tabListBytes();
    void read_data();
    void read();
    void tabListIgnoresHeader();
    void roundTrip();
};

void tst_SessionFiles::headerIsOneAsciiLine()
{
    const QString h = sessionHeader();
    QVERIFY(h.startsWith(QStringLiteral("Velmora saved session file. Version 1.4+. Visit ")));
    QVERIFY(h.endsWith(QStringLiteral(" for details.")));
    QVERIFY(!h.contains(u'\r') && !h.contains(u'\n') && !h.contains(u','));
    QCOMPARE(QString::fromLatin1(h.toLatin1()), h);
}

void tst_SessionFiles::sessionFileBytes()
{
    const QByteArray bytes = writeSessionFile(
        {titled(QStringLiteral("Новости"), QStringLiteral("http://news.example/")),
         titled(QString(), QStringLiteral("about:blank")),
         titled(QStringLiteral("Say \"hi\", 1€"), QString())});
    QCOMPARE(bytes, header() + newsAnsi + "\r\nhttp://news.example/\r\n"
                        "\r\nabout:blank\r\n"
                        "Say \"hi\", 1\x88\r\n\r\n");
    QCOMPARE(writeSessionFile({}), header());
}

void tst_SessionFiles::lineBreakInTitleKeepsPairs()
{
    const QByteArray bytes =
        writeSessionFile({titled(QStringLiteral("two\r\nlines"), QStringLiteral("http://a/")),
                          titled(QStringLiteral("b"), QStringLiteral("http://b/"))});
    const SavedTabs back = readSavedTabs(bytes);
    QVERIFY(back.complete);
    QCOMPARE(back.tabs, (QList<SavedTab>{titled(u"two  lines"_s, u"http://a/"_s),
                                          titled(u"b"_s, u"http://b/"_s)}));
}

void tst_SessionFiles::charactersOutsideCodePage()
{
    // The title may lose characters, the address keeps its meaning, and the
    // pairs stay in step.
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const QByteArray bytes = writeSessionFile(
        {titled(u"中文"_s + emoji + u"\u2028x"_s, u"http://h/中文"_s),
         titled(u"b"_s, u"http://例え.jp/"_s)});
    QCOMPARE(bytes, header() + "???\?x\r\nhttp://h/%E4%B8%AD%E6%96%87\r\n"
                               "b\r\nhttp://xn--r8jz45g.jp/\r\n");
    const SavedTabs back = readSavedTabs(bytes);
    QVERIFY(back.complete);
    QCOMPARE(back.tabs.size(), 2);
    QCOMPARE(QUrl(back.tabs.at(0).address), QUrl(u"http://h/中文"_s));
    QCOMPARE(back.tabs.at(1).title, u"b"_s);

    QCOMPARE(writeTabList({u"http://h/中文"_s}),
             QByteArray("\"http://h/%E4%B8%AD%E6%96%87\"\r\n"));
}

void tst_SessionFiles::tabListBytes()
{
    QCOMPARE(writeTabList({QStringLiteral("http://a.example/?q=1,2"), QString(),
                           QStringLiteral("http://b/\"x\""), QStringLiteral("http://ru/Новости")}),
             QByteArray("\"http://a.example/?q=1,2\"\r\n\"\"\r\n\"http://b/\"x\"\"\r\n"
                        "\"http://ru/")
                 + newsAnsi + "\"\r\n");
    QCOMPARE(writeTabList({}), QByteArray());
}

void tst_SessionFiles::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("session");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QList<SavedTab>>("tabs");

    const QString a = QStringLiteral("http://a/");
    const QString b = QStringLiteral("http://b/");
    QTest::newRow("session, Cyrillic title")
        << header() + newsAnsi + "\r\nhttp://a/\r\nB\r\nhttp://b/\r\n" << true << true
        << QList<SavedTab>{titled(QStringLiteral("Новости"), a), titled(QStringLiteral("B"), b)};
    QTest::newRow("session, last line without CR LF")
        << header() + "A\r\nhttp://a/" << true << true << QList<SavedTab>{titled(u"A"_s, a)};
    QTest::newRow("session, header only") << header() << true << true << QList<SavedTab>{};
    QTest::newRow("session, title without address")
        << header() + "A\r\nhttp://a/\r\nB\r\n" << true << false
        << QList<SavedTab>{titled(u"A"_s, a)};
    QTest::newRow("session lines are raw: commas and quotes stay")
        << header() + "\"Q\", R\r\nhttp://a/?x=1,2\r\n" << true << true
        << QList<SavedTab>{titled(u"\"Q\", R"_s, u"http://a/?x=1,2"_s)};
    QTest::newRow("tab list, quoted") << QByteArray("\"http://a/\"\r\n\"\"\r\n\"http://b/\"\r\n")
                                      << false << true
                                      << QList<SavedTab>{untitled(a), untitled(QString()),
                                                         untitled(b)};
    QTest::newRow("plain lines, blanks before a value skipped")
        << QByteArray("http://a/\r\n   http://b/\r\n") << false << true
        << QList<SavedTab>{untitled(a), untitled(b)};
    QTest::newRow("commas split unquoted values")
        << QByteArray("http://a/,http://b/\r\n") << false << true
        << QList<SavedTab>{untitled(a), untitled(b)};
    QTest::newRow("quoted value keeps its comma")
        << QByteArray("\"http://a/?q=1,2\"\r\n") << false << true
        << QList<SavedTab>{untitled(u"http://a/?q=1,2"_s)};
    QTest::newRow("unclosed quote") << QByteArray("\"http://a/\"\r\n\"http://b/\r\n") << false
                                    << false << QList<SavedTab>{untitled(a)};
    QTest::newRow("empty file") << QByteArray() << false << false << QList<SavedTab>{};
}

void tst_SessionFiles::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, session);
    QFETCH(bool, complete);
    QFETCH(QList<SavedTab>, tabs);
    const SavedTabs saved = readSavedTabs(bytes);
    QCOMPARE(saved.session, session);
    QCOMPARE(saved.complete, complete);
    QCOMPARE(saved.tabs, tabs);
}

void tst_SessionFiles::tabListIgnoresHeader()
{
    // One changed letter in the header, and the whole file is a tab list.
    QByteArray bytes = header() + "Title, with comma\r\nhttp://a/\r\n";
    bytes[0] = 'v';
    const SavedTabs saved = readSavedTabs(bytes);
    QVERIFY(!saved.session);
    QString first = sessionHeader();
    first[0] = u'v';
    QCOMPARE(saved.tabs, (QList<SavedTab>{untitled(first), untitled(u"Title"_s),
                                          untitled(u"with comma"_s), untitled(u"http://a/"_s)}));
    // The autosave reader never looks for the header.
    const SavedTabs list = readTabList(header() + "http://a/\r\n");
    QVERIFY(!list.session);
    QCOMPARE(list.tabs, (QList<SavedTab>{untitled(sessionHeader()), untitled(u"http://a/"_s)}));
}

void tst_SessionFiles::roundTrip()
{
    const QList<SavedTab> tabs{titled(QStringLiteral("Главная — Почта"), u"http://mail/"_s),
                               titled(QStringLiteral("Ёлка, ёж"), u"http://a/?q=ёж"_s)};
    const SavedTabs session = readSavedTabs(writeSessionFile(tabs));
    QVERIFY(session.session && session.complete);
    QCOMPARE(session.tabs, tabs);

    const QStringList addresses{u"http://a/?q=ёж"_s, QString(), u"http://b/,c"_s};
    const SavedTabs list = readSavedTabs(writeTabList(addresses));
    QVERIFY(!list.session && list.complete);
    QCOMPARE(list.tabs, (QList<SavedTab>{untitled(addresses[0]), untitled(QString()),
                                         untitled(addresses[2])}));
}

QTEST_GUILESS_MAIN(tst_SessionFiles)
#include "tst_sessionfiles.moc"
