#include "RuntimeError.h"
#include "RuntimeFiles.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QtTest>

using namespace velmora::services;
using namespace velmora::services::runtime;
using namespace Qt::StringLiterals;

namespace {

// Reads values until the reader says it is at the end; records the error
// number of a read that failed on the way (0 when none did).
QStringList readAll(const QByteArray &bytes, int *error)
{
    QStringList values;
    *error = 0;
    ValueReader reader(bytes);
    try {
        while (!reader.atEnd())
            values.append(reader.readText());
    } catch (const RuntimeError &e) {
        *error = e.number();
    }
    return values;
}

} // namespace

class tst_RuntimeFiles : public QObject
{
    Q_OBJECT

private slots:
    void readValues_data();
    void readValues();
    void readBool_data();
    void readBool();
    void readPastEndThrows();
    void writtenBytes_data();
    void writtenBytes();
    void roundTrip_data();
    void roundTrip();
    void unmappableBecomesQuestionMark();
    void addressKeepsItsMeaning_data();
    void addressKeepsItsMeaning();
    void rawLines_data();
    void rawLines();
    void readWholeFileErrors();
    void replaceFileWritesWholeContents();
    void replaceFileInMissingFolderThrows();
};

void tst_RuntimeFiles::readValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("error");

    const int none = 0;
    QTest::newRow("home page file") << QByteArray("\"about:blank\"\r\n")
                                    << QStringList{u"about:blank"_s} << none;
    QTest::newRow("embedded quote cuts the value")
        << QByteArray("\"a\"b\"\r\n\"c\"\r\n") << QStringList{u"a"_s, u"c"_s} << none;
    QTest::newRow("text after closing quote skipped to comma")
        << QByteArray("\"a\"xyz,b\r\n") << QStringList{u"a"_s, u"b"_s} << none;
    QTest::newRow("empty quoted value") << QByteArray("\"\"\r\n") << QStringList{QString()} << none;
    QTest::newRow("empty line between values")
        << QByteArray("\"a\"\r\n\r\n\"b\"\r\n")
        << QStringList{u"a"_s, QString(), u"b"_s} << none;
    QTest::newRow("unquoted values split at commas, blanks trimmed")
        << QByteArray("a, b  ,\tc\r\n") << QStringList{u"a"_s, u"b"_s, u"c"_s} << none;
    QTest::newRow("comma inside quotes") << QByteArray("\"a,b\"\r\n")
                                         << QStringList{u"a,b"_s} << none;
    QTest::newRow("blanks inside quotes kept") << QByteArray("  \" a b \"  \r\n")
                                               << QStringList{u" a b "_s} << none;
    QTest::newRow("trailing comma gives an empty value")
        << QByteArray("a,\r\nb") << QStringList{u"a"_s, QString(), u"b"_s} << none;
    QTest::newRow("last line without line end")
        << QByteArray("\"a\"\r\n\"b\"") << QStringList{u"a"_s, u"b"_s} << none;
    QTest::newRow("lone LF and lone CR end lines")
        << QByteArray("a\nb\rc") << QStringList{u"a"_s, u"b"_s, u"c"_s} << none;
    QTest::newRow("quoted value runs over a line end")
        << QByteArray("\"a\r\nb\"\r\n") << QStringList{u"a\r\nb"_s} << none;
    QTest::newRow("Boolean read as text keeps its form")
        << QByteArray("#TRUE#\r\n") << QStringList{u"#TRUE#"_s} << none;
    QTest::newRow("Windows-1251 text")
        << QByteArray("\"\xcf\xf0\xe8\xe2\xe5\xf2, \xb8\xa8\xb9\"\r\n")
        << QStringList{u"Привет, ёЁ№"_s} << none;
    QTest::newRow("unbalanced quote fails after the good values")
        << QByteArray("\"a\"\r\n\"b\r\n") << QStringList{u"a"_s}
        << int(RuntimeError::InputPastEnd);
    QTest::newRow("only line ends") << QByteArray("\r\n \r\n") << QStringList{} << none;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << none;
}

void tst_RuntimeFiles::readValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, values);
    QFETCH(int, error);

    int got = -1;
    QCOMPARE(readAll(bytes, &got), values);
    QCOMPARE(got, error);
}

