// The main window's own menu commands, over the fake controls and dialogs.

#include "ProgramFixture.h"
#include "TabRowReading.h"

#include "FakeDialogs.h"
#include "FakeInternetState.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmInternetOptions.h"
#include "frmOptions.h"
#include "frmPageProperties.h"

#include "Bar.h"
#include "TabstripP.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QToolBar>
#include <QUrl>

using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::platform::FakeDialogs;
using velmora::platform::FakeWebBrowser;
using velmora::platform::MsgButtons;
using velmora::platform::MsgIcon;
using velmora::platform::MsgResult;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::windows::frmInternetOptions;
using velmora::windows::frmPageProperties;
using ExecCall = QPair<int, int>;

namespace {

void trigger(frmMain &main, const char *name)
{
    QAction *item = main.actionNamed(QString::fromLatin1(name));
    QVERIFY2(item, name);
    item->trigger();
}

QString setting(ProgramFixture &fx, const char *key)
{
    return fx.program().settings().GetSetting(QStringLiteral("general"),
                                              QString::fromLatin1(key));
}

} // namespace

class tst_MainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void pageCommandsReachTheCurrentTab_data();
    void pageCommandsReachTheCurrentTab();
    void saveAsAsksForAFileAndSavesThePage_data();
    void saveAsAsksForAFileAndSavesThePage();
    void printUsesThePrinterOfThePageSetup();
    void propertiesShowTheFactsOfTheCurrentPage();
    void propertiesFailure_data();
    void propertiesFailure();
    void clipboardFollowsTheFocus_data();
    void clipboardFollowsTheFocus();
    void openLocalFile_data();
    void openLocalFile();
    void offlineToggle();
    void windowFilterRefusesNewWindows();
    void tabCatchRunsTheWindowFilter();
    void openInDesktopBrowserFlipsItsMark();
    void alwaysOnTop();
    void alwaysOnTopWhileHidden();
    void refresh();
    void stopAllSkipsClosedTabsAndTabZero();
    void allTabsOfflineAlternates();
    void languageChangeWritesTheSetting_data();
    void languageChangeWritesTheSetting();
    void exitAsksAndUnloads_data();
    void exitAsksAndUnloads();
    void helpOpensAnExistingHelpFile();
    void f1OpensTheShippedHelpOfTheLanguage_data();
    void f1OpensTheShippedHelpOfTheLanguage();
    void homePageOfTheProductInANewTab_data();
    void homePageOfTheProductInANewTab();
    void internetOptionsOpenOneDialog();
};

void tst_MainWindowCommands::pageCommandsReachTheCurrentTab_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("option");
    QTest::newRow("save as") << QStringLiteral("mnuSave") << 4 << 0;
    QTest::newRow("print") << QStringLiteral("mnuPrint_p") << 6 << 0;
    QTest::newRow("page setup") << QStringLiteral("mnuSetPrint") << 8 << 0;
    QTest::newRow("properties") << QStringLiteral("mnuProp") << 10 << 2;
}

void tst_MainWindowCommands::pageCommandsReachTheCurrentTab()
{
    QFETCH(QString, item);
    QFETCH(int, command);
    QFETCH(int, option);
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click();
    main.Tabstrip1->setValue(1);
    main.actionNamed(item)->trigger();
    QCOMPARE(fx.web(1)->calls.execWB, QList<ExecCall>{ExecCall(command, option)});
    QVERIFY(fx.web(2)->calls.execWB.isEmpty());
    QVERIFY(fx.web(0)->calls.execWB.isEmpty());
    QVERIFY(!main.crashSave);
}

void tst_MainWindowCommands::saveAsAsksForAFileAndSavesThePage_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("chosen") << QStringLiteral("/tmp/saved page.htm");
    QTest::newRow("cancelled") << QString();
}

