// The options window: what it shows, what Apply stores, and its texts.

#include "ProgramFixture.h"

#include "FakeWebBrowser.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmHW.h"
#include "frmMain.h"
#include "frmOptions.h"
#include "frmRemove.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QWhatsThis>

#include <algorithm>

using velmora::mainwindow::frmMain;
using velmora::Program;
using velmora::test::ProgramFixture;
using velmora::windows::frmOptions;

namespace {

const QByteArray yes("#TRUE#\r\n");
const QByteArray no("#FALSE#\r\n");
const QStringList flagFiles = {QStringLiteral("web_nw.dat"), QStringLiteral("exit.dat"),
                               QStringLiteral("mode.dat")};

// Opens the window from the main window's menu, as the user does.
frmOptions &openOptions(ProgramFixture &fx)
{
    fx.main().actionNamed(QStringLiteral("mnuOptions"))->trigger();
    return fx.program().options();
}

// Which button of each pair is selected: "Y", "N" or "-" for neither.
QString selection(const frmOptions &w)
{
    auto pair = [](const QRadioButton *yes, const QRadioButton *no) {
        return yes->isChecked() ? u'Y' : no->isChecked() ? u'N' : u'-';
    };
    return QString(pair(w.Option2, w.Option1)) + pair(w.Option3, w.Option4)
           + pair(w.Option5, w.Option6);
}

QString flags(const Program::OptionFlags &f)
{
    auto yn = [](bool b) { return b ? u'Y' : u'N'; };
    return QString(yn(f.opNW)) + yn(f.conExit) + yn(f.save_mode);
}

QByteArray storedFiles(ProgramFixture &fx)
{
    QByteArray all = fx.env.readProgramFile(QStringLiteral("home.dat"));
    for (const QString &name : flagFiles)
        all += fx.env.readProgramFile(name);
    return all;
}

} // namespace

class tst_OptionsWindow : public QObject
{
    Q_OBJECT

private slots:
    void loadShowsStoredValues_data();
    void loadShowsStoredValues();
    void startReadsFlagsWithoutTheWindow_data() { loadShowsStoredValues_data(); }
    void startReadsFlagsWithoutTheWindow();
    void editsEnableApply_data();
    void editsEnableApply();
    void applyStoresExactBytes_data();
    void applyStoresExactBytes();
    void fieldButtonsStoreNothing_data();
    void fieldButtonsStoreNothing();
    void cancelDiscards_data();
    void cancelDiscards();
    void languageTexts_data();
    void languageTexts();
    void extraSentenceAddedOnce();
    void helpTooltips();
    void whatsThisHelp_data();
    void whatsThisHelp();
    void opensHotWords();
    void opensHistoryEditor();
};

void tst_OptionsWindow::loadShowsStoredValues_data()
{
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QList<QByteArray>>("files"); // web_nw, exit, mode; empty: missing
    QTest::addColumn<QString>("shownHome");
    QTest::addColumn<QString>("shown");

    QTest::newRow("all no") << QByteArray("\"http://home/\"\r\n") << QList<QByteArray>{no, no, no}
                            << QStringLiteral("http://home/") << QStringLiteral("NNN");
    QTest::newRow("mixed") << QByteArray("\"http://h/\"\r\n") << QList<QByteArray>{yes, no, yes}
                           << QStringLiteral("http://h/") << QStringLiteral("YNY");
    QTest::newRow("mode only") << QByteArray("\"x\"\r\n") << QList<QByteArray>{yes, yes, no}
                               << QStringLiteral("x") << QStringLiteral("YYN");
    // Unreadable values fall back to the defaults (and the files are mended).
    QTest::newRow("missing and broken")
        << QByteArray("\"\"\r\n") << QList<QByteArray>{QByteArray(), "maybe\r\n", QByteArray()}
        << QStringLiteral("about:blank") << QStringLiteral("YYY");
}