void tst_RuntimeFiles::readBool_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("value");

    QTest::newRow("true") << QByteArray("#TRUE#\r\n") << 0 << true;
    QTest::newRow("false") << QByteArray("#FALSE#\r\n") << 0 << false;
    QTest::newRow("blanks and lower case") << QByteArray("  #false#  \r\n") << 0 << false;
    QTest::newRow("without line end") << QByteArray("#FALSE#") << 0 << false;
    QTest::newRow("quoted is text") << QByteArray("\"#TRUE#\"\r\n")
                                    << int(RuntimeError::TypeMismatch) << false;
    QTest::newRow("word True") << QByteArray("True\r\n") << int(RuntimeError::TypeMismatch)
                               << false;
    QTest::newRow("empty line") << QByteArray("\r\n") << int(RuntimeError::TypeMismatch)
                                << false;
    QTest::newRow("empty file") << QByteArray() << int(RuntimeError::InputPastEnd) << false;
}

void tst_RuntimeFiles::readBool()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(bool, value);

    ValueReader reader(bytes);
    try {
        const bool got = reader.readBool();
        QCOMPARE(error, 0);
        QCOMPARE(got, value);
    } catch (const RuntimeError &e) {
        QCOMPARE(e.number(), error);
    }
}

void tst_RuntimeFiles::readPastEndThrows()
{
    ValueReader reader("\"a\"\r\n");
    QCOMPARE(reader.readText(), u"a"_s);
    QVERIFY(reader.atEnd());
    try {
        reader.readText();
        QFAIL("a read past the last value succeeded");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.number(), int(RuntimeError::InputPastEnd));
    }
}

void tst_RuntimeFiles::writtenBytes_data()
{
    QTest::addColumn<QList<QByteArray>>("fields");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("home page") << QList<QByteArray>{quoted(u"about:blank"_s)}
                               << QByteArray("\"about:blank\"\r\n");
    QTest::newRow("quote not escaped") << QList<QByteArray>{quoted(u"a\"b"_s)}
                                       << QByteArray("\"a\"b\"\r\n");
    QTest::newRow("empty text") << QList<QByteArray>{quoted(QString())} << QByteArray("\"\"\r\n");
    QTest::newRow("true") << QList<QByteArray>{boolValue(true)} << QByteArray("#TRUE#\r\n");
    QTest::newRow("false") << QList<QByteArray>{boolValue(false)} << QByteArray("#FALSE#\r\n");
    QTest::newRow("two fields") << QList<QByteArray>{quoted(u"x"_s), boolValue(false)}
                                << QByteArray("\"x\",#FALSE#\r\n");
    QTest::newRow("Cyrillic") << QList<QByteArray>{quoted(u"Ёж"_s)}
                              << QByteArray("\"\xa8\xe6\"\r\n");
}

void tst_RuntimeFiles::writtenBytes()
{
    QFETCH(QList<QByteArray>, fields);
    QFETCH(QByteArray, bytes);
    QCOMPARE(writeRecord(fields), bytes);
}

void tst_RuntimeFiles::roundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("address") << u"http://intranet/a?b=1&c=2"_s << u"http://intranet/a?b=1&c=2"_s;
    QTest::newRow("Cyrillic with comma") << u"Привет, мир"_s << u"Привет, мир"_s;
    QTest::newRow("euro and numero sign") << u"€ № ё"_s << u"€ № ё"_s;
    QTest::newRow("trailing blanks") << u"a b  "_s << u"a b  "_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("embedded quote is cut") << u"say \"hi\""_s << u"say "_s;
}

void tst_RuntimeFiles::roundTrip()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);

    const QByteArray bytes = writeRecord({quoted(text)}) + writeRecord({boolValue(false)});
    ValueReader reader(bytes);
    QCOMPARE(reader.readText(), readBack);
    QCOMPARE(reader.readBool(), false);
    QVERIFY(reader.atEnd());
    QCOMPARE(decodeAnsi(encodeAnsi(text)), text);
}

void tst_RuntimeFiles::unmappableBecomesQuestionMark()
{
    QCOMPARE(encodeAnsi(u"a日本b"_s), QByteArray("a??b"));
    QCOMPARE(encodeAnsi(QString::fromUcs4(U"x\U0001F600y")), QByteArray("x?y"));
    QCOMPARE(encodeAnsi(u"Я"_s), QByteArray("\xdf"));
}

