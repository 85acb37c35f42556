#include "RuntimeError.h"
#include "TestEnvironment.h"
#include "TextDataBase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QtTest>

#include <memory>

using velmora::services::cTextDataBase;
using velmora::services::RuntimeError;
using namespace Qt::StringLiterals;

namespace {

using Rows = QList<QPair<QString, QString>>;

// Two quoted lines a row, CR LF, as the file is meant to look.
QByteArray fileOf(const QList<QPair<QByteArray, QByteArray>> &rows)
{
    QByteArray bytes;
    for (const auto &[word, url] : rows)
        bytes += '"' + word + "\"\r\n\"" + url + "\"\r\n";
    return bytes;
}

Rows rowsOf(const cTextDataBase &db, int count)
{
    Rows rows;
    for (int r = 1; r <= count; ++r)
        rows.append({db.readSetting(r, 1), db.readSetting(r, 2)});
    return rows;
}

} // namespace

class tst_TextDataBase : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newInstanceReadsAndCreatesNothing();
    void missingFileIsCreatedEmpty();
    void missingFolderFailsTheLoad();
    void writtenBytes_data();
    void writtenBytes();
    void readsFilesOfTheOlderPlatform_data();
    void readsFilesOfTheOlderPlatform();
    void shortFileLeavesLaterRows();
    void loadStopsAtTheLastRow();
    void fullTableRoundTrip();
    void addressOutsideTheCodePageOpensTheSamePage_data();
    void addressOutsideTheCodePageOpensTheSamePage();
    void writeSettingRereadsTheFileFirst();
    void writeSettingRowZeroOnlyRereads();
    void writeSettingWithoutChangeRewritesFromMemory();
    void remove_data();
    void remove();
    void removeFromFullTable();
    void insertInTheMiddle();
    void quoteInsideTextCutsTheReadBack();
    void readOutsideTheTable_data();
    void readOutsideTheTable();
    void callsPastTheTableFailAndKeepTheFile_data();
    void callsPastTheTableFailAndKeepTheFile();

private:
    QString path() const { return QDir(m_env->programDir()).filePath(u"db.tdb"_s); }
    QByteArray bytes() const { return m_env->readProgramFile(u"db.tdb"_s); }
    void writeBytes(const QByteArray &b) const { m_env->writeProgramFile(u"db.tdb"_s, b); }
    // A store over db.tdb holding rows, written through the store itself.
    std::unique_ptr<cTextDataBase> storeWith(const Rows &rows) const;

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
};

void tst_TextDataBase::init()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
}

void tst_TextDataBase::cleanup()
{
    m_env.reset();
}

std::unique_ptr<cTextDataBase> tst_TextDataBase::storeWith(const Rows &rows) const
{
    auto db = std::make_unique<cTextDataBase>();
    db->dataTextFile = path();
    for (int r = 1; r <= rows.size(); ++r)
        db->write_setting(rows[r - 1].first, rows[r - 1].second, r, int(rows.size()), true);
    return db;
}

void tst_TextDataBase::newInstanceReadsAndCreatesNothing()
{
    const QStringList before = QDir::current().entryList(QDir::Files);
    cTextDataBase db;
    QCOMPARE(db.rowCount(), 0);
    db.update(1000);
    QCOMPARE(db.readSetting(1, 1), QString());
    QCOMPARE(db.readSetting(1000, 2), QString());
    QCOMPARE(QDir(m_env->programDir()).entryList(QDir::Files), QStringList());
    QCOMPARE(QDir::current().entryList(QDir::Files), before);
}

void tst_TextDataBase::missingFileIsCreatedEmpty()
{
    cTextDataBase db;
    db.dataTextFile = path();
    QVERIFY(!QFileInfo::exists(path()));
    db.update(1000);
    QVERIFY(QFileInfo::exists(path()));
    QCOMPARE(QFileInfo(path()).size(), 0);
    for (int r : {1, 500, 1000})
        QCOMPARE(db.readSetting(r, 1), QString());
}

