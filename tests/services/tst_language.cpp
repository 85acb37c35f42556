#include "CaptionTargets.h"
#include "Language.h"
#include "RuntimeError.h"
#include "RuntimeFiles.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>
#include <QToolBar>

#include <memory>

using namespace Qt::StringLiterals;
using velmora::services::Language;
using velmora::services::RuntimeError;
namespace runtime = velmora::services::runtime;
namespace services = velmora::services;

namespace {

const QString Default = QStringLiteral("default");

// Line i of a made-up Language file: Cyrillic, so decoding is checked too.
QString lineText(int i)
{
    return QStringLiteral("Строка %1").arg(i);
}

QByteArray languageFile(int lineCount)
{
    QByteArray bytes;
    for (int i = 0; i < lineCount; ++i)
        bytes += runtime::encodeAnsi(lineText(i)) + "\r\n";
    return bytes;
}

QString captionOf(const QObject *object)
{
    if (auto *menu = qobject_cast<const QMenu *>(object))
        return menu->title();
    if (auto *action = qobject_cast<const QAction *>(object))
        return action->text();
    if (auto *label = qobject_cast<const QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(object))
        return button->text();
    if (auto *widget = qobject_cast<const QWidget *>(object))
        return widget->windowTitle();
    return object->property("Caption").toString();
}

QString toolTipOf(const QObject *object)
{
    if (auto *action = qobject_cast<const QAction *>(object))
        return action->toolTip();
    return qobject_cast<const QWidget *>(object)->toolTip();
}

QObject *child(const QObject *window, const QString &name)
{
    QObject *found = window->findChild<QObject *>(name);
    if (!found)
        qFatal("test window has no %s", qPrintable(name));
    return found;
}

// A secondary window made of labels, buttons and option buttons, each with
// the caption "default", named like the controls of the real window.
std::unique_ptr<QWidget> makeWindow(const QStringList &controls)
{
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(Default);
    for (const QString &name : controls) {
        QWidget *control = nullptr;
        if (name.startsWith(u"lbl") || name.startsWith(u"Label"))
            control = new QLabel(Default, window.get());
        else if (name.startsWith(u"Option"))
            control = new QRadioButton(Default, window.get());
        else
            control = new QPushButton(Default, window.get());
        control->setObjectName(name);
    }
    return window;
}

const QStringList mainMenuItems = {
    QStringLiteral("mnuEdit"), QStringLiteral("mnuNav"), QStringLiteral("mnuTools"),
    QStringLiteral("mnuHelp"), QStringLiteral("mnuNew"), QStringLiteral("mnuProp"),
    QStringLiteral("mnuSave"), QStringLiteral("mnuOpen"), QStringLiteral("mnuPrint"),
    QStringLiteral("mnuPrint_p"), QStringLiteral("mnuSetPrint"), QStringLiteral("wOffLineToAll"),
    QStringLiteral("mnuOffline"), QStringLiteral("mnuSaveTabs"), QStringLiteral("mnuLoadTabs"),
    QStringLiteral("mnuClose"), QStringLiteral("mnuCloseAllTabs"),
    QStringLiteral("mnuLoadAutosave"), QStringLiteral("mnuExit"), QStringLiteral("mnuCut"),
    QStringLiteral("mnuCopy"), QStringLiteral("mnuPaste"), QStringLiteral("mnuSelAll"),
    QStringLiteral("mnuAddToFavoites"), QStringLiteral("mnuEditFavorites"),
    QStringLiteral("FavItem_0"), QStringLiteral("mnuBack"), QStringLiteral("mnuForward"),
    QStringLiteral("mnuStop"), QStringLiteral("mnuRefresh"), QStringLiteral("mnuHome"),
    QStringLiteral("mnuTop"), QStringLiteral("mnuOptions"), QStringLiteral("mnuMem"),
    QStringLiteral("CAutosave"), QStringLiteral("mnuMemMesOff"), QStringLiteral("mnuWinCatch"),
    QStringLiteral("mnuTabCatch"), QStringLiteral("mnuIE"), QStringLiteral("mnuCallHelp"),
    QStringLiteral("mnuAbout"),
};

const QStringList mainSecondSection = {
    QStringLiteral("mnuDisplay"), QStringLiteral("mnuShowPictures"),
    QStringLiteral("mnuShowVideos"), QStringLiteral("mnuEnableSounds"),
    QStringLiteral("mnuShowAnimations"), QStringLiteral("mnuShowFlash"),
    QStringLiteral("mnuShowFavorites"), QStringLiteral("mnuFavImport"),
};

// Read in this order from lines 150..154, then mnuIECpl from line 156.
const QStringList mainExtras = {
    QStringLiteral("popCloseIt"), QStringLiteral("mnuHPage"), QStringLiteral("mnuHangUp"),
    QStringLiteral("mnuConnect"), QStringLiteral("MnuConnections_0"),
};

// The main window as the program builds it: menus (one a real QMenu, the
// rest actions), a toolbar of actions, the address labels, the open dialog
// object and the badge picture.
struct MainWindowFixture
{
    QMainWindow window;
    QMenu *fileMenu = nullptr;
    QMenu *favoritesMenu = nullptr;
    QToolBar *toolbar = nullptr;
    QObject *dialog = nullptr;
    QLabel *badge = nullptr;