void tst_MainWindowCommands::saveAsAsksForAFileAndSavesThePage()
{
    QFETCH(QString, answer);
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.web(1)->fakeNavigate(QStringLiteral("http://example.com/"), QStringLiteral("A: page?"));
    fx.dialogs().answerFile(answer);
    trigger(main, "mnuSave");
    QCOMPARE(fx.dialogs().fileCalls.size(), 1);
    const FakeDialogs::FileCall call = fx.dialogs().fileCalls.first();
    QCOMPARE(call.kind, FakeDialogs::FileKind::Save);
    // The dialog is named after the menu item, without its access key.
    QCOMPARE(call.title, QStringLiteral("Сохранить как"));
    // The suggested name is the page title made fit for a file name.
    QCOMPARE(call.dir, QStringLiteral("A_ page_.htm"));
    QCOMPARE(fx.web(1)->calls.savedPages,
             answer.isEmpty() ? QStringList() : QStringList{answer});
}

void tst_MainWindowCommands::printUsesThePrinterOfThePageSetup()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.dialogs().answerPrint(true);  // page setup
    fx.dialogs().answerPrint(false); // print, cancelled
    fx.dialogs().answerPrint(true);  // print
    trigger(main, "mnuSetPrint");
    trigger(main, "mnuPrint_p");
    QVERIFY(fx.web(1)->calls.prints.isEmpty());
    trigger(main, "mnuPrint_p");
    const auto &calls = fx.dialogs().printCalls;
    QCOMPARE(calls.size(), 3);
    QCOMPARE(calls.at(0).kind, FakeDialogs::PrintKind::PageSetup);
    QCOMPARE(calls.at(1).kind, FakeDialogs::PrintKind::Print);
    QCOMPARE(calls.at(2).kind, FakeDialogs::PrintKind::Print);
    // One printer for the whole run, so that the page setup holds for the print.
    QCOMPARE(calls.at(1).printer, calls.at(0).printer);
    QCOMPARE(fx.web(1)->calls.prints, QList<QPrinter *>{calls.at(0).printer});
}

void tst_MainWindowCommands::propertiesShowTheFactsOfTheCurrentPage()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click();
    fx.web(1)->fakeNavigate(QStringLiteral("http://other.example/"), QStringLiteral("Other"));
    fx.web(2)->fakeNavigate(QStringLiteral("https://example.com/a"), QStringLiteral("Example"));
    main.Tabstrip1->setValue(2);
    fx.web(2)->fakeFacts.mimeType = QStringLiteral("text/html");
    fx.web(2)->fakeFacts.size = 2048;
    fx.web(2)->fakeFacts.encrypted = true;
    fx.web(2)->fakeFacts.certificateRead = true;
    fx.web(2)->fakeFacts.certificate.subject = QStringLiteral("example.com");
    trigger(main, "mnuProp");
    auto *dialog = main.findChild<frmPageProperties *>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Свойства"));
    // What the control knows at once is there before its reading answers.
    using Row = frmPageProperties::Row;
    QCOMPARE(dialog->rowText(Row::Address), QStringLiteral("https://example.com/a"));
    QCOMPARE(dialog->rowText(Row::Title), QStringLiteral("Example"));
    QCOMPARE(dialog->rowText(Row::Type), QStringLiteral("читается…"));
    QTRY_COMPARE(dialog->rowText(Row::Type), QStringLiteral("text/html"));
    QCOMPARE(dialog->rowText(Row::Certificate), QStringLiteral("example.com"));
    QVERIFY(dialog->rowText(Row::Size).startsWith(QStringLiteral("2")));
    QCOMPARE(fx.web(1)->factReads, 0);
    // No message box stands in for the dialog.
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
}

void tst_MainWindowCommands::propertiesFailure_data()
{
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<QList<int>>("exitCodes");
    QTest::newRow("yes: the program ends") << MsgResult::Yes << QList<int>{0};
    QTest::newRow("no: the window goes on") << MsgResult::No << QList<int>{};
}

