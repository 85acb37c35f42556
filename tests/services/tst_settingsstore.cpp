#include "SettingsStore.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace velmora::services;
using namespace Qt::StringLiterals;

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<velmora::test::TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void missingKeyGivesDefault();
    void keysAndSectionsIgnoreCase();
    void storedWhereExpected();
    void awkwardTextSurvives_data();
    void awkwardTextSurvives();
    void instancesSeeEachOthersWrites();
    void deleteSetting();
    void handEditedFile();
    void untouchedLinesKeepTheirBytes();
    void changeInPlaceIsSeen();
    void readBool_data();
    void readBool();
    void readNumber_data();
    void readNumber();
    void unwritableStoreFailsQuietly();
    void anyLineEnd_data();
    void anyLineEnd();

private:
    std::unique_ptr<velmora::test::TestEnvironment> m_env;
};

void tst_SettingsStore::missingKeyGivesDefault()
{
    SettingsStore store(m_env->configHome());
    QCOMPARE(store.GetSetting(u"general"_s, u"WindowState"_s), QString());
    QCOMPARE(store.GetSetting(u"general"_s, u"WindowState"_s, u"2"_s), u"2"_s);
    QVERIFY(!QFile::exists(store.filePath()));
}

void tst_SettingsStore::keysAndSectionsIgnoreCase()
{
    SettingsStore store(m_env->configHome());
    QVERIFY(store.SaveSetting(u"general"_s, u"memMess"_s, u"False"_s));
    QCOMPARE(store.GetSetting(u"general"_s, u"memmess"_s, u"True"_s), u"False"_s);
    QCOMPARE(readBoolSetting(store, u"general"_s, u"memmess"_s, true), false);
    QCOMPARE(store.GetSetting(u"GENERAL"_s, u"MEMMESS"_s), u"False"_s);

    // Writing under another spelling changes the one value.
    QVERIFY(store.SaveSetting(u"General"_s, u"MEMMESS"_s, u"True"_s));
    const auto all = store.GetAllSettings(u"general"_s);
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.first().first, u"memMess"_s);
    QCOMPARE(all.first().second, u"True"_s);
}

void tst_SettingsStore::storedWhereExpected()
{
    SettingsStore store;  // from $XDG_CONFIG_HOME
    QCOMPARE(store.filePath(),
             m_env->configHome() + u"/olk_Browser/olk_Browser.conf"_s);
    QVERIFY(store.SaveSetting(u"general"_s, u"memMess"_s, u"False"_s));
    QVERIFY(store.SaveSetting(u"Favorites"_s, u"1"_s, u"Title&http://intranet/?a=1&b=2"_s));

    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("[general]\nmemMess=False\n"));
    QVERIFY(text.contains("[Favorites]\n1=Title&http://intranet/?a=1&b=2\n"));
    // No temporary or lock file is left beside it.
    QCOMPARE(QDir(QFileInfo(store.filePath()).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"olk_Browser.conf"_s});
}

void tst_SettingsStore::awkwardTextSurvives_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("equals in value") << u"k"_s << u"a=b=c"_s;
    QTest::newRow("line breaks") << u"k"_s << u"line1\r\nline2\nline3"_s;
    QTest::newRow("backslashes") << u"k"_s << u"C:\\dir\\n\\"_s;
    QTest::newRow("outer blanks") << u"k"_s << u"  padded  "_s;
    QTest::newRow("Cyrillic") << u"язык"_s << u"Русский"_s;
    QTest::newRow("looks like a section") << u"k"_s << u"[general]"_s;
    QTest::newRow("empty value") << u"k"_s << QString();
    QTest::newRow("equals in key") << u"a=b"_s << u"v"_s;
    QTest::newRow("key like a section") << u"[general]"_s << u"v"_s;
    QTest::newRow("key like a comment") << u";k"_s << u"v"_s;
    QTest::newRow("key with blanks") << u" k k "_s << u"v"_s;
}