    MainWindowFixture()
    {
        window.setWindowTitle(Default);
        fileMenu = window.menuBar()->addMenu(Default);
        fileMenu->setObjectName(QStringLiteral("mnuFile"));
        favoritesMenu = window.menuBar()->addMenu(Default);
        favoritesMenu->setObjectName(QStringLiteral("Favorites"));
        for (const QStringList &names : {mainMenuItems, mainSecondSection, mainExtras})
            for (const QString &name : names)
                fileMenu->addAction(Default)->setObjectName(name);
        fileMenu->addAction(Default)->setObjectName(QStringLiteral("mnuIECpl"));
        toolbar = window.addToolBar(QStringLiteral("Toolbar1"));
        for (int b = 1; b <= 10; ++b) {
            QAction *button = toolbar->addAction(Default);
            button->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(b));
            button->setToolTip(Default);
        }
        auto *central = new QWidget(&window);
        window.setCentralWidget(central);
        (new QLabel(Default, central))->setObjectName(QStringLiteral("lblAddress"));
        (new QLabel(Default, central))->setObjectName(QStringLiteral("lblGo"));
        badge = new QLabel(central);
        badge->setObjectName(QStringLiteral("MB"));
        dialog = new QObject(&window);
        dialog->setObjectName(QStringLiteral("cdlOpen"));
    }

    // Entry i of 0..54 and the line it is captioned from.
    QString entryName(int i) const
    {
        if (i == 0)
            return QStringLiteral("mnuFile");
        if (i == 2)
            return QStringLiteral("Favorites");
        if (i >= 43 && i <= 52)
            return QStringLiteral("Toolbar1_Button%1").arg(i - 42);
        if (i == 53)
            return QStringLiteral("lblAddress");
        if (i == 54)
            return QStringLiteral("lblGo");
        const int menuIndex = i == 1 ? 0 : i - 2; // mainMenuItems skips entries 0 and 2
        return mainMenuItems.at(menuIndex);
    }
};

struct OtherWindowCase
{
    int id;
    QStringList controls;
    int firstEntry;
    int firstLine;
};

} // namespace

Q_DECLARE_METATYPE(OtherWindowCase)

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void mainWindowTakesEveryLineOfAFullFile_data();
    void mainWindowTakesEveryLineOfAFullFile();
    void otherWindowsTakeOnlyTheirOwnLines_data();
    void otherWindowsTakeOnlyTheirOwnLines();
    void shortFileFailsAfterApplyingWhatItRead_data();
    void shortFileFailsAfterApplyingWhatItRead();
    void missingFileKeepsDefaultsAndFails();
    void deadWindowLeavesEmptyEntries();
    void otherIdsBindNothing();
    void startAndAboutPictures_data();
    void startAndAboutPictures();
    void optionsWindowRealignedForEnglishOnly_data();
    void optionsWindowRealignedForEnglishOnly();
    void helpFileNames_data();
    void helpFileNames();
    void languageList_data();
    void languageList();
    void missingLanguageListFails();
    void languageFileFoundIgnoringCase();
    void countLanguageLinesCountsValues();
    void ownTextsFollowTheAppliedLanguage();
    void messageIndexOutOfRangeFails();
    void captionReachesEveryKindOfObject();
    void shippedLanguageFiles_data();
    void shippedLanguageFiles();
    void shippedLanguageList();
};

void TestLanguage::mainWindowTakesEveryLineOfAFullFile_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("badgeSwapped");
    QTest::addColumn<QString>("helpFile");
    QTest::newRow("Russian") << QStringLiteral("Russian") << false << QStringLiteral("help.html");
    QTest::newRow("English") << QStringLiteral("English") << true << QStringLiteral("helpEn.html");
    QTest::newRow("other") << QStringLiteral("Deutsch") << true << QStringLiteral("helpDe.html");
}