void tst_MainWindowCommands::propertiesFailure()
{
    QFETCH(MsgResult, answer);
    QFETCH(QList<int>, exitCodes);
    ProgramFixture fx;
    frmMain &main = fx.start();
    const auto &lang = fx.program().language();
    fx.web(1)->failingCommands = {10};
    fx.dialogs().answerMsgBox(MsgResult::OK);
    fx.dialogs().answerMsgBox(answer);
    trigger(main, "mnuProp");
    QVERIFY(main.crashSave);
    const auto &calls = fx.dialogs().msgCalls;
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls.at(0).text, lang.langText(12) + QStringLiteral("440") + lang.langText(13) +
                                   QStringLiteral("the control failed the command"));
    QCOMPARE(calls.at(0).icon, MsgIcon::Critical);
    QCOMPARE(calls.at(0).title, lang.langText(14));
    QCOMPARE(calls.at(1).text, lang.langText(15));
    QCOMPARE(calls.at(1).buttons, MsgButtons::YesNo);
    QCOMPARE(calls.at(1).icon, MsgIcon::Critical);
    QCOMPARE(calls.at(1).title, lang.langText(16));
    QCOMPARE(fx.system().exitCodes, exitCodes);
    // The ordinary unload does not run on the way out.
    QVERIFY(!main.unloading);
}

void tst_MainWindowCommands::clipboardFollowsTheFocus_data()
{
    QTest::addColumn<int>("focusOwner");
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("text");     // address text afterwards
    QTest::addColumn<QString>("clipboard"); // clipboard afterwards
    QTest::addColumn<int>("afterStart");   // selection afterwards (-1: none)
    QTest::addColumn<int>("afterLength");
    QTest::addColumn<QList<ExecCall>>("execWB");

    // The address bar holds "http://example.com/page"; the clipboard "ya.ru".
    const QString address = QStringLiteral("http://example.com/page");
    const QString clip = QStringLiteral("ya.ru");
    const QList<ExecCall> none;
    QTest::newRow("copy from the address bar")
        << 1 << "mnuCopy" << 7 << 11 << address << "example.com" << 7 << 11 << none;
    QTest::newRow("cut from the address bar")
        << 1 << "mnuCut" << 7 << 11 << "http:///page" << "example.com" << -1 << 0 << none;
    QTest::newRow("cut without a selection")
        << 1 << "mnuCut" << 5 << 0 << address << "" << -1 << 0 << none;
    QTest::newRow("paste over a selection")
        << 1 << "mnuPaste" << 7 << 11 << "http://ya.ru/page" << clip << 7 << 5 << none;
    QTest::newRow("paste at the caret")
        << 1 << "mnuPaste" << 0 << 0 << "ya.ruhttp://example.com/page" << clip << 0 << 5 << none;
    QTest::newRow("select all in the address bar")
        << 1 << "mnuSelAll" << 3 << 0 << address << clip << 0 << int(address.size()) << none;
    const struct
    {
        const char *item;
        int command;
    } pageRows[] = {{"mnuCut", 11}, {"mnuCopy", 12}, {"mnuPaste", 13}, {"mnuSelAll", 17}};
    for (const auto &row : pageRows) {
        QTest::addRow("page: %s", row.item) << 2 << row.item << 7 << 11 << address << clip << 7
                                            << 11 << QList<ExecCall>{{row.command, 0}};
    }
    for (int owner : {3, 4, 5, 6, 8}) {
        for (const char *item : {"mnuCopy", "mnuCut", "mnuPaste"}) {
            QTest::addRow("focus %d: %s does nothing", owner, item)
                << owner << item << 7 << 11 << address << clip << 7 << 11 << none;
        }
    }
}

void tst_MainWindowCommands::clipboardFollowsTheFocus()
{
    QFETCH(int, focusOwner);
    QFETCH(QString, item);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, text);
    QFETCH(QString, clipboard);
    QFETCH(int, afterStart);
    QFETCH(int, afterLength);
    QFETCH(QList<ExecCall>, execWB);
    ProgramFixture fx;
    frmMain &main = fx.start();
    QLineEdit *edit = main.Combo1->lineEdit();
    edit->setText(QStringLiteral("http://example.com/page"));
    if (selLength > 0)
        edit->setSelection(selStart, selLength);
    else
        edit->setCursorPosition(selStart);
    QGuiApplication::clipboard()->setText(QStringLiteral("ya.ru"));
    main.FocusOwner = focusOwner;
    main.actionNamed(item)->trigger();
    QCOMPARE(main.Combo1->currentText(), text);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    if (afterStart >= 0) {
        QCOMPARE(edit->selectionStart(), afterStart);
        QCOMPARE(int(edit->selectedText().size()), afterLength);
    }
    QCOMPARE(fx.web(1)->calls.execWB, execWB);
}