void tst_OptionsWindow::startReadsFlagsWithoutTheWindow()
{
    QFETCH(QByteArray, home);
    QFETCH(QList<QByteArray>, files);
    QFETCH(QString, shown);
    ProgramFixture fx;
    fx.env.writeProgramFile(QStringLiteral("home.dat"), home);
    for (int i = 0; i < 3; ++i) {
        if (!files[i].isNull())
            fx.env.writeProgramFile(flagFiles[i], files[i]);
    }
    fx.start();
    QCOMPARE(flags(fx.program().optionFlags), shown);
    // Built when the user first opens it, not at the start.
    QVERIFY(!fx.program().loadedWindow<frmOptions>());
}

void tst_OptionsWindow::loadShowsStoredValues()
{
    QFETCH(QByteArray, home);
    QFETCH(QList<QByteArray>, files);
    QFETCH(QString, shownHome);
    QFETCH(QString, shown);

    ProgramFixture fx;
    fx.start();
    // Written after the start, so only the window's own load can see them.
    fx.env.writeProgramFile(QStringLiteral("home.dat"), home);
    for (int i = 0; i < 3; ++i) {
        const QString path = fx.env.programDir() + u'/' + flagFiles[i];
        if (files[i].isNull())
            QFile::remove(path);
        else
            fx.env.writeProgramFile(flagFiles[i], files[i]);
    }
    Program::OptionFlags &f = fx.program().optionFlags;
    // The opposite of what the files hold, so the load must set every flag.
    f.opNW = shown[0] != u'Y';
    f.conExit = shown[1] != u'Y';
    f.save_mode = shown[2] != u'Y';
    frmOptions &w = fx.program().options();

    openOptions(fx);
    QVERIFY(w.isVisible());
    QVERIFY(w.manual);
    QCOMPARE(w.txtHUrl->text(), shownHome);
    QCOMPARE(selection(w), shown);
    QCOMPARE(flags(fx.program().optionFlags), shown);
    QVERIFY(!w.cmdApply->isEnabled());
    for (int i = 0; i < 3; ++i) {
        if (files[i] != no)
            QCOMPARE(fx.env.readProgramFile(flagFiles[i]), yes);
    }
}

void tst_OptionsWindow::editsEnableApply_data()
{
    QTest::addColumn<QString>("flagFile"); // "" keeps the defaults
    QTest::addColumn<QString>("control");

    // Each button, the selected one of its pair included.
    for (int i = 1; i <= 6; ++i) {
        const QString name = u"Option" + QString::number(i);
        QTest::addRow("%s", qPrintable(name)) << QString() << name;
    }
    QTest::newRow("Option1 when selected") << QStringLiteral("web_nw.dat")
                                           << QStringLiteral("Option1");
    QTest::newRow("typing the home page") << QString() << QStringLiteral("txtHUrl");
}

void tst_OptionsWindow::editsEnableApply()
{
    QFETCH(QString, flagFile);
    QFETCH(QString, control);

    ProgramFixture fx;
    fx.start();
    if (!flagFile.isEmpty())
        fx.env.writeProgramFile(flagFile, no);
    frmOptions &w = openOptions(fx);
    QVERIFY(!w.cmdApply->isEnabled());
    if (control == u"txtHUrl")
        QTest::keyClicks(w.txtHUrl, QStringLiteral("x"));
    else
        QTest::mouseClick(w.findChild<QRadioButton *>(control), Qt::LeftButton);
    QVERIFY(w.cmdApply->isEnabled());
    // Nothing is stored by the edit itself.
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("home.dat")),
             QByteArray("\"about:blank\"\r\n"));
}