void tst_RuntimeFiles::addressKeepsItsMeaning_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << u"http://a.test/x?y=1"_s << QByteArray("http://a.test/x?y=1");
    // Cyrillic fits the code page and stays as it was written before.
    QTest::newRow("cyrillic") << u"http://пример.рф/путь"_s
                              << QByteArray("http://\xef\xf0\xe8\xec\xe5\xf0.\xf0\xf4/"
                                            "\xef\xf3\xf2\xfc");
    QTest::newRow("path") << u"http://127.0.0.1:8080/中文.html"_s
                          << QByteArray("http://127.0.0.1:8080/%E4%B8%AD%E6%96%87.html");
    // Only what does not fit is encoded; the Cyrillic stays single bytes.
    QTest::newRow("mixed") << u"file:///дом/中"_s << QByteArray("file:///\xe4\xee\xec/%E4%B8%AD");
    QTest::newRow("idn host") << u"https://例え.jp:8443/a?q=中#f"_s
                              << QByteArray("https://xn--r8jz45g.jp:8443/a?q=%E4%B8%AD#f");
    QTest::newRow("history host") << u"例え.jp"_s << QByteArray("xn--r8jz45g.jp");
    QTest::newRow("user info") << u"ftp://用:p@例え.jp/"_s
                               << QByteArray("ftp://%E7%94%A8:p@xn--r8jz45g.jp/");
    QTest::newRow("outside BMP") << QString::fromUcs4(U"about:\U0001F600")
                                 << QByteArray("about:%F0%9F%98%80");
}

void tst_RuntimeFiles::addressKeepsItsMeaning()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeAnsiAddress(address), bytes);
    QCOMPARE(quotedAddress(address), '"' + bytes + '"');
    // What is read back opens the same place.
    QCOMPARE(QUrl::fromUserInput(decodeAnsi(bytes)), QUrl::fromUserInput(address));
}

void tst_RuntimeFiles::rawLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("last line without end") << QByteArray("a\r\nb")
                                           << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone LF and CR") << QByteArray("a\nb\rc\r\n")
                                    << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("CR then CR LF") << QByteArray("a\r\r\nb")
                                   << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << QStringList{QString(), QString()};
    QTest::newRow("quotes and commas kept") << QByteArray("\"a\",b\r\n")
                                            << QStringList{u"\"a\",b"_s};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("Windows-1251") << QByteArray("\xc4\xe0\r\n") << QStringList{u"Да"_s};
}

void tst_RuntimeFiles::rawLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(readRawLines(bytes), lines);
}

void tst_RuntimeFiles::readWholeFileErrors()
{
    velmora::test::TestEnvironment env;
    const QDir dir(env.programDir());

    auto errorOf = [](const QString &path) {
        try {
            readWholeFile(path);
        } catch (const RuntimeError &e) {
            return e.number();
        }
        return 0;
    };
    QCOMPARE(errorOf(dir.filePath(u"missing.dat"_s)), int(RuntimeError::FileNotFound));
    QCOMPARE(errorOf(dir.filePath(u"no/such/folder.dat"_s)), int(RuntimeError::PathNotFound));
    dir.mkdir(u"folder.dat"_s);
    const int folderError = errorOf(dir.filePath(u"folder.dat"_s));
    QVERIFY(folderError != 0);
    QVERIFY(folderError != RuntimeError::FileNotFound);

    env.writeProgramFile(u"x.dat"_s, "\"x\"\r\n");
    QCOMPARE(readWholeFile(dir.filePath(u"x.dat"_s)), QByteArray("\"x\"\r\n"));
}

void tst_RuntimeFiles::replaceFileWritesWholeContents()
{
    velmora::test::TestEnvironment env;
    const QString path = QDir(env.programDir()).filePath(u"home.dat"_s);
    env.writeProgramFile(u"home.dat"_s, QByteArray(1000, 'x'));

    replaceFile(path, "\"about:blank\"\r\n");
    QCOMPARE(env.readProgramFile(u"home.dat"_s), QByteArray("\"about:blank\"\r\n"));
    replaceFile(path, QByteArray());
    QCOMPARE(QFileInfo(path).size(), 0);
    // No temporary file is left beside it.
    QCOMPARE(QDir(env.programDir()).entryList(QDir::Files), QStringList{u"home.dat"_s});
}

void tst_RuntimeFiles::replaceFileInMissingFolderThrows()
{
    velmora::test::TestEnvironment env;
    try {
        replaceFile(QDir(env.programDir()).filePath(u"gone/home.dat"_s), "x");
        QFAIL("writing into a missing folder succeeded");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.number(), int(RuntimeError::PathNotFound));
    }
}

QTEST_GUILESS_MAIN(tst_RuntimeFiles)
#include "tst_runtimefiles.moc"
