#include "OneValueFiles.h"
#include "ProgramFolder.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QUrl>
#include <QtTest>

#include <functional>

using namespace velmora::services;
using namespace Qt::StringLiterals;

namespace {

struct Flag
{
    const char *file;
    bool (OneValueFiles::*get)() const;
    void (OneValueFiles::*set)(bool) const;
};

const Flag flags[] = {
    {"web_nw.dat", &OneValueFiles::getNewWindowMode, &OneValueFiles::setNewWindowMode},
    {"mode.dat", &OneValueFiles::getMode, &OneValueFiles::setMode},
    {"exit.dat", &OneValueFiles::getExitFlag, &OneValueFiles::setExitFlag},
};

} // namespace

class tst_OneValueFiles : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<velmora::test::TestEnvironment>(); }
    void cleanup() { m_env.reset(); }
    void homePageOutsideCodePage();

    void programFolderFromEnvironment();
    void firstStartCreatesDefaults();
    void homePage_data();
    void homePage();
    void flagGetters_data();
    void flagGetters();
    void setterBytes_data();
    void setterBytes();
    void nothingIsCached();
    void failuresAreQuiet();

private:
    std::unique_ptr<velmora::test::TestEnvironment> m_env;
};

void tst_OneValueFiles::programFolderFromEnvironment()
{
    QCOMPARE(ProgramFolder().path(), m_env->programDir());
    QCOMPARE(programFile(u"exit.dat"_s), m_env->programDir() + u"/exit.dat"_s);
    QCOMPARE(ProgramFolder(u"/opt/v/"_s).file(u"home.dat"_s), u"/opt/v/home.dat"_s);

    OneValueFiles files{ProgramFolder()};
    QCOMPARE(files.exitFlagFile(), m_env->programDir() + u"/exit.dat"_s);
    QCOMPARE(files.homePageFile(), m_env->programDir() + u"/home.dat"_s);

    qputenv("VELMORA_PROGRAM_DIR", "");
    QCOMPARE(ProgramFolder().path(), QCoreApplication::applicationDirPath());
}

void tst_OneValueFiles::firstStartCreatesDefaults()
{
    const OneValueFiles files{ProgramFolder()};
    QVERIFY(files.getNewWindowMode());
    QVERIFY(files.getMode());
    QVERIFY(files.getExitFlag());
    for (const Flag &flag : flags)
        QCOMPARE(m_env->readProgramFile(QLatin1String(flag.file)), QByteArray("#TRUE#\r\n"));
    QVERIFY(!QFile::exists(files.homePageFile()));

    QCOMPARE(files.getHomePage(), u"about:blank"_s);
    const QByteArray home = m_env->readProgramFile(u"home.dat"_s);
    QCOMPARE(home.size(), 15);
    QCOMPARE(home, QByteArray("\"about:blank\"\r\n"));
}

void tst_OneValueFiles::homePage_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QByteArray>("after");

    const QByteArray blank("\"about:blank\"\r\n");
    QTest::newRow("missing") << false << QByteArray() << u"about:blank"_s << blank;
    QTest::newRow("empty value") << true << QByteArray("\"\"\r\n") << u"about:blank"_s << blank;
    QTest::newRow("empty file") << true << QByteArray() << u"about:blank"_s << blank;
    QTest::newRow("unbalanced quote") << true << QByteArray("\"http://x\r\n")
                                      << u"about:blank"_s << blank;
    QTest::newRow("address") << true << QByteArray("\"http://intranet/\"\r\n")
                             << u"http://intranet/"_s << QByteArray("\"http://intranet/\"\r\n");
    QTest::newRow("unquoted") << true << QByteArray("http://x/\r\n") << u"http://x/"_s
                              << QByteArray("http://x/\r\n");
    QTest::newRow("embedded quote") << true << QByteArray("\"a\"b\"\r\n") << u"a"_s
                                    << QByteArray("\"a\"b\"\r\n");
    QTest::newRow("Windows-1251") << true << QByteArray("\"http://\xf1\xe0\xe9\xf2.\xf0\xf4/\"\r\n")
                                  << u"http://сайт.рф/"_s
                                  << QByteArray("\"http://\xf1\xe0\xe9\xf2.\xf0\xf4/\"\r\n");
}

void tst_OneValueFiles::homePageOutsideCodePage()
{
    const OneValueFiles files{ProgramFolder()};
    const QString page = u"http://127.0.0.1:8080/中文.html"_s;
    files.setHomePage(page);
    QCOMPARE(m_env->readProgramFile(u"home.dat"_s),
             QByteArray("\"http://127.0.0.1:8080/%E4%B8%AD%E6%96%87.html\"\r\n"));
    // What Home opens is the same page.
    QCOMPARE(QUrl(files.getHomePage()), QUrl(page));
}