void tst_OptionsWindow::applyStoresExactBytes_data()
{
    QTest::addColumn<QByteArray>("before"); // every flag file
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("pick"); // Y/N per option, as selection()
    QTest::addColumn<bool>("viaOk");
    QTest::addColumn<QByteArray>("homeBytes");

    QTest::newRow("apply: all no, a quote in the address")
        << yes << QStringLiteral("http://a\"b/") << QStringLiteral("NNN") << false
        << QByteArray("\"http://a\"b/\"\r\n");
    QTest::newRow("apply: all yes") << no << QStringLiteral("about:blank")
                                    << QStringLiteral("YYY") << false
                                    << QByteArray("\"about:blank\"\r\n");
    QTest::newRow("OK: mixed, Cyrillic") << yes << QStringLiteral("http://сайт.рф/")
                                         << QStringLiteral("NYN") << true
                                         << QByteArray("\"http://\xF1\xE0\xE9\xF2.\xF0\xF4/\"\r\n");
    QTest::newRow("OK: empty address is stored as it is")
        << no << QString() << QStringLiteral("YNY") << true << QByteArray("\"\"\r\n");
}

void tst_OptionsWindow::applyStoresExactBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, home);
    QFETCH(QString, pick);
    QFETCH(bool, viaOk);
    QFETCH(QByteArray, homeBytes);

    ProgramFixture fx;
    fx.start();
    for (const QString &name : flagFiles)
        fx.env.writeProgramFile(name, before);
    frmOptions &w = openOptions(fx);

    w.txtHUrl->setText(home);
    const QList<QPair<QRadioButton *, QRadioButton *>> pairs = {
        {w.Option2, w.Option1}, {w.Option3, w.Option4}, {w.Option5, w.Option6}};
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(pick[i] == u'Y' ? pairs[i].first : pairs[i].second, Qt::LeftButton);
    QVERIFY(w.cmdApply->isEnabled());

    QTest::mouseClick(viaOk ? w.cmdOk : w.cmdApply, Qt::LeftButton);

    QCOMPARE(fx.env.readProgramFile(QStringLiteral("home.dat")), homeBytes);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(fx.env.readProgramFile(flagFiles[i]), pick[i] == u'Y' ? yes : no);
    QCOMPARE(flags(fx.program().optionFlags), pick);
    QVERIFY(!w.cmdApply->isEnabled());
    QCOMPARE(w.isVisible(), !viaOk);
}

void tst_OptionsWindow::fieldButtonsStoreNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("expected"); // "@page": the current tab's address

    QTest::newRow("blank") << QStringLiteral("cmdBlank") << QStringLiteral("about:blank");
    QTest::newRow("current") << QStringLiteral("cmdCurrent") << QStringLiteral("@page");
    QTest::newRow("reset") << QStringLiteral("cmdReset") << QStringLiteral("http://stored/");
}

void tst_OptionsWindow::fieldButtonsStoreNothing()
{
    QFETCH(QString, button);
    QFETCH(QString, expected);

    ProgramFixture fx;
    frmMain &main = fx.start(QStringLiteral("http://first/"));
    main.cmdNew_Click();
    fx.web(main.currentTabNumber())->Navigate2(QStringLiteral("http://second/page"));
    const QString page = main.web(main.currentTabNumber())->LocationURL();
    QVERIFY(page.contains(u"second"));

    fx.env.writeProgramFile(QStringLiteral("home.dat"), "\"http://stored/\"\r\n");
    frmOptions &w = openOptions(fx);
    w.txtHUrl->setText(QStringLiteral("typed"));
    QTest::mouseClick(w.findChild<QPushButton *>(button), Qt::LeftButton);

    QCOMPARE(w.txtHUrl->text(), expected == u"@page" ? page : expected);
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("home.dat")),
             QByteArray("\"http://stored/\"\r\n"));
}

void tst_OptionsWindow::cancelDiscards_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel") << false;
    QTest::newRow("close box") << true;
}