void TestLanguage::mainWindowTakesEveryLineOfAFullFile()
{
    QFETCH(QString, language);
    QFETCH(bool, badgeSwapped);
    QFETCH(QString, helpFile);
    velmora::test::TestEnvironment env;
    env.writeProgramFile(language + u".lng", languageFile(Language::FileLineCount));
    MainWindowFixture main;
    Language lang;

    lang.applyLanguage(env.programDir(), language, Language::MainWindow, &main.window);

    for (int i = 0; i <= 54; ++i) {
        QObject *object = child(&main.window, main.entryName(i));
        QCOMPARE(lang.langControl(i), object);
        QCOMPARE(captionOf(object), lineText(i));
    }
    for (int k = 0; k < mainSecondSection.size(); ++k) {
        QObject *object = child(&main.window, mainSecondSection.at(k));
        QCOMPARE(lang.langControl(134 + k), object);
        QCOMPARE(captionOf(object), lineText(197 + k));
    }
    for (int b = 1; b <= 10; ++b)
        QCOMPARE(toolTipOf(lang.langControl(42 + b)), lineText(137 + b));
    for (int j = 0; j <= 33; ++j)
        QCOMPARE(lang.langText(j), lineText(102 + j));
    for (int j = 34; j <= 46; ++j)
        QCOMPARE(lang.langText(j), lineText(205 + j - 34));
    QCOMPARE(lang.langText(46), lineText(217)); // not line 155
    for (int j = 47; j <= 100; ++j)
        QVERIFY(lang.langText(j).isEmpty());

    QCOMPARE(main.dialog->property("DialogTitle").toString(), lineText(148));
    QCOMPARE(main.dialog->property("Filter").toString(), lineText(149));
    QCOMPARE(main.dialog->property("HelpFile").toString(),
             QDir(env.programDir()).filePath(helpFile));
    for (int k = 0; k < mainExtras.size(); ++k)
        QCOMPARE(captionOf(child(&main.window, mainExtras.at(k))), lineText(150 + k));
    QCOMPARE(captionOf(child(&main.window, QStringLiteral("mnuIECpl"))), lineText(156));
    QCOMPARE(main.window.windowTitle(), Default);

    QCOMPARE(!main.badge->pixmap().isNull(), badgeSwapped);
    if (badgeSwapped)
        QCOMPARE(main.badge->pixmap().toImage(),
                 services::alternativeBadgePicture().toImage());
}

void TestLanguage::otherWindowsTakeOnlyTheirOwnLines_data()
{
    QTest::addColumn<OtherWindowCase>("window");
    QTest::newRow("options 2") << OtherWindowCase{
        Language::OptionsWindow,
        {QStringLiteral("lblRemove"), QStringLiteral("cmdRemove"), QStringLiteral("lblHW"),
         QStringLiteral("cmdSetHW"), QStringLiteral("lblNW"), QStringLiteral("Option2"),
         QStringLiteral("Option1"), QStringLiteral("lblConfExit"), QStringLiteral("Option3"),
         QStringLiteral("Option4"), QStringLiteral("lblSaveMode"), QStringLiteral("Option5"),
         QStringLiteral("Option6"), QStringLiteral("lblHomePage"), QStringLiteral("cmdReset"),
         QStringLiteral("cmdCurrent"), QStringLiteral("cmdBlank"), QStringLiteral("cmdOk"),
         QStringLiteral("cmdCancel"), QStringLiteral("cmdApply")},
        55, 55};
    QTest::newRow("history editor 1") << OtherWindowCase{
        Language::RemoveWindow,
        {QStringLiteral("cmdRemAll"), QStringLiteral("cmdRemove"), QStringLiteral("cmdExWO"),
         QStringLiteral("cmdClose")},
        76, 76};
    // The hot-words window spells its OK button cmdOK; names are case-blind.
    QTest::newRow("hot words 6") << OtherWindowCase{
        Language::HotWordsWindow,
        {QStringLiteral("Label1"), QStringLiteral("Label2"), QStringLiteral("cmdRemove"),
         QStringLiteral("cmdCreate"), QStringLiteral("cmdOK")},
        81, 81};
    QTest::newRow("FavAdd 9") << OtherWindowCase{
        Language::FavAddWindow,
        {QStringLiteral("Label1"), QStringLiteral("cmdAdd"), QStringLiteral("cmdCancel"),
         QStringLiteral("Label2"), QStringLiteral("cmdReset")},
        87, 87};
    QTest::newRow("favEdit 8") << OtherWindowCase{
        Language::FavEditWindow,
        {QStringLiteral("cmdRemove"), QStringLiteral("cmdRename"), QStringLiteral("cmdChURL")},
        93, 93};
    QTest::newRow("low memory 3") << OtherWindowCase{
        Language::MemSaveWindow, {QStringLiteral("Label1")}, 97, 97};
    QTest::newRow("favourites tree 15") << OtherWindowCase{
        Language::FavoritesTreeWindow,
        {QStringLiteral("lblCapt"), QStringLiteral("cmdLoad"),
         QStringLiteral("cmdOpenInNewWindow"), QStringLiteral("cmdFavEdit"),
         QStringLiteral("cmdCancel")},
        128, 191};
}