void tst_TextDataBase::missingFolderFailsTheLoad()
{
    cTextDataBase db;
    db.dataTextFile = m_env->programDir() + u"/no such folder/db.tdb"_s;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, db.update(1000));
}

void tst_TextDataBase::writtenBytes_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("no rows") << Rows{} << QByteArray();
    QTest::newRow("one row") << Rows{{u"ya"_s, u"http://ya.ru/"_s}}
                             << QByteArray("\"ya\"\r\n\"http://ya.ru/\"\r\n");
    QTest::newRow("empty cells stay quoted")
        << Rows{{u"a"_s, QString()}, {QString(), u"b"_s}}
        << QByteArray("\"a\"\r\n\"\"\r\n\"\"\r\n\"b\"\r\n");
    QTest::newRow("Cyrillic in the single-byte code page")
        << Rows{{u"почта"_s, u"http://mail.ru/"_s}}
        << QByteArray("\"\xEF\xEE\xF7\xF2\xE0\"\r\n\"http://mail.ru/\"\r\n");
    QTest::newRow("commas and spaces as they are")
        << Rows{{u" a, b "_s, u"x"_s}} << QByteArray("\" a, b \"\r\n\"x\"\r\n");
    QTest::newRow("a quote is not escaped")
        << Rows{{u"say \"hi\""_s, u"u"_s}} << QByteArray("\"say \"hi\"\"\r\n\"u\"\r\n");
    QTest::newRow("no form in the code page")
        << Rows{{u"\u4E2D"_s, u"ok"_s}} << QByteArray("\"?\"\r\n\"ok\"\r\n");
    QTest::newRow("address outside the code page in its encoded form")
        << Rows{{u"\u4E2D"_s, u"http://127.0.0.1:8080/\u4E2D\u6587.html"_s}}
        << QByteArray("\"?\"\r\n\"http://127.0.0.1:8080/%E4%B8%AD%E6%96%87.html\"\r\n");
    QTest::newRow("internationalised host in punycode")
        << Rows{{u"w"_s, u"http://\u4F8B\u5B50.test/\u0434"_s}}
        << QByteArray("\"w\"\r\n\"http://xn--fsqu00a.test/\xE4\"\r\n");
    QTest::newRow("Cyrillic address as before")
        << Rows{{u"w"_s, u"http://сайт.рф/страница"_s}}
        << QByteArray("\"w\"\r\n\"http://\xF1\xE0\xE9\xF2.\xF0\xF4/"
                      "\xF1\xF2\xF0\xE0\xED\xE8\xF6\xE0\"\r\n");
}

void tst_TextDataBase::writtenBytes()
{
    QFETCH(Rows, rows);
    QFETCH(QByteArray, expected);
    auto db = storeWith(rows);
    db->write_setting({}, {}, 0, int(rows.size()), false);
    QCOMPARE(bytes(), expected);
}

void tst_TextDataBase::readsFilesOfTheOlderPlatform_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<Rows>("expected");

    QTest::newRow("two rows")
        << fileOf({{"ya", "http://ya.ru/"}, {"\xCD\xEE\xE2\xEE\xF1\xF2\xE8", "http://news/"}})
        << 1000 << Rows{{u"ya"_s, u"http://ya.ru/"_s}, {u"Новости"_s, u"http://news/"_s}};
    QTest::newRow("leading spaces before a quote")
        << QByteArray("   \"a\"\r\n\t\"b\"\r\n") << 1 << Rows{{u"a"_s, u"b"_s}};
    QTest::newRow("values without quotes run to a comma or the line end")
        << QByteArray("word, http://x/\r\nnext\r\n") << 2
        << Rows{{u"word"_s, u"http://x/"_s}, {u"next"_s, QString()}};
    QTest::newRow("both values of a row on one line")
        << QByteArray("\"k\",\"http://k/\"\r\n\"m\",\"http://m/\"\r\n") << 2
        << Rows{{u"k"_s, u"http://k/"_s}, {u"m"_s, u"http://m/"_s}};
    QTest::newRow("empty quoted values")
        << QByteArray("\"\"\r\n\"\"\r\n\"z\"\r\n\"zz\"\r\n") << 2
        << Rows{{QString(), QString()}, {u"z"_s, u"zz"_s}};
    QTest::newRow("last line without its end")
        << QByteArray("\"a\"\r\n\"b\"") << 1 << Rows{{u"a"_s, u"b"_s}};
    QTest::newRow("reads only the rows asked for")
        << fileOf({{"1", "one"}, {"2", "two"}}) << 1
        << Rows{{u"1"_s, u"one"_s}, {QString(), QString()}};
}