void tst_SettingsStore::awkwardTextSurvives()
{
    QFETCH(QString, key);
    QFETCH(QString, value);

    SettingsStore store(m_env->configHome());
    QVERIFY(store.SaveSetting(u"general"_s, u"before"_s, u"1"_s));
    QVERIFY(store.SaveSetting(u"general"_s, key, value));
    QVERIFY(store.SaveSetting(u"general"_s, u"after"_s, u"2"_s));

    QCOMPARE(store.GetSetting(u"general"_s, key, u"<missing>"_s), value);
    QCOMPARE(store.GetAllSettings(u"general"_s).size(), 3);
    QCOMPARE(store.GetSetting(u"general"_s, u"before"_s), u"1"_s);
    QCOMPARE(store.GetSetting(u"general"_s, u"after"_s), u"2"_s);
}

void tst_SettingsStore::instancesSeeEachOthersWrites()
{
    SettingsStore first(m_env->configHome());
    SettingsStore second(m_env->configHome());

    QCOMPARE(first.GetSetting(u"general"_s, u"language"_s, u"Russian"_s), u"Russian"_s);
    QVERIFY(second.SaveSetting(u"general"_s, u"language"_s, u"English"_s));
    QCOMPARE(first.GetSetting(u"general"_s, u"language"_s, u"Russian"_s), u"English"_s);
    QVERIFY(first.SaveSetting(u"general"_s, u"WindowState"_s, u"2"_s));
    QCOMPARE(second.GetSetting(u"general"_s, u"language"_s), u"English"_s);
    QCOMPARE(second.GetSetting(u"general"_s, u"WindowState"_s), u"2"_s);
}

void tst_SettingsStore::deleteSetting()
{
    SettingsStore store(m_env->configHome());
    QVERIFY(store.SaveSetting(u"Favorites"_s, u"1"_s, u"a&b"_s));
    QVERIFY(store.SaveSetting(u"Favorites"_s, u"2"_s, u"c&d"_s));
    QVERIFY(store.SaveSetting(u"general"_s, u"Favorites"_s, u"True"_s));

    QVERIFY(store.DeleteSetting(u"favorites"_s, u"1"_s));
    QCOMPARE(store.GetSetting(u"Favorites"_s, u"1"_s, u"gone"_s), u"gone"_s);
    QCOMPARE(store.GetSetting(u"Favorites"_s, u"2"_s), u"c&d"_s);
    QCOMPARE(store.GetSetting(u"general"_s, u"Favorites"_s), u"True"_s);
    // Deleting what is not there changes nothing.
    QVERIFY(store.DeleteSetting(u"Favorites"_s, u"1"_s));
    QVERIFY(store.DeleteSetting(u"nosuch"_s, u"x"_s));
    QCOMPARE(store.GetAllSettings(u"Favorites"_s).size(), 1);
}

void tst_SettingsStore::handEditedFile()
{
    SettingsStore store(m_env->configHome());
    QDir().mkpath(QFileInfo(store.filePath()).path());
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("; edited by hand\r\n"
               "orphan=outside any section\r\n"
               "\r\n"
               "[general]\r\n"
               "language=English\r\n"
               "a line without an equals sign\r\n"
               "url=http://x/?a=1\r\n"
               "[GENERAL]\r\n"
               "WindowState=1");
    file.close();

    QCOMPARE(store.GetSetting(u"general"_s, u"language"_s), u"English"_s);
    QCOMPARE(store.GetSetting(u"general"_s, u"url"_s), u"http://x/?a=1"_s);
    QCOMPARE(store.GetSetting(u"general"_s, u"WindowState"_s), u"1"_s);
    QCOMPARE(store.GetSetting(u"general"_s, u"orphan"_s), QString());
    QCOMPARE(store.GetAllSettings(u"general"_s).size(), 3);

    // A write keeps what was there.
    QVERIFY(store.SaveSetting(u"general"_s, u"memMess"_s, u"False"_s));
    QCOMPARE(store.GetSetting(u"general"_s, u"language"_s), u"English"_s);
    QCOMPARE(store.GetSetting(u"general"_s, u"WindowState"_s), u"1"_s);
}

