// Qt's own buttons and dialogs in the language the program starts in.

#include "ProgramFixture.h"

#include "Program.h"
#include "QtTranslation.h"
#include "SettingsStore.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QLocale>
#include <QPushButton>
#include <QTest>

using velmora::QtTranslation;
using velmora::test::ProgramFixture;

namespace {

// A program over the fakes with the shipped language files, found in the
// source tree so the suite runs without ctest's environment too.
struct Run
{
    ProgramFixture fx{false};
    Run()
    {
        const QDir source(QStringLiteral(VELMORA_SHIPPED_DATA));
        for (const QString &name : source.entryList({QStringLiteral("*.lng")}, QDir::Files))
            QFile::copy(source.filePath(name), QDir(fx.env.programDir()).filePath(name));
    }
};

QString buttonText(QDialogButtonBox::StandardButton which)
{
    QDialogButtonBox box(which);
    return box.button(which)->text().remove(QLatin1Char('&'));
}

} // namespace

class tst_QtTranslation : public QObject
{
    Q_OBJECT

private slots:
    void localeCode_data();
    void localeCode();
    void standardButtonsSpeakTheStartLanguage_data();
    void standardButtonsSpeakTheStartLanguage();
    void translationLeavesWithTheProgram();
};

void tst_QtTranslation::localeCode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::newRow("Russian") << QStringLiteral("Russian") << QStringLiteral("ru");
    QTest::newRow("letter case of the list") << QStringLiteral("russian") << QStringLiteral("ru");
    QTest::newRow("German") << QStringLiteral("German") << QStringLiteral("de");
    QTest::newRow("English needs none") << QStringLiteral("English") << QString();
    QTest::newRow("unknown name") << QStringLiteral("Klingonish") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void tst_QtTranslation::localeCode()
{
    QFETCH(QString, name);
    QFETCH(QString, code);
    QCOMPARE(QtTranslation::localeCode(name), code);
}

void tst_QtTranslation::standardButtonsSpeakTheStartLanguage_data()
{
    QTest::addColumn<QString>("language"); // empty: the list's default
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("folder"); // the file dialog's Type column
    // The default locale, which the web engine takes for its own pages.
    QTest::addColumn<QString>("locale");
    QTest::newRow("default Russian") << QString() << QStringLiteral("Да")
                                     << QStringLiteral("Отмена") << QStringLiteral("Папка")
                                     << QStringLiteral("ru_RU");
    QTest::newRow("English") << QStringLiteral("English") << QStringLiteral("Yes")
                             << QStringLiteral("Cancel") << QStringLiteral("Folder")
                             << QStringLiteral("en_US");
}

void tst_QtTranslation::standardButtonsSpeakTheStartLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, yes);
    QFETCH(QString, cancel);
    QFETCH(QString, folder);
    QFETCH(QString, locale);
    Run run;
    ProgramFixture &fx = run.fx;
    if (!language.isEmpty())
        fx.program().settings().SaveSetting(QStringLiteral("general"),
                                            QStringLiteral("language"), language);
    fx.start();
    QCOMPARE(buttonText(QDialogButtonBox::Yes), yes);
    QCOMPARE(buttonText(QDialogButtonBox::Cancel), cancel);
    QCOMPARE(QFileIconProvider().type(QFileInfo(fx.env.programDir())), folder);
    QCOMPARE(QLocale().name(), locale);
    QCOMPARE(fx.program().qtTranslation().localeName(), locale);
}

void tst_QtTranslation::translationLeavesWithTheProgram()
{
    {
        Run run;
        ProgramFixture &fx = run.fx;
        fx.start();
        QCOMPARE(fx.program().qtTranslation().installed(), QStringLiteral("ru"));
        QCOMPARE(buttonText(QDialogButtonBox::No), QStringLiteral("Нет"));
    }
    QCOMPARE(buttonText(QDialogButtonBox::No), QStringLiteral("No"));
    QCOMPARE(QLocale(), QLocale::system());
}

QTEST_MAIN(tst_QtTranslation)
#include "tst_qttranslation.moc"