void tst_MainWindowCommands::openLocalFile_data()
{
    QTest::addColumn<bool>("withLanguage");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    const QString langTitle = QStringLiteral("Открыть файл - Velmora");
    const QString langFilter = QStringLiteral("Документы HTML (*.htm *.html);;Все файлы (*)");
    QTest::newRow("chosen") << true << QStringLiteral("/tmp/page.html") << langTitle
                            << langFilter;
    QTest::newRow("cancelled") << true << QString() << langTitle << langFilter;
    QTest::newRow("no language: the window's own texts")
        << false << QStringLiteral("/tmp/page.html") << QStringLiteral("Открыть файл Velmora")
        << QStringLiteral("HTM,HTML докумнты|*.htm;*.html|Все файлы|*.*");
}

void tst_MainWindowCommands::openLocalFile()
{
    QFETCH(bool, withLanguage);
    QFETCH(QString, answer);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    ProgramFixture fx(withLanguage);
    frmMain &main = fx.start();
    const QStringList before = fx.web(1)->calls.navigations;
    fx.dialogs().answerFile(answer);
    trigger(main, "mnuOpen");
    QCOMPARE(fx.dialogs().fileCalls.size(), 1);
    QCOMPARE(fx.dialogs().fileCalls.first().kind, FakeDialogs::FileKind::Open);
    QCOMPARE(fx.dialogs().fileCalls.first().title, title);
    QCOMPARE(fx.dialogs().fileCalls.first().filter, filter);
    QStringList expected = before;
    if (!answer.isEmpty())
        expected << answer;
    QCOMPARE(fx.web(1)->calls.navigations, expected);
}

void tst_MainWindowCommands::offlineToggle()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.internet().setOfflineCalls.clear();
    for (bool offline : {true, false}) {
        trigger(main, "mnuOffline");
        QCOMPARE(fx.internet().offline, offline);
        QCOMPARE(main.Check1->isChecked(), offline);
        QCOMPARE(main.mnuOffline->isChecked(), offline);
    }
    QCOMPARE(fx.internet().setOfflineCalls, (QList<bool>{true, false}));

    // Changed elsewhere: the toggle starts from the global state, not the mark.
    fx.internet().offline = true;
    trigger(main, "mnuOffline");
    QVERIFY(!fx.internet().offline);
    QVERIFY(!main.Check1->isChecked());
    QVERIFY(!main.mnuOffline->isChecked());
}

void tst_MainWindowCommands::windowFilterRefusesNewWindows()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QVERIFY(!main.Check3->isChecked());
    trigger(main, "mnuWinCatch");
    QVERIFY(main.Check3->isChecked());
    QVERIFY(main.mnuWinCatch->isChecked());
    QVERIFY(!main.Check2->isChecked());
    QVERIFY(!fx.web(1)->fakeOpenWindow(QStringLiteral("http://example.com/popup")));
    QCOMPARE(openTabs(main), QList<int>{1});

    trigger(main, "mnuWinCatch");
    QVERIFY(!main.Check3->isChecked());
    QVERIFY(!main.mnuWinCatch->isChecked());
    QVERIFY(fx.web(1)->fakeOpenWindow(QStringLiteral("http://example.com/popup")));
    QCOMPARE(openTabs(main), (QList<int>{1, 2}));

    // The box changed from anywhere carries the menu mark with it.
    main.Check3->setChecked(true);
    QVERIFY(main.mnuWinCatch->isChecked());
}

