// The main window's texts from the language files, and its language menu.

#include "ProgramFixture.h"

#include "FakeDialogs.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmOptions.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>

using velmora::mainwindow::frmMain;
using velmora::platform::MsgResult;
using velmora::test::ProgramFixture;

class tst_MainWindowLanguage : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void languageMenuFromList();
};

void tst_MainWindowLanguage::texts_data()
{
    QTest::addColumn<QString>("language"); // empty: the list's default
    QTest::addColumn<bool>("files");
    QTest::addColumn<QString>("newTab");
    QTest::addColumn<QString>("goLabel");
    QTest::addColumn<QString>("exitTitle");
    QTest::addColumn<QString>("helpFile");

    QTest::newRow("default is the first of the list")
        << QString() << true << QStringLiteral("&Новая вкладка") << QStringLiteral("Перейти")
        << QStringLiteral("Выход") << QStringLiteral("WTHELP.html");
    QTest::newRow("English") << QStringLiteral("English") << true
                             << QStringLiteral("&New tab") << QStringLiteral("Go")
                             << QStringLiteral("Exit") << QStringLiteral("WTHELPEn.html");
    // Without a file the window keeps the captions it was built with.
    QTest::newRow("missing file: compiled captions")
        << QStringLiteral("Deutsch") << true << QStringLiteral("&Новый")
        << QStringLiteral("Загрузить") << QString() << QStringLiteral("WTHELPDe.html");
    QTest::newRow("no language files at all")
        << QString() << false << QStringLiteral("&Новый") << QStringLiteral("Загрузить")
        << QString() << QString();
}

void tst_MainWindowLanguage::texts()
{
    QFETCH(QString, language);
    QFETCH(bool, files);
    QFETCH(QString, newTab);
    QFETCH(QString, goLabel);
    QFETCH(QString, exitTitle);
    QFETCH(QString, helpFile);

    ProgramFixture fx(files);
    if (!language.isEmpty())
        fx.program().settings().SaveSetting(QStringLiteral("general"),
                                            QStringLiteral("language"), language);
    frmMain &main = fx.start();
    QCOMPARE(main.mnuNew->text(), newTab);
    QCOMPARE(main.lblGo->text(), goLabel);
    const QString help = main.property("HelpFile").toString();
    QCOMPARE(help.isEmpty() ? QString() : help.section(QLatin1Char('/'), -1), helpFile);

    fx.program().optionFlags.conExit = true;
    fx.dialogs().answerMsgBox(MsgResult::No);
    main.close();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(fx.dialogs().msgCalls.first().title, exitTitle);
    if (!exitTitle.isEmpty())
        QVERIFY(main.windowTitle().endsWith(QStringLiteral(" - Velmora")));
}

void tst_MainWindowLanguage::languageMenuFromList()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QCOMPARE(main.mnulng.size(), size_t(2));
    QCOMPARE(main.mnulng[0]->text(), QStringLiteral("Russian"));
    QCOMPARE(main.mnulng[1]->text(), QStringLiteral("English"));
    QCOMPARE(main.mnuLanguage->actions().size(), 2);
}

QTEST_MAIN(tst_MainWindowLanguage)
#include "tst_mainwindow_language.moc"