void tst_SettingsStore::untouchedLinesKeepTheirBytes()
{
    SettingsStore store(m_env->configHome());
    QDir().mkpath(QFileInfo(store.filePath()).path());
    // "Привет" in Windows-1251, written by hand: not UTF-8.
    const QByteArray ansiLine = "1=\xcf\xf0\xe8\xe2\xe5\xf2&http://x/";
    const QByteArray before = "; hand\r\n[general]\r\nlanguage = English\r\n\r\n[Favorites]\r\n"
                              + ansiLine + "\r\n2=b&http://b/";
    {
        QFile file(store.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    QCOMPARE(store.GetSetting(u"Favorites"_s, u"1"_s), u"Привет&http://x/"_s);

    QVERIFY(store.SaveSetting(u"general"_s, u"WindowState"_s, u"2"_s));
    QVERIFY(store.SaveSetting(u"Favorites"_s, u"2"_s, u"c&http://c/"_s));
    QVERIFY(store.SaveSetting(u"Favorites"_s, u"3"_s, u"d&http://d/"_s));
    QVERIFY(store.SaveSetting(u"Other"_s, u"k"_s, u"v"_s));
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(),
             "; hand\r\n[general]\r\nlanguage = English\r\nWindowState=2\r\n\r\n[Favorites]\r\n"
                 + ansiLine + "\r\n2=c&http://c/\r\n3=d&http://d/\r\n\r\n[Other]\r\nk=v\r\n");
    QCOMPARE(store.GetSetting(u"Favorites"_s, u"1"_s), u"Привет&http://x/"_s);

    // The changed line itself is written as UTF-8.
    QVERIFY(store.SaveSetting(u"favorites"_s, u"1"_s, u"Мир&http://x/"_s));
    SettingsStore other(m_env->configHome());
    QCOMPARE(other.GetSetting(u"Favorites"_s, u"1"_s), u"Мир&http://x/"_s);
    QCOMPARE(other.GetSetting(u"Favorites"_s, u"2"_s), u"c&http://c/"_s);
}

void tst_SettingsStore::changeInPlaceIsSeen()
{
    SettingsStore store(m_env->configHome());
    QVERIFY(store.SaveSetting(u"general"_s, u"language"_s, u"Russian"_s));
    QCOMPARE(store.GetSetting(u"general"_s, u"language"_s), u"Russian"_s);
    const QDateTime modified = QFileInfo(store.filePath()).lastModified();

    // Another program rewrites the file in place: same size, same time.
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    bytes.replace("Russian", "Rushian");
    QVERIFY(file.seek(0));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(store.GetSetting(u"general"_s, u"language"_s), u"Rushian"_s);
}

void tst_SettingsStore::readBool_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");

    QTest::newRow("True") << u"True"_s << false << true;
    QTest::newRow("False") << u"False"_s << true << false;
    QTest::newRow("case and blanks") << u" tRUE "_s << false << true;
    QTest::newRow("zero") << u"0"_s << true << false;
    QTest::newRow("minus one") << u"-1"_s << false << true;
    QTest::newRow("fraction") << u"0,5"_s << false << true;
    QTest::newRow("word") << u"yes"_s << true << true;
    QTest::newRow("word, other default") << u"yes"_s << false << false;
    QTest::newRow("empty") << QString() << true << true;
    QTest::newRow("nan") << u"nan"_s << false << false;
}

void tst_SettingsStore::readBool()
{
    QFETCH(QString, stored);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);

    SettingsStore store(m_env->configHome());
    QVERIFY(store.SaveSetting(u"general"_s, u"Favorites"_s, stored));
    QCOMPARE(readBoolSetting(store, u"general"_s, u"favorites"_s, defaultValue), expected);
}