void tst_TextDataBase::readsFilesOfTheOlderPlatform()
{
    QFETCH(QByteArray, file);
    QFETCH(int, count);
    QFETCH(Rows, expected);
    writeBytes(file);
    cTextDataBase db;
    db.dataTextFile = path();
    db.update(count);
    QCOMPARE(rowsOf(db, int(expected.size())), expected);
    // Reading never writes.
    QCOMPARE(bytes(), file);
}

void tst_TextDataBase::shortFileLeavesLaterRows()
{
    auto db = storeWith({{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}, {u"c"_s, u"3"_s},
                         {u"d"_s, u"4"_s}, {u"e"_s, u"5"_s}});
    writeBytes(fileOf({{"x", "10"}, {"y", "20"}, {"z", "30"}}));
    db->update(1000);
    QCOMPARE(rowsOf(*db, 6), (Rows{{u"x"_s, u"10"_s}, {u"y"_s, u"20"_s}, {u"z"_s, u"30"_s},
                                   {u"d"_s, u"4"_s}, {u"e"_s, u"5"_s}, {QString(), QString()}}));

    // A row cut after its word keeps its old address.
    writeBytes("\"p\"\r\n\"q\"\r\n\"r\"\r\n");
    db->update(1000);
    QCOMPARE(rowsOf(*db, 2), (Rows{{u"p"_s, u"q"_s}, {u"r"_s, u"20"_s}}));
}

void tst_TextDataBase::loadStopsAtTheLastRow()
{
    QByteArray file;
    for (int r = 1; r <= 1001; ++r)
        file += fileOf({{QByteArray::number(r), "u" + QByteArray::number(r)}});
    writeBytes(file);
    cTextDataBase db;
    db.dataTextFile = path();
    db.update(1001);
    QCOMPARE(db.readSetting(1000, 1), u"1000"_s);
    QCOMPARE(db.readSetting(1000, 2), u"u1000"_s);
    QCOMPARE(db.readSetting(1001, 1), QString());
}

void tst_TextDataBase::fullTableRoundTrip()
{
    QByteArray full;
    for (int r = 1; r <= 1000; ++r)
        full += fileOf({{"w" + QByteArray::number(r),
                         "\xC0\xE4\xF0\xE5\xF1 " + QByteArray::number(r)}});
    writeBytes(full);
    cTextDataBase db;
    db.dataTextFile = path();
    db.update(1000);
    QCOMPARE(db.readSetting(1000, 2), u"Адрес 1000"_s);

    // With the file gone, all that is written comes from memory.
    QFile::remove(path());
    db.write_setting(u"last"_s, u"Адрес"_s, 1000, 1000, true);
    QCOMPARE(bytes().count("\r\n"), 2000);
    QVERIFY(bytes().startsWith("\"w1\"\r\n\"\xC0\xE4\xF0\xE5\xF1 1\"\r\n"));
    QVERIFY(bytes().endsWith("\"w999\"\r\n\"\xC0\xE4\xF0\xE5\xF1 999\"\r\n"
                             "\"last\"\r\n\"\xC0\xE4\xF0\xE5\xF1\"\r\n"));
}