void TestLanguage::otherWindowsTakeOnlyTheirOwnLines()
{
    QFETCH(OtherWindowCase, window);
    velmora::test::TestEnvironment env;
    env.writeProgramFile(QStringLiteral("Test.lng"), languageFile(Language::FileLineCount));
    // lblGo belongs to the main window: a window holding an object of that
    // name must not get the main window's caption for it.
    std::unique_ptr<QWidget> form = makeWindow(window.controls + QStringList{u"lblGo"_s});
    Language lang;

    lang.applyLanguage(env.programDir(), QStringLiteral("Test"), window.id, form.get());

    QCOMPARE(Language::firstCaptionLine(window.id), window.firstEntry);
    QCOMPARE(Language::lastCaptionLine(window.id),
             window.firstEntry + int(window.controls.size()));
    QCOMPARE(lang.langControl(window.firstEntry), form.get());
    QCOMPARE(form->windowTitle(), lineText(window.firstLine));
    for (int k = 0; k < window.controls.size(); ++k) {
        QObject *object = child(form.get(), window.controls.at(k));
        QCOMPARE(lang.langControl(window.firstEntry + 1 + k), object);
        QCOMPARE(captionOf(object), lineText(window.firstLine + 1 + k));
    }
    QCOMPARE(captionOf(child(form.get(), QStringLiteral("lblGo"))), Default);
    QVERIFY(lang.langControl(54) == nullptr);
    for (int j = 0; j <= 33; ++j)
        QCOMPARE(lang.langText(j), lineText(102 + j));
    for (int j = 34; j <= 46; ++j)
        QVERIFY(lang.langText(j).isEmpty());
}

void TestLanguage::shortFileFailsAfterApplyingWhatItRead_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<bool>("fails");
    QTest::newRow("main, 218") << int(Language::MainWindow) << 218 << false;
    QTest::newRow("main, 217") << int(Language::MainWindow) << 217 << true;
    QTest::newRow("main, 100") << int(Language::MainWindow) << 100 << true;
    QTest::newRow("main, 150") << int(Language::MainWindow) << 150 << true;
    QTest::newRow("tree, 197") << int(Language::FavoritesTreeWindow) << 197 << false;
    QTest::newRow("tree, 196") << int(Language::FavoritesTreeWindow) << 196 << true;
    QTest::newRow("options, 136") << int(Language::OptionsWindow) << 136 << false;
    QTest::newRow("options, 135") << int(Language::OptionsWindow) << 135 << true;
    QTest::newRow("options, 60") << int(Language::OptionsWindow) << 60 << true;
}

void TestLanguage::shortFileFailsAfterApplyingWhatItRead()
{
    QFETCH(int, id);
    QFETCH(int, lineCount);
    QFETCH(bool, fails);
    velmora::test::TestEnvironment env;
    env.writeProgramFile(QStringLiteral("Short.lng"), languageFile(lineCount));
    MainWindowFixture main;
    std::unique_ptr<QWidget> options = makeWindow(
        {QStringLiteral("lblRemove"), QStringLiteral("cmdRemove"), QStringLiteral("lblHW"),
         QStringLiteral("cmdSetHW"), QStringLiteral("cmdApply")});
    std::unique_ptr<QWidget> tree = makeWindow({QStringLiteral("lblCapt")});
    QObject *window = id == Language::MainWindow ? static_cast<QObject *>(&main.window)
                    : id == Language::OptionsWindow ? options.get()
                                                    : tree.get();
    Language lang;

    bool threw = false;
    try {
        lang.applyLanguage(env.programDir(), QStringLiteral("Short"), id, window);
    } catch (const RuntimeError &error) {
        threw = true;
        QCOMPARE(error.number(), int(RuntimeError::InputPastEnd));
    }
    QCOMPARE(threw, fails);

    // Whatever lay before the end was applied; the rest kept its default.
    auto expected = [&](int line) { return line < lineCount ? lineText(line) : Default; };
    auto expectedText = [&](int line) { return line < lineCount ? lineText(line) : QString(); };
    for (int j = 0; j <= 33; ++j)
        QCOMPARE(lang.langText(j), expectedText(102 + j));
    if (id == Language::MainWindow) {
        QCOMPARE(captionOf(main.fileMenu), expected(0));
        QCOMPARE(captionOf(child(&main.window, QStringLiteral("lblGo"))), expected(54));
        QCOMPARE(toolTipOf(child(&main.window, QStringLiteral("Toolbar1_Button1"))),
                 expected(138));
        QCOMPARE(captionOf(child(&main.window, QStringLiteral("mnuFavImport"))), expected(204));
        QCOMPARE(lang.langText(34), expectedText(205));
        // Entry 46 comes from line 155 first and from line 217 at the end.
        QCOMPARE(lang.langText(46), lineCount >= 218 ? lineText(217) : expectedText(155));
        QCOMPARE(main.dialog->property("HelpFile").isValid(), lineCount > 156);
    } else if (id == Language::OptionsWindow) {
        QCOMPARE(options->windowTitle(), expected(55));
        QCOMPARE(captionOf(child(options.get(), QStringLiteral("cmdApply"))), expected(75));
    } else {
        QCOMPARE(tree->windowTitle(), expected(191));
        QCOMPARE(captionOf(child(tree.get(), QStringLiteral("lblCapt"))), expected(192));
    }
}