void tst_MainWindowCommands::tabCatchRunsTheWindowFilter()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    trigger(main, "mnuTabCatch");
    QVERIFY(main.Check3->isChecked());
    QVERIFY(main.mnuWinCatch->isChecked());
    QVERIFY(!main.Check2->isChecked());
    // Its own mark is not its state: it stays as the load left it.
    QVERIFY(!main.mnuTabCatch->isChecked());
    trigger(main, "mnuTabCatch");
    QVERIFY(!main.Check3->isChecked());
    QVERIFY(!main.mnuTabCatch->isChecked());
}

void tst_MainWindowCommands::openInDesktopBrowserFlipsItsMark()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QVERIFY(!main.mnuIE->isChecked());
    trigger(main, "mnuIE");
    QVERIFY(main.mnuIE->isChecked());
    trigger(main, "mnuIE");
    QVERIFY(!main.mnuIE->isChecked());
}

void tst_MainWindowCommands::alwaysOnTop()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QVERIFY(main.isVisible());
    trigger(main, "mnuTop");
    QVERIFY(main.mnuTop->isChecked());
    QVERIFY(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(main.isVisible());
    trigger(main, "mnuTop");
    QVERIFY(!main.mnuTop->isChecked());
    QVERIFY(!main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(main.isVisible());
}

void tst_MainWindowCommands::alwaysOnTopWhileHidden()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.hide();
    trigger(main, "mnuTop");
    QVERIFY(main.mnuTop->isChecked());
    QVERIFY(!main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    main.show();
    trigger(main, "mnuTop"); // unticked
    trigger(main, "mnuTop"); // ticked, visible
    QVERIFY(main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    main.hide();
    trigger(main, "mnuTop");
    QVERIFY(!main.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // Unticking does not bring a hidden window back.
    QVERIFY(!main.isVisible());
}

void tst_MainWindowCommands::refresh()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.Bar1->setVisible(false);
    FakeWebBrowser *page = fx.web(1);
    page->setSilent(false);
    const int stops = page->calls.stops;
    // The state the reload meets, before the page's own events change it.
    QList<bool> silentAtReload;
    QList<int> stopsAtReload;
    connect(page, &FakeWebBrowser::ProgressChange, this, [&](int progress, int) {
        if (progress == 0 && silentAtReload.isEmpty()) {
            silentAtReload << page->Silent();
            stopsAtReload << page->calls.stops - stops;
        }
    });
    trigger(main, "mnuRefresh");
    QVERIFY(main.Bar1->isVisibleTo(&main));
    QCOMPARE(page->calls.refreshes, 1);
    QCOMPARE(silentAtReload, QList<bool>{true});
    QCOMPARE(stopsAtReload, QList<int>{1});
}

void tst_MainWindowCommands::stopAllSkipsClosedTabsAndTabZero()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click();
    main.cmdNew_Click();
    main.Tabstrip1->setValue(2);
    main.cmdClose_Click();
    QCOMPARE(openTabs(main), (QList<int>{1, 3}));
    QList<int> before;
    for (int i = 0; i < 4; ++i)
        before << fx.web(i)->calls.stops;
    trigger(main, "mnuStopAll");
    QList<int> after;
    for (int i = 0; i < 4; ++i)
        after << fx.web(i)->calls.stops - before.at(i);
    QCOMPARE(after, (QList<int>{0, 1, 0, 1}));
}

void tst_MainWindowCommands::allTabsOfflineAlternates()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click();
    main.cmdNew_Click();
    main.Tabstrip1->setValue(2);
    main.cmdClose_Click();
    const auto &lang = fx.program().language();
    QAction *item = main.actionNamed(QStringLiteral("wOffLineToAll"));
    QCOMPARE(item->text(), lang.langText(17));
    for (bool offline : {true, false}) {
        item->trigger();
        // Every tab, closed ones and tab 0 included.
        for (int i = 0; i < 4; ++i)
            QCOMPARE(fx.web(i)->Offline(), offline);
        QCOMPARE(item->text(), lang.langText(offline ? 18 : 17));
    }
    // A caption of neither kind sets every tab online and stays.
    item->setText(QStringLiteral("x"));
    fx.web(1)->setOffline(true);
    item->trigger();
    QVERIFY(!fx.web(1)->Offline());
    QCOMPARE(item->text(), QStringLiteral("x"));
}