void tst_TextDataBase::addressOutsideTheCodePageOpensTheSamePage_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("path") << u"http://127.0.0.1:8080/\u4E2D\u6587.html"_s;
    QTest::newRow("host, query and fragment")
        << u"https://\u4F8B\u5B50.test/a?q=\u4E2D#\u6587"_s;
    QTest::newRow("no scheme") << u"\u4F8B\u5B50.test/\u4E2D\u6587.html"_s;
}

void tst_TextDataBase::addressOutsideTheCodePageOpensTheSamePage()
{
    QFETCH(QString, address);
    storeWith({{u"\u4E2D\u6587"_s, address}, {u"next"_s, u"http://next/"_s}});
    cTextDataBase db;
    db.dataTextFile = path();
    db.update(2);
    const QString back = db.readSetting(1, 2);
    QVERIFY2(!back.contains(u'?') || address.contains(u'?'), qPrintable(back));
    QCOMPARE(QUrl::fromUserInput(back), QUrl::fromUserInput(address));
    // The word keeps the plain code page rule; the next row stays in place.
    QCOMPARE(db.readSetting(1, 1), u"??"_s);
    QCOMPARE(db.readSetting(2, 2), u"http://next/"_s);
}

void tst_TextDataBase::writeSettingRereadsTheFileFirst()
{
    auto db = storeWith({{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}});
    // Another writer changed row 2 since this store last read it.
    writeBytes(fileOf({{"a", "1"}, {"B", "22"}}));
    db->write_setting(u"A"_s, u"11"_s, 1, 2, true);
    QCOMPARE(bytes(), fileOf({{"A", "11"}, {"B", "22"}}));
    QCOMPARE(rowsOf(*db, 2), (Rows{{u"A"_s, u"11"_s}, {u"B"_s, u"22"_s}}));
}

void tst_TextDataBase::writeSettingRowZeroOnlyRereads()
{
    auto db = storeWith({{u"a"_s, u"1"_s}});
    // Unquoted: a rewrite would quote it.
    const QByteArray file("x\r\ny\r\n");
    writeBytes(file);
    db->write_setting(u"ignored"_s, u"ignored"_s, 0, 1, true);
    QCOMPARE(bytes(), file);
    QCOMPARE(rowsOf(*db, 1), (Rows{{u"x"_s, u"y"_s}}));
    QCOMPARE(db->rowCount(), 1);
}

void tst_TextDataBase::writeSettingWithoutChangeRewritesFromMemory()
{
    auto db = storeWith({{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}});
    writeBytes(fileOf({{"other", "file"}}));
    db->write_setting(u"not"_s, u"stored"_s, 1, 2, false);
    QCOMPARE(bytes(), fileOf({{"a", "1"}, {"b", "2"}}));
    // Fewer rows than memory holds: the file is cut, memory is not.
    db->write_setting({}, {}, 0, 1, false);
    QCOMPARE(bytes(), fileOf({{"a", "1"}}));
    QCOMPARE(db->readSetting(2, 1), u"b"_s);
}

void tst_TextDataBase::remove_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("the only row") << 1 << 1 << QByteArray();
    QTest::newRow("the last of five")
        << 5 << 5 << fileOf({{"w1", "u1"}, {"w2", "u2"}, {"w3", "u3"}, {"w4", "u4"}});
    QTest::newRow("the second of three") << 3 << 2 << fileOf({{"w1", "u1"}, {"w3", "u3"}});
    QTest::newRow("the first of three") << 3 << 1 << fileOf({{"w2", "u2"}, {"w3", "u3"}});
}

void tst_TextDataBase::remove()
{
    QFETCH(int, rows);
    QFETCH(int, row);
    QFETCH(QByteArray, expected);
    Rows content;
    for (int r = 1; r <= rows; ++r)
        content.append({u"w%1"_s.arg(r), u"u%1"_s.arg(r)});
    auto db = storeWith(content);

    int count = rows;
    db->remove(row, count);
    QCOMPARE(count, rows - 1);
    QCOMPARE(db->rowCount(), rows - 1);
    QCOMPARE(bytes(), expected);
    // The row after the table moved up into its last place.
    QCOMPARE(db->readSetting(rows, 1), QString());
}