void tst_OptionsWindow::cancelDiscards()
{
    QFETCH(bool, closeBox);

    ProgramFixture fx;
    fx.start();
    fx.env.writeProgramFile(QStringLiteral("home.dat"), "\"http://kept/\"\r\n");
    frmOptions &w = openOptions(fx);
    const QByteArray before = storedFiles(fx);

    w.txtHUrl->setText(QStringLiteral("http://dropped/"));
    QTest::mouseClick(w.Option1, Qt::LeftButton);
    QTest::mouseClick(w.Option4, Qt::LeftButton);
    QTest::mouseClick(w.Option6, Qt::LeftButton);
    if (closeBox)
        w.close();
    else
        QTest::mouseClick(w.cmdCancel, Qt::LeftButton);

    QVERIFY(!w.isVisible());
    QCOMPARE(storedFiles(fx), before);
    QCOMPARE(flags(fx.program().optionFlags), QStringLiteral("YYY"));
    if (closeBox)
        QVERIFY(!w.cmdApply->isEnabled());

    // The next opening shows the stored values again.
    openOptions(fx);
    QCOMPARE(w.txtHUrl->text(), QStringLiteral("http://kept/"));
    QCOMPARE(selection(w), QStringLiteral("YYY"));
    QVERIFY(!w.cmdApply->isEnabled());
}

void tst_OptionsWindow::languageTexts_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("apply");
    QTest::addColumn<bool>("realigned");

    QTest::newRow("English") << QStringLiteral("English") << QStringLiteral("Options")
                             << QStringLiteral("Apply") << true;
    QTest::newRow("Russian") << QStringLiteral("Russian") << QStringLiteral("Настройки")
                             << QStringLiteral("Применить") << false;
}

void tst_OptionsWindow::languageTexts()
{
    QFETCH(QString, language);
    QFETCH(QString, title);
    QFETCH(QString, apply);
    QFETCH(bool, realigned);

    ProgramFixture fx;
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        language);
    fx.start();
    frmOptions &w = openOptions(fx);
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(w.cmdApply->text(), apply);

    // Pixels at 15 twips a pixel: English moves these; Russian keeps the
    // window's own layout. Rows of the window itself may then move down to
    // make room for longer texts, so only their left edges and their order
    // are fixed; the controls inside the frames keep their places.
    struct Place
    {
        QWidget *control;
        int englishX, englishY, ownX, ownY;
    };
    const QList<Place> places = {
        {w.lblRemove, 8, 12, 8, 8},      {w.cmdRemove, 144, 43, 144, 48},
        {w.lblHW, 8, 79, 8, 80},         {w.cmdSetHW, 88, 97, 88, 100},
        {w.lblConfExit, 8, 160, 8, 172}, {w.Option3, 8, 8, 8, 10},
        {w.Option4, 52, 8, 52, 10},      {w.Option5, 77, 10, 8, 10},
        {w.Option6, 169, 10, 152, 10},
    };
    for (const Place &p : places) {
        const QPoint expected = realigned ? QPoint(p.englishX, p.englishY)
                                          : QPoint(p.ownX, p.ownY);
        // The Russian standard mode's caption is longer than its design
        // width: the button after it moves on.
        if (p.control != w.Option6 || realigned)
            QVERIFY2(p.control->x() == expected.x(), qPrintable(p.control->objectName()));
        if (p.control->parentWidget() != &w)
            QVERIFY2(p.control->y() == expected.y(), qPrintable(p.control->objectName()));
    }
    QVERIFY(w.Option6->x() > w.Option5->geometry().right());
    // Top to bottom, each below the one before.
    const QList<QWidget *> column = {w.lblRemove, w.cmdRemove, w.lblHW, w.cmdSetHW,
                                     w.lblConfExit, w.lblSaveMode, w.Frame3};
    for (qsizetype i = 1; i < column.size(); ++i)
        QVERIFY2(column[i]->y() >= column[i - 1]->geometry().bottom(),
                 qPrintable(column[i]->objectName()));
    QCOMPARE(w.Frame2->height(), realigned ? 27 : 30);
    for (const QLabel *label : {w.lblRemove, w.lblHW}) {
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask,
                 realigned ? Qt::AlignHCenter : Qt::AlignLeft);
    }
}