void TestLanguage::missingFileKeepsDefaultsAndFails()
{
    velmora::test::TestEnvironment env;
    MainWindowFixture main;
    Language lang;

    try {
        lang.applyLanguage(env.programDir(), QStringLiteral("English"), Language::MainWindow,
                           &main.window);
        QFAIL("a missing Language file must fail the call");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), int(RuntimeError::FileNotFound));
    }
    QCOMPARE(main.fileMenu->title(), Default);
    QCOMPARE(main.badge->pixmap().isNull(), true);
    QVERIFY(!main.dialog->property("HelpFile").isValid());
    QVERIFY(lang.langText(5).isEmpty());
    // Binding comes before opening the file.
    QCOMPARE(lang.langControl(0), main.fileMenu);
}

void TestLanguage::deadWindowLeavesEmptyEntries()
{
    Language lang;
    {
        std::unique_ptr<QWidget> favEdit = makeWindow({QStringLiteral("cmdRemove")});
        lang.bindFormControls(Language::FavEditWindow, favEdit.get());
        QCOMPARE(lang.langControl(93), favEdit.get());
        QVERIFY(lang.langControl(95) == nullptr); // cmdRename is not in this window
    }
    QVERIFY(lang.langControl(93) == nullptr);
    QVERIFY(lang.langControl(94) == nullptr);
}

void TestLanguage::otherIdsBindNothing()
{
    Language lang;
    std::unique_ptr<QWidget> options = makeWindow({QStringLiteral("cmdOk")});
    std::unique_ptr<QWidget> other = makeWindow({QStringLiteral("cmdOk")});
    lang.bindFormControls(Language::OptionsWindow, options.get());
    lang.bindFormControls(Language::StartWindow, other.get());
    lang.bindFormControls(5, other.get());
    QCOMPARE(lang.langControl(55), options.get());
    QCOMPARE(lang.langControl(73), child(options.get(), QStringLiteral("cmdOk")));
    QCOMPARE(Language::firstCaptionLine(Language::StartWindow), -1);
    QCOMPARE(Language::lastCaptionLine(5), -1);
}

void TestLanguage::startAndAboutPictures_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("startLoading");
    QTest::addColumn<QString>("picture"); // "", "start" or "about"
    QTest::newRow("start, English") << QStringLiteral("English") << true << QStringLiteral("start");
    QTest::newRow("start, Russian") << QStringLiteral("Russian") << true << QString();
    QTest::newRow("start, other") << QStringLiteral("Deutsch") << true << QStringLiteral("start");
    QTest::newRow("about, English")
        << QStringLiteral("English") << false << QStringLiteral("about");
    QTest::newRow("about, Russian") << QStringLiteral("Russian") << false << QString();
}

void TestLanguage::startAndAboutPictures()
{
    QFETCH(QString, language);
    QFETCH(bool, startLoading);
    QFETCH(QString, picture);
    velmora::test::TestEnvironment env;
    env.writeProgramFile(language + u".lng", languageFile(136));
    std::unique_ptr<QWidget> window = makeWindow({QStringLiteral("lblVersion")});
    auto *image = new QLabel(window.get());
    image->setObjectName(QStringLiteral("imgAbout"));
    Language lang;
    lang.setStartLangLoading(startLoading);

    lang.applyLanguage(env.programDir(), language, Language::StartWindow, window.get());

    QCOMPARE(window->windowTitle(), Default);
    QCOMPARE(captionOf(child(window.get(), QStringLiteral("lblVersion"))), Default);
    QCOMPARE(lang.langText(0), lineText(102));
    const QImage shown = image->pixmap().toImage();
    if (picture.isEmpty()) {
        QVERIFY(shown.isNull());
        QVERIFY(!image->property("picture").isValid());
    } else {
        const QPixmap wanted = picture == u"start" ? services::alternativeStartPicture()
                                                   : services::alternativeAboutPicture();
        QCOMPARE(shown.size(), QSize(619, 306));
        QCOMPARE(shown, wanted.toImage());
        QCOMPARE(image->property("picture").value<QPixmap>().toImage(), wanted.toImage());
    }
}

void TestLanguage::optionsWindowRealignedForEnglishOnly_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<bool>("realigned");
    QTest::newRow("English, 96 dpi") << QStringLiteral("English") << 15.0 << true;
    QTest::newRow("English, 120 dpi") << QStringLiteral("English") << 12.0 << true;
    QTest::newRow("Russian") << QStringLiteral("Russian") << 15.0 << false;
    QTest::newRow("other language") << QStringLiteral("Deutsch") << 15.0 << false;
    QTest::newRow("english, other case") << QStringLiteral("english") << 15.0 << false;
}