void tst_OneValueFiles::homePage()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);
    QFETCH(QString, expected);
    QFETCH(QByteArray, after);

    if (exists)
        m_env->writeProgramFile(u"home.dat"_s, contents);
    const OneValueFiles files{ProgramFolder()};
    QCOMPARE(files.getHomePage(), expected);
    QCOMPARE(m_env->readProgramFile(u"home.dat"_s), after);
}

void tst_OneValueFiles::flagGetters_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QByteArray>("after");

    struct Case
    {
        const char *name;
        bool exists;
        QByteArray contents;
        bool expected;
        QByteArray after;
    };
    const QByteArray repaired("#TRUE#\r\n");
    const Case cases[] = {
        {"false", true, "#FALSE#\r\n", false, "#FALSE#\r\n"},
        {"true", true, "#TRUE#\r\n", true, "#TRUE#\r\n"},
        {"false without line end", true, "#FALSE#", false, "#FALSE#"},
        {"missing", false, {}, true, repaired},
        {"empty file", true, {}, true, repaired},
        {"text", true, "hello\r\n", true, repaired},
        {"quoted Boolean", true, "\"#FALSE#\"\r\n", true, repaired},
    };
    for (int f = 0; f < 3; ++f) {
        for (const Case &c : cases) {
            QTest::addRow("%s, %s", flags[f].file, c.name)
                << f << c.exists << c.contents << c.expected << c.after;
        }
    }
}

void tst_OneValueFiles::flagGetters()
{
    QFETCH(int, flag);
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);
    QFETCH(bool, expected);
    QFETCH(QByteArray, after);

    const QString name = QLatin1String(flags[flag].file);
    if (exists)
        m_env->writeProgramFile(name, contents);
    const OneValueFiles files{ProgramFolder()};
    QCOMPARE((files.*flags[flag].get)(), expected);
    QCOMPARE(m_env->readProgramFile(name), after);
    // Only the file asked about is touched.
    QCOMPARE(QDir(m_env->programDir()).entryList(QDir::Files), QStringList{name});
}

void tst_OneValueFiles::setterBytes_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<bool>("value");
    QTest::addColumn<QByteArray>("bytes");

    for (int f = 0; f < 3; ++f) {
        QTest::addRow("%s true", flags[f].file) << f << true << QByteArray("#TRUE#\r\n");
        QTest::addRow("%s false", flags[f].file) << f << false << QByteArray("#FALSE#\r\n");
    }
}

void tst_OneValueFiles::setterBytes()
{
    QFETCH(int, flag);
    QFETCH(bool, value);
    QFETCH(QByteArray, bytes);

    const QString name = QLatin1String(flags[flag].file);
    m_env->writeProgramFile(name, "something much longer than a flag\r\n");
    const OneValueFiles files{ProgramFolder()};
    (files.*flags[flag].set)(value);
    QCOMPARE(m_env->readProgramFile(name), bytes);
    QCOMPARE((files.*flags[flag].get)(), value);
}

void tst_OneValueFiles::nothingIsCached()
{
    const OneValueFiles files{ProgramFolder()};
    files.setHomePage(u"about:blank"_s);
    QCOMPARE(m_env->readProgramFile(u"home.dat"_s).size(), 15);
    files.setHomePage(u"http://a\"b/"_s);
    QCOMPARE(m_env->readProgramFile(u"home.dat"_s), QByteArray("\"http://a\"b/\"\r\n"));
    QCOMPARE(files.getHomePage(), u"http://a"_s);

    // Another instance changes the files behind this one's back.
    m_env->writeProgramFile(u"home.dat"_s, "\"http://other/\"\r\n");
    m_env->writeProgramFile(u"mode.dat"_s, "#FALSE#\r\n");
    QCOMPARE(files.getHomePage(), u"http://other/"_s);
    QCOMPARE(files.getMode(), false);
    m_env->writeProgramFile(u"mode.dat"_s, "#TRUE#\r\n");
    QCOMPARE(files.getMode(), true);
}

void tst_OneValueFiles::failuresAreQuiet()
{
    const OneValueFiles files{ProgramFolder(m_env->programDir() + u"/missing"_s)};
    files.setHomePage(u"http://x/"_s);
    files.setExitFlag(false);
    QCOMPARE(files.getHomePage(), u"about:blank"_s);
    QCOMPARE(files.getExitFlag(), true);
    QVERIFY(!QFileInfo::exists(m_env->programDir() + u"/missing"_s));
}

QTEST_GUILESS_MAIN(tst_OneValueFiles)
#include "tst_onevaluefiles.moc"