void tst_OptionsWindow::extraSentenceAddedOnce()
{
    ProgramFixture fx;
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        QStringLiteral("English"));
    fx.start();
    const QString sentence = fx.program().language().langText(29);
    QVERIFY(!sentence.isEmpty());
    for (int i = 0; i < 3; ++i)
        openOptions(fx).cmdCancel->click();
    QCOMPARE(fx.program().options().lblRemove->text(),
             QStringLiteral("You can remove the addresses of web pages that were added to the "
                            "address list automatically when you visited them in Velmora.")
                 + u'\n' + sentence);
}

void tst_OptionsWindow::helpTooltips()
{
    ProgramFixture fx;
    fx.start();
    frmOptions &w = openOptions(fx);
    const QString tip = fx.program().language().langText(38);
    QVERIFY(!tip.isEmpty());
    int named = 0;
    const QList<QWidget *> controls = w.findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        if (control->objectName().isEmpty() || control == w.cmdWhatsThis)
            continue; // parts the toolkit adds, and the help button itself
        ++named;
        QCOMPARE(control->property("tooltip").toString(), tip);
        const bool tipped = control != w.Option1 && control != w.Option2;
        QCOMPARE(control->toolTip(), tipped ? tip : QString());
    }
    QCOMPARE(named, 24);
}

void tst_OptionsWindow::whatsThisHelp_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("cyrillic");
    QTest::newRow("Russian") << QStringLiteral("Russian") << true;
    QTest::newRow("English") << QStringLiteral("English") << false;
}

void tst_OptionsWindow::whatsThisHelp()
{
    QFETCH(QString, language);
    QFETCH(bool, cyrillic);
    ProgramFixture fx;
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        language);
    fx.start();
    frmOptions &w = openOptions(fx);

    // Every control explains itself in the interface's language.
    int named = 0;
    for (const QWidget *control : w.findChildren<QWidget *>()) {
        if (control->objectName().isEmpty())
            continue;
        ++named;
        const QString text = control->whatsThis();
        QVERIFY2(text.size() > 20, qPrintable(control->objectName()));
        const bool hasCyrillic = std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.script() == QChar::Script_Cyrillic;
        });
        QVERIFY2(hasCyrillic == cyrillic, qPrintable(control->objectName()));
    }
    QCOMPARE(named, 25);
    QVERIFY(w.Option5->whatsThis() != w.cmdOk->whatsThis());
    // The tooltip sends the user to what exists here.
    QVERIFY(w.cmdOk->toolTip().contains(QStringLiteral("Shift+F1")));
    QVERIFY(w.cmdOk->toolTip().contains(QStringLiteral("?")));

    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::mouseClick(w.cmdWhatsThis, Qt::LeftButton);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
    QVERIFY(!QWhatsThis::inWhatsThisMode());
    QTest::keyClick(w.txtHUrl, Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
}

void tst_OptionsWindow::opensHotWords()
{
    ProgramFixture fx;
    fx.start();
    frmOptions &w = openOptions(fx);
    QTest::mouseClick(w.cmdSetHW, Qt::LeftButton);
    auto *hotWords = fx.program().loadedWindow<velmora::windows::frmHW>();
    QVERIFY(hotWords);
    QVERIFY(hotWords->nstup);
    QVERIFY(hotWords->isVisible());
}

void tst_OptionsWindow::opensHistoryEditor()
{
    ProgramFixture fx;
    fx.start();
    frmOptions &w = openOptions(fx);
    fx.env.writeProgramFile(QStringLiteral("WebHis.dat"), "\"one\"\r\n\"two\"\r\n");
    QTest::mouseClick(w.cmdRemove, Qt::LeftButton);
    auto *editor = fx.program().loadedWindow<velmora::windows::frmRemove>();
    QVERIFY(editor);
    QVERIFY(editor->manual);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->List1->count(), 2);
    QCOMPARE(editor->List1->item(1)->text(), QStringLiteral("two"));
}

QTEST_MAIN(tst_OptionsWindow)
#include "tst_optionswindow.moc"