void TestLanguage::optionsWindowRealignedForEnglishOnly()
{
    QFETCH(QString, language);
    QFETCH(double, twipsPerPixel);
    QFETCH(bool, realigned);
    velmora::test::TestEnvironment env;
    env.writeProgramFile(language + u".lng", languageFile(136));
    // cmdSetHW is left out: a missing control is skipped, not a failure.
    std::unique_ptr<QWidget> options = makeWindow(
        {QStringLiteral("lblRemove"), QStringLiteral("cmdRemove"), QStringLiteral("lblHW"),
         QStringLiteral("lblConfExit"), QStringLiteral("Option5"), QStringLiteral("Option6")});
    auto *frame = new QGroupBox(options.get());
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setGeometry(5, 300, 200, 60);
    for (const char *name : {"Option3", "Option4"})
        (new QRadioButton(frame))->setObjectName(QString::fromLatin1(name));
    const QList<QWidget *> all = options->findChildren<QWidget *>();
    for (QWidget *w : all)
        if (w != frame)
            w->setGeometry(3, 3, 50, 20);
    auto *lblRemove = options->findChild<QLabel *>(QStringLiteral("lblRemove"));
    lblRemove->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Language lang;
    lang.setTwipsPerPixel(twipsPerPixel);

    lang.applyLanguage(env.programDir(), language, Language::OptionsWindow, options.get());

    // Unchanged controls keep the 3, 3, 50 x 20 they were given above.
    auto at = [&](int twips, int unchanged) {
        return realigned ? qRound(twips / twipsPerPixel) : unchanged;
    };
    auto widget = [&](const char *name) {
        return options->findChild<QWidget *>(QString::fromLatin1(name));
    };
    QCOMPARE(widget("lblConfExit")->y(), at(2400, 3));
    QCOMPARE(widget("Option3")->y(), at(120, 3));
    QCOMPARE(widget("Option4")->y(), at(120, 3));
    QCOMPARE(widget("lblRemove")->y(), at(175, 3));
    QCOMPARE(widget("cmdRemove")->y(), at(650, 3));
    QCOMPARE(widget("lblHW")->y(), at(1190, 3));
    QCOMPARE(widget("Option5")->x(), at(1150, 3));
    QCOMPARE(widget("Option6")->x(), at(2530, 3));
    QCOMPARE(widget("Option5")->y(), 3);
    QCOMPARE(frame->height(), at(400, 60));
    QCOMPARE(frame->pos(), QPoint(5, 300));
    QCOMPARE(widget("lblConfExit")->size(), QSize(50, 20));
    const Qt::Alignment horizontal = realigned ? Qt::AlignHCenter : Qt::AlignLeft;
    QCOMPARE(lblRemove->alignment(), horizontal | Qt::AlignBottom);
    QCOMPARE(options->findChild<QLabel *>(QStringLiteral("lblHW"))->alignment()
                 & Qt::AlignHorizontal_Mask,
             horizontal);
    QCOMPARE(lblRemove->text(), lineText(56));
}

void TestLanguage::helpFileNames_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("mainHelp");
    QTest::addColumn<QString>("dialogHelp");
    QTest::newRow("Russian") << u"Russian"_s << u"WTHELP.html"_s << u"help.html"_s;
    QTest::newRow("English") << u"English"_s << u"WTHELPEn.html"_s << u"helpEn.html"_s;
    QTest::newRow("other") << u"Ukrainian"_s << u"WTHELPUk.html"_s << u"helpUk.html"_s;
    QTest::newRow("russian, other case") << u"russian"_s << u"WTHELPru.html"_s << u"helpru.html"_s;
    QTest::newRow("one letter") << u"X"_s << u"WTHELPX.html"_s << u"helpX.html"_s;
}

void TestLanguage::helpFileNames()
{
    QFETCH(QString, language);
    QFETCH(QString, mainHelp);
    QFETCH(QString, dialogHelp);
    const QString dir = QStringLiteral("/opt/velmora");
    QCOMPARE(Language::helpFileName(dir, language), dir + u'/' + mainHelp);
    QCOMPARE(Language::dialogHelpFileName(dir, language), dir + u'/' + dialogHelp);
}

void TestLanguage::languageList_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("bare") << QByteArray("Russian\r\nEnglish\r\n")
                          << QStringList{u"Russian"_s, u"English"_s};
    QTest::newRow("quoted, no last line end")
        << QByteArray("\"English\"\r\n\"Russian\"") << QStringList{u"English"_s, u"Russian"_s};
    QTest::newRow("Cyrillic name")
        << (runtime::encodeAnsi(u"Русский"_s) + "\r\nEnglish\r\n")
        << QStringList{u"Русский"_s, u"English"_s};
    QTest::newRow("one") << QByteArray("English\r\n") << QStringList{u"English"_s};
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("blank lines") << QByteArray("\r\n\r\n") << QStringList();
}