void tst_SettingsStore::readNumber_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("expected");

    QTest::newRow("integer") << u"4512"_s << 4512.0;
    QTest::newRow("point") << u"1234.5"_s << 1234.5;
    QTest::newRow("comma") << u"1234,5"_s << 1234.5;
    QTest::newRow("negative") << u"-15"_s << -15.0;
    QTest::newRow("text") << u"wide"_s << -1.0;
    QTest::newRow("empty") << QString() << -1.0;
}

void tst_SettingsStore::readNumber()
{
    QFETCH(QString, stored);
    QFETCH(double, expected);

    SettingsStore store(m_env->configHome());
    QVERIFY(store.SaveSetting(u"general"_s, u"FavTop"_s, stored));
    QCOMPARE(readNumberSetting(store, u"general"_s, u"FavTop"_s, -1.0), expected);
}

void tst_SettingsStore::unwritableStoreFailsQuietly()
{
    // The application folder's place is taken by a plain file.
    const QString home = m_env->configHome();
    QFile blocker(home + u"/olk_Browser"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    SettingsStore store(home);
    QVERIFY(!store.SaveSetting(u"general"_s, u"language"_s, u"English"_s));
    QCOMPARE(store.GetSetting(u"general"_s, u"language"_s, u"Russian"_s), u"Russian"_s);
}

void tst_SettingsStore::anyLineEnd_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after"); // once k=v is added and WindowState set to 2
    QTest::newRow("LF") << QByteArray("[general]\nlanguage=English\nWindowState=0\n")
                        << QByteArray("[general]\nlanguage=English\nWindowState=2\nk=v\n");
    QTest::newRow("CR LF")
        << QByteArray("[general]\r\nlanguage=English\r\nWindowState=0\r\n")
        << QByteArray("[general]\r\nlanguage=English\r\nWindowState=2\r\nk=v\r\n");
    QTest::newRow("lone CR") << QByteArray("[general]\rlanguage=English\rWindowState=0\r")
                             << QByteArray("[general]\rlanguage=English\rWindowState=2\rk=v\r");
    QTest::newRow("lone CR, last line unended")
        << QByteArray("[general]\rlanguage=English\rWindowState=0")
        << QByteArray("[general]\rlanguage=English\rWindowState=2\rk=v\r");
    QTest::newRow("CR LF, last line unended")
        << QByteArray("[general]\r\nlanguage=English\r\nWindowState=0")
        << QByteArray("[general]\r\nlanguage=English\r\nWindowState=2\r\nk=v\r\n");
    QTest::newRow("mixed, ending in a lone CR")
        << QByteArray("[general]\r\nlanguage=English\nWindowState=0\r")
        << QByteArray("[general]\r\nlanguage=English\nWindowState=2\rk=v\r");
    QTest::newRow("mixed, CR LF split by a lone CR")
        << QByteArray("[general]\r\r\nlanguage=English\n\rWindowState=0\r\n")
        << QByteArray("[general]\r\r\nlanguage=English\n\rWindowState=2\r\nk=v\r\n");
}

void tst_SettingsStore::anyLineEnd()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    SettingsStore store(m_env->configHome());
    QDir().mkpath(QFileInfo(store.filePath()).path());
    {
        QFile file(store.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    QCOMPARE(store.GetSetting(u"general"_s, u"language"_s), u"English"_s);
    QCOMPARE(store.GetSetting(u"general"_s, u"WindowState"_s), u"0"_s);

    QVERIFY(store.SaveSetting(u"general"_s, u"k"_s, u"v"_s));
    QVERIFY(store.SaveSetting(u"general"_s, u"WindowState"_s, u"2"_s));
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), after);
    SettingsStore other(m_env->configHome());
    QCOMPARE(other.GetSetting(u"general"_s, u"language"_s), u"English"_s);
    QCOMPARE(other.GetSetting(u"general"_s, u"k"_s), u"v"_s);
    QCOMPARE(other.GetSetting(u"general"_s, u"WindowState"_s), u"2"_s);
    QCOMPARE(other.GetAllSettings(u"general"_s).size(), 3);
}

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