void tst_MainWindowCommands::languageChangeWritesTheSetting_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("language");
    QTest::newRow("the current one") << 0 << QStringLiteral("Russian");
    QTest::newRow("another") << 1 << QStringLiteral("English");
}

void tst_MainWindowCommands::languageChangeWritesTheSetting()
{
    QFETCH(int, index);
    QFETCH(QString, language);
    ProgramFixture fx;
    frmMain &main = fx.start();
    QCOMPARE(int(main.mnulng.size()), 2);
    const QString captionBefore = main.windowTitle();
    main.mnulng.at(size_t(index))->trigger();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    const FakeDialogs::MsgCall call = fx.dialogs().msgCalls.first();
    QCOMPARE(call.text, QStringLiteral("The language will be changed after next restart\r\n"
                                       "Язык программы будет изменён только после её перезапуска"));
    QCOMPARE(call.icon, MsgIcon::Information);
    QCOMPARE(call.title, QStringLiteral("Language"));
    QCOMPARE(setting(fx, "language"), language);
    // Nothing else changes until the next start.
    QCOMPARE(main.windowTitle(), captionBefore);
    QCOMPARE(fx.program().language().langText(5), QStringLiteral("Velmora"));
}

void tst_MainWindowCommands::exitAsksAndUnloads_data()
{
    QTest::addColumn<bool>("conExit");
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<bool>("unloads");
    QTest::newRow("asked, yes") << true << MsgResult::Yes << true;
    QTest::newRow("asked, no") << true << MsgResult::No << false;
    QTest::newRow("not asked") << false << MsgResult::No << true;
}

void tst_MainWindowCommands::exitAsksAndUnloads()
{
    QFETCH(bool, conExit);
    QFETCH(MsgResult, answer);
    QFETCH(bool, unloads);
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.program().optionFlags.conExit = conExit;
    fx.dialogs().answerMsgBox(answer);
    trigger(main, "mnuExit");
    QCOMPARE(fx.dialogs().msgCalls.size(), conExit ? 1 : 0);
    if (conExit)
        QCOMPARE(fx.dialogs().msgCalls.first().text, fx.program().language().langText(0));
    QCOMPARE(main.exiting, unloads);
    QCOMPARE(main.unloading, unloads);
    QCOMPARE(main.tmrUnload->isActive(), unloads);
    QCOMPARE(main.isVisible(), !unloads);
}

void tst_MainWindowCommands::helpOpensAnExistingHelpFile()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("help.html"));
    main.cdlOpen->setProperty("HelpFile", file);
    trigger(main, "mnuCallHelp");
    QCOMPARE(openTabs(main), QList<int>{1});

    QFile help(file);
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();
    trigger(main, "mnuCallHelp");
    // A page in a new tab, not another program.
    QCOMPARE(openTabs(main), (QList<int>{1, 2}));
    QCOMPARE(main.currentTabNumber(), 2);
    QCOMPARE(fx.web(2)->calls.navigations.last(), QUrl::fromLocalFile(file).toString());
    QVERIFY(fx.system().openedInSystemBrowser.isEmpty());
}

void tst_MainWindowCommands::f1OpensTheShippedHelpOfTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("title");
    QTest::newRow("Russian") << QStringLiteral("Russian") << QStringLiteral("help.html")
                             << QByteArray("<title>Справка Velmora</title>");
    QTest::newRow("English") << QStringLiteral("English") << QStringLiteral("helpEn.html")
                             << QByteArray("<title>Velmora help</title>");
}