void TestLanguage::languageList()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, names);
    velmora::test::TestEnvironment env;
    env.writeProgramFile(QStringLiteral("lang.lng"), contents);
    Language lang;

    QCOMPARE(lang.loadLanguageList(env.programDir()), names);
    if (names.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, lang.getDefaultLanguage(env.programDir()));
    } else {
        QCOMPARE(lang.getDefaultLanguage(env.programDir()), names.first());
    }
}

void TestLanguage::missingLanguageListFails()
{
    velmora::test::TestEnvironment env;
    Language lang;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, lang.getDefaultLanguage(env.programDir()));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, lang.loadLanguageList(env.programDir()));
}

void TestLanguage::languageFileFoundIgnoringCase()
{
    velmora::test::TestEnvironment env;
    env.writeProgramFile(QStringLiteral("ENGLISH.LNG"), languageFile(136));
    std::unique_ptr<QWidget> memSave = makeWindow({QStringLiteral("Label1")});
    Language lang;

    lang.applyLanguage(env.programDir(), QStringLiteral("English"), Language::MemSaveWindow,
                       memSave.get());

    QCOMPARE(memSave->windowTitle(), lineText(97));
    QCOMPARE(Language::languageFileName(env.programDir(), QStringLiteral("english")),
             QDir(env.programDir()).filePath(QStringLiteral("ENGLISH.LNG")));
}

void TestLanguage::ownTextsFollowTheAppliedLanguage()
{
    velmora::test::TestEnvironment env;
    env.writeProgramFile(QStringLiteral("English.lng"), languageFile(136));
    env.writeProgramFile(QStringLiteral("Russian.lng"), languageFile(136));
    std::unique_ptr<QWidget> memSave = makeWindow({QStringLiteral("Label1")});
    Language lang;
    const auto text = [&] { return lang.own(u"Да", u"Yes"); };

    QCOMPARE(text(), QStringLiteral("Да"));
    lang.applyLanguage(env.programDir(), QStringLiteral("English"), Language::MemSaveWindow,
                       memSave.get());
    QCOMPARE(text(), QStringLiteral("Yes"));
    // A language whose file is missing changes nothing.
    QVERIFY_THROWS_EXCEPTION(RuntimeError,
                             lang.applyLanguage(env.programDir(), QStringLiteral("German"),
                                                Language::MemSaveWindow, memSave.get()));
    QCOMPARE(lang.currentLanguage(), QStringLiteral("English"));
    lang.applyLanguage(env.programDir(), QStringLiteral("Russian"), Language::MemSaveWindow,
                       memSave.get());
    QCOMPARE(text(), QStringLiteral("Да"));
}

void TestLanguage::countLanguageLinesCountsValues()
{
    velmora::test::TestEnvironment env;
    Language lang;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, lang.countLanguageLines(env.programDir()));

    // Read as values, a comma splits a line in two.
    const QString values = u"Файл\r\nДа, нет\r\n\"Слово\"\r\nOK"_s;
    env.writeProgramFile(QStringLiteral("Russian.lng"), runtime::encodeAnsi(values));
    QCOMPARE(lang.countLanguageLines(env.programDir()), 5);

    env.writeProgramFile(QStringLiteral("Russian.lng"), languageFile(218));
    QCOMPARE(lang.countLanguageLines(env.programDir()), 218);
}

void TestLanguage::messageIndexOutOfRangeFails()
{
    Language lang;
    lang.setLangText(100, u"last"_s);
    QCOMPARE(lang.langText(100), u"last"_s);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, lang.langText(101));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, lang.setLangText(-1, QString()));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, lang.langControl(142));
    QVERIFY(lang.langControl(141) == nullptr);
}

void TestLanguage::captionReachesEveryKindOfObject()
{
    QWidget window;
    auto *label = new QLabel(&window);
    auto *button = new QPushButton(&window);
    auto *box = new QGroupBox(&window);
    auto *action = new QAction(&window);
    auto *menu = new QMenu(&window);
    auto *plain = new QObject(&window);
    auto *plainChildWidget = new QWidget(&window);

    for (QObject *target : {static_cast<QObject *>(&window), static_cast<QObject *>(label),
                            static_cast<QObject *>(button), static_cast<QObject *>(box),
                            static_cast<QObject *>(action), static_cast<QObject *>(menu),
                            plain, static_cast<QObject *>(plainChildWidget)}) {
        services::setCaption(target, u"&Текст"_s);
        services::setToolTip(target, u"Подсказка"_s);
    }
    services::setCaption(nullptr, u"ignored"_s);

    QCOMPARE(window.windowTitle(), u"&Текст"_s);
    QCOMPARE(label->text(), u"&Текст"_s);
    QCOMPARE(button->text(), u"&Текст"_s);
    QCOMPARE(box->title(), u"&Текст"_s);
    QCOMPARE(action->text(), u"&Текст"_s);
    QCOMPARE(menu->title(), u"&Текст"_s);
    QCOMPARE(menu->menuAction()->text(), u"&Текст"_s);
    QCOMPARE(plain->property("Caption").toString(), u"&Текст"_s);
    QCOMPARE(plainChildWidget->property("Caption").toString(), u"&Текст"_s);
    QCOMPARE(plainChildWidget->windowTitle(), QString());
    QCOMPARE(action->toolTip(), u"Подсказка"_s);
    QCOMPARE(button->toolTip(), u"Подсказка"_s);
    QCOMPARE(plain->property("toolTip").toString(), u"Подсказка"_s);
}