void tst_TextDataBase::removeFromFullTable()
{
    QByteArray full;
    for (int r = 1; r <= 1000; ++r)
        full += fileOf({{QByteArray::number(r), ""}});
    writeBytes(full);
    cTextDataBase db;
    db.dataTextFile = path();
    db.update(1000);
    int count = 1000;
    db.remove(1000, count);
    QCOMPARE(count, 999);
    QCOMPARE(bytes(), full.left(full.lastIndexOf("\"1000\"")));
    QCOMPARE(db.readSetting(1000, 1), QString());
    QCOMPARE(db.readSetting(999, 1), u"999"_s);
}

void tst_TextDataBase::insertInTheMiddle()
{
    auto db = storeWith({{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}, {u"c"_s, u"3"_s}});
    int count = 3;
    db->insert(2, count);
    QCOMPARE(count, 3);
    QCOMPARE(db->rowCount(), 4);
    QCOMPARE(bytes(), fileOf({{"a", "1"}, {"", ""}, {"b", "2"}, {"c", "3"}}));
    QCOMPARE(rowsOf(*db, 4), (Rows{{u"a"_s, u"1"_s}, {QString(), QString()}, {u"b"_s, u"2"_s},
                                   {u"c"_s, u"3"_s}}));
}

void tst_TextDataBase::quoteInsideTextCutsTheReadBack()
{
    auto db = storeWith({{u"say \"hi\" now"_s, u"u"_s}});
    QCOMPARE(bytes(), QByteArray("\"say \"hi\" now\"\r\n\"u\"\r\n"));
    cTextDataBase other;
    other.dataTextFile = path();
    other.update(1);
    QCOMPARE(other.readSetting(1, 1), u"say "_s);
}

void tst_TextDataBase::readOutsideTheTable_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("row 0") << 0 << 1;
    QTest::newRow("row 1001") << 1001 << 1;
    QTest::newRow("column 0") << 1 << 0;
    QTest::newRow("column 3") << 1 << 3;
    QTest::newRow("negative") << -5 << -1;
}

void tst_TextDataBase::readOutsideTheTable()
{
    QFETCH(int, row);
    QFETCH(int, column);
    auto db = storeWith({{u"a"_s, u"b"_s}});
    QCOMPARE(db->readSetting(row, column), QString());
}

void tst_TextDataBase::callsPastTheTableFailAndKeepTheFile_data()
{
    QTest::addColumn<int>("call");
    QTest::newRow("write 1001 rows") << 0;
    QTest::newRow("store into row 1001") << 1;
    QTest::newRow("remove with a count of 1001") << 2;
    QTest::newRow("remove row 0") << 3;
    QTest::newRow("insert into a full table") << 4;
    QTest::newRow("insert at row 0") << 5;
}

void tst_TextDataBase::callsPastTheTableFailAndKeepTheFile()
{
    QFETCH(int, call);
    auto db = storeWith({{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}});
    const QByteArray before = bytes();
    int count = 2;
    bool threw = false;
    try {
        switch (call) {
        case 0:
            db->write_setting({}, {}, 0, 1001, false);
            break;
        case 1:
            db->write_setting(u"x"_s, u"y"_s, 1001, 2, true);
            break;
        case 2:
            count = 1001;
            db->remove(1, count);
            break;
        case 3:
            db->remove(0, count);
            break;
        case 4:
            db->insert(1, 1000);
            break;
        case 5:
            db->insert(0, count);
            break;
        }
    } catch (const RuntimeError &e) {
        threw = true;
        QCOMPARE(e.number(), int(RuntimeError::SubscriptOutOfRange));
    }
    QVERIFY(threw);
    QCOMPARE(bytes(), before);
    QCOMPARE(rowsOf(*db, 2), (Rows{{u"a"_s, u"1"_s}, {u"b"_s, u"2"_s}}));
}

QTEST_GUILESS_MAIN(tst_TextDataBase)
#include "tst_textdatabase.moc"