void tst_MainWindowCommands::f1OpensTheShippedHelpOfTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, file);
    QFETCH(QByteArray, title);
    ProgramFixture fx;
    // The shipped help files beside the language files.
    const QDir shipped(qEnvironmentVariable("VELMORA_SOURCE_DATA"));
    for (const QString &name : shipped.entryList({QStringLiteral("*.html")}, QDir::Files))
        QVERIFY(QFile::copy(shipped.filePath(name), QDir(fx.env.programDir()).filePath(name)));
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        language);
    frmMain &main = fx.start();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(&main, Qt::Key_F1);

    QCOMPARE(openTabs(main), (QList<int>{1, 2}));
    const QString path = QDir(fx.env.programDir()).filePath(file);
    QCOMPARE(fx.web(2)->calls.navigations.last(), QUrl::fromLocalFile(path).toString());
    QFile help(path);
    QVERIFY(help.open(QIODevice::ReadOnly));
    QVERIFY(help.readAll().contains(title));
}

void tst_MainWindowCommands::homePageOfTheProductInANewTab_data()
{
    QTest::addColumn<QString>("siteURL");  // the build's product page
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("helpFiles"); // in the program folder
    QTest::addColumn<QString>("opened");  // a help file's about section, or an address
    QTest::newRow("the build's page") << u"http://velmora.test/"_s << u"Russian"_s
                                      << QStringList{u"help.html"_s} << u"http://velmora.test/"_s;
    // No page of ours: the help says what the program is, in the interface language.
    QTest::newRow("no page, Russian") << QString() << u"Russian"_s
                                      << QStringList{u"help.html"_s, u"helpEn.html"_s}
                                      << u"help.html"_s;
    QTest::newRow("no page, English") << QString() << u"English"_s
                                      << QStringList{u"help.html"_s, u"helpEn.html"_s}
                                      << u"helpEn.html"_s;
    QTest::newRow("no page, no help in the language")
        << QString() << u"English"_s << QStringList{u"help.html"_s} << u"help.html"_s;
}

void tst_MainWindowCommands::homePageOfTheProductInANewTab()
{
    QFETCH(QString, siteURL);
    QFETCH(QString, language);
    QFETCH(QStringList, helpFiles);
    QFETCH(QString, opened);
    ProgramFixture fx;
    for (const QString &name : helpFiles)
        fx.env.writeProgramFile(name, "<h2 id=\"about\">" + name.toLatin1() + "</h2>");
    fx.program().settings().SaveSetting(u"general"_s, u"language"_s, language);
    frmMain &main = fx.start();
    fx.program().siteURL = siteURL;
    trigger(main, "mnuHPage");
    QCOMPARE(openTabs(main), (QList<int>{1, 2}));
    QCOMPARE(main.currentTabNumber(), 2);
    const QString expected = opened.startsWith(u"http"_s)
                                 ? opened
                                 : QUrl::fromLocalFile(QDir(fx.env.programDir()).filePath(opened))
                                           .toString()
                                       + u"#about"_s;
    QCOMPARE(fx.web(2)->calls.navigations.last(), expected);
}

void tst_MainWindowCommands::internetOptionsOpenOneDialog()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    QAction *item = main.actionNamed(QStringLiteral("mnuIECpl"));
    QVERIFY(item->isVisible());
    QVERIFY(item->isEnabled());
    QVERIFY(!item->text().isEmpty());
    trigger(main, "mnuIECpl");
    trigger(main, "mnuIECpl");
    const auto dialogs = main.findChildren<frmInternetOptions *>();
    QCOMPARE(dialogs.size(), 1);
    QVERIFY(dialogs.first()->isVisible());
    QCOMPARE(dialogs.first()->windowTitle(), QStringLiteral("Свойства обозревателя"));
    // Closed, it goes; the item opens a fresh one.
    dialogs.first()->reject();
    QTRY_VERIFY(main.findChildren<frmInternetOptions *>().isEmpty());
    trigger(main, "mnuIECpl");
    QCOMPARE(main.findChildren<frmInternetOptions *>().size(), 1);
    QVERIFY(main.findChild<frmInternetOptions *>()->isVisible());
}

QTEST_MAIN(tst_MainWindowCommands)
#include "tst_mainwindow_commands.moc"