namespace {

QByteArray shippedFile(const QString &name)
{
    QFile file(QDir(QString::fromLocal8Bit(qgetenv("VELMORA_SOURCE_DATA"))).filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Lines of the Language file a window captions or tooltips something from.
QList<int> appliedLines()
{
    QList<int> lines;
    for (int i = 0; i <= 98; ++i)
        lines << i;
    for (int i = 138; i <= 156; ++i)
        lines << i;
    for (int i = 191; i <= 204; ++i)
        lines << i;
    return lines;
}

// Message entries some window shows.
const QList<int> shownMessages = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                  16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 32, 33,
                                  35, 36, 37, 38, 39, 40, 43, 44, 45};

} // namespace

void TestLanguage::shippedLanguageFiles_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("Russian") << QStringLiteral("Russian");
    QTest::newRow("English") << QStringLiteral("English");
}

void TestLanguage::shippedLanguageFiles()
{
    QFETCH(QString, language);
    const QByteArray bytes = shippedFile(language + u".lng");
    QVERIFY2(!bytes.isEmpty(), "the shipped Language file is missing");

    // Windows-1251 throughout, CR LF after every line, the last included.
    QStringDecoder decoder("windows-1251");
    const QString text = decoder.decode(bytes);
    QVERIFY(!decoder.hasError());
    QVERIFY(!text.contains(QChar(0xFFFD)));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
    QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
    const QStringList lines = runtime::readRawLines(bytes);
    QCOMPARE(lines.size(), Language::FileLineCount);
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(!lines.at(i).trimmed().isEmpty(), qPrintable(QStringLiteral("line %1").arg(i)));
    for (int i : appliedLines())
        QVERIFY2(lines.at(i).trimmed() == lines.at(i),
                 qPrintable(QStringLiteral("blank at the edge of line %1").arg(i)));
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    if (language == u"English") {
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(!lines.at(i).contains(cyrillic),
                     qPrintable(QStringLiteral("Cyrillic in English line %1").arg(i)));
    } else {
        QVERIFY(lines.at(0).contains(cyrillic));
        QVERIFY(lines.at(102).contains(cyrillic));
    }

    // Applied by the main window as the program does it.
    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    MainWindowFixture main;
    Language lang;
    lang.applyLanguage(env.programDir(), language, Language::MainWindow, &main.window);
    for (int j : shownMessages)
        QVERIFY2(!lang.langText(j).trimmed().isEmpty(),
                 qPrintable(QStringLiteral("message %1").arg(j)));
    QCOMPARE(lang.langText(5), u"Velmora"_s);
    for (int i = 0; i <= 54; ++i)
        QVERIFY(!captionOf(lang.langControl(i)).isEmpty());
    // The all-tabs offline item finds its state by comparing its caption
    // with messages 17 and 18.
    QCOMPARE(captionOf(child(&main.window, QStringLiteral("wOffLineToAll"))), lang.langText(17));
    QVERIFY(lang.langText(17) != lang.langText(18));
    // The status text and the memory report run pieces together with numbers.
    QVERIFY(lang.langText(32).endsWith(u' '));
    QVERIFY(lang.langText(33).startsWith(u' ') && lang.langText(33).endsWith(u' '));
    QVERIFY(lang.langText(8).endsWith(u' '));
    QVERIFY(lang.langText(9).startsWith(u' '));
    // The open dialog's filter is in Qt's form, one filter per ";;".
    const QStringList filters =
        main.dialog->property("Filter").toString().split(QStringLiteral(";;"));
    QCOMPARE(filters.size(), 2);
    for (const QString &filter : filters)
        QVERIFY2(filter.contains(u"(*"), qPrintable(filter));
    QVERIFY(!main.dialog->property("DialogTitle").toString().isEmpty());
}

void TestLanguage::shippedLanguageList()
{
    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    Language lang;
    QCOMPARE(lang.getDefaultLanguage(env.programDir()), u"Russian"_s);
    const QStringList names = lang.loadLanguageList(env.programDir());
    QCOMPARE(names, (QStringList{u"Russian"_s, u"English"_s}));
    for (const QString &name : names)
        QVERIFY(QFile::exists(Language::languageFileName(env.programDir(), name)));
    const QByteArray bytes = shippedFile(QStringLiteral("lang.lng"));
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
