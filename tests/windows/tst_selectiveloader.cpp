// The window that opens chosen entries of a saved tab file as new tabs.

#include "ProgramFixture.h"
#include "TabRowReading.h"

#include "FakeDialogs.h"
#include "FakeInternetState.h"
#include "FakeServices.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "SessionFiles.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmOpenTabsDetailed.h"
#include "frmOptions.h"

#include "TabstripP.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>

using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;
using velmora::test::openTabs;
using velmora::windows::frmOpenTabsDetailed;

namespace {

QByteArray header()
{
    return velmora::services::sessions::sessionHeader().toLatin1() + "\r\n";
}

// "Новости" in code page 1251.
const QByteArray newsAnsi = QByteArrayLiteral("\xCD\xEE\xE2\xEE\xF1\xF2\xE8");

frmMain &startQuiet(ProgramFixture &fx)
{
    frmMain &w = fx.start();
    for (QTimer *timer : {w.Timer1, w.Timer2, w.chang, w.TimResol, w.tmrUpd, w.autosave})
        timer->stop();
    return w;
}

// Loads the window over the automatic save holding these bytes.
frmOpenTabsDetailed *loadOver(ProgramFixture &fx, const QByteArray &autosave)
{
    fx.env.writeProgramFile(u"autosave.btl"_s, autosave);
    fx.main().mnuLoadAutosaveSelective_Click();
    return fx.program().loadedWindow<frmOpenTabsDetailed>();
}

QStringList column(const QTreeWidget *lv, int c)
{
    QStringList texts;
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
        texts.append(lv->topLevelItem(i)->text(c));
    return texts;
}

int selectedCount(const QTreeWidget *lv)
{
    return int(lv->selectedItems().size());
}

// Gone, or going at the next turn of the event loop.
bool unloaded(ProgramFixture &fx)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return fx.program().loadedWindow<frmOpenTabsDetailed>() == nullptr;
}

QString stored(ProgramFixture &fx, const char *key)
{
    return fx.program().settings().GetSetting(u"general"_s, QString::fromLatin1(key));
}

} // namespace

class tst_SelectiveLoader : public QObject
{
    Q_OBJECT

private slots:
    void controls();
    void listsSessionFile();
    void listsTabList();
    void sourceFails_data();
    void sourceFails();
    void cancelledDialogKeepsStoredGeometry();
    void openChosenRows();
    void openWithNothingSelected();
    void selectButtons();
    void controlA_data();
    void controlA();
    void clickBelowRowsDeselects();
    void cancelUnloads();
    void restoreGeometry_data();
    void restoreGeometry();
    void storesGeometryOnUnload();
    void layout();
};

void tst_SelectiveLoader::controls()
{
    ProgramFixture fx;
    startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "\"http://a/\"\r\n");
    QVERIFY(w);
    QCOMPARE(w->objectName(), u"frmOpenTabsDetailed"_s);
    QCOMPARE(w->windowTitle(), u"Выберите вкладки для загрузки"_s);
    QVERIFY(w->Label1->text().startsWith(u"Выберите вкладки для загрузки. Для того"_s));
    QCOMPARE(w->lv->headerItem()->text(0), u"Заголовок"_s);
    QCOMPARE(w->lv->headerItem()->text(1), u"Адрес"_s);
    QCOMPARE(w->lv->selectionMode(), QAbstractItemView::ExtendedSelection);
    const std::pair<QPushButton *, QString> buttons[] = {
        {w->cmdOnline, u"Загрузить из сети"_s},     {w->cmdOffline, u"Загрузить автономно"_s},
        {w->cmdSelectAll, u"Выделить все"_s},       {w->cmdHideSelection, u"Снять выделение"_s},
        {w->cmdCancel, u"Отмена"_s}};
    for (const auto &[button, text] : buttons)
        QCOMPARE(button->text(), text);
    QVERIFY(!w->lv->topLevelItem(0)->icon(0).isNull());
}

void tst_SelectiveLoader::listsSessionFile()
{
    ProgramFixture fx;
    startQuiet(fx);
    const QString path = QDir(fx.env.programDir()).filePath(u"s.btl"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header() + newsAnsi + "\r\nhttp://news/\r\nB, b\r\nhttp://b/\r\n");
    file.close();
    fx.dialogs().answerFile(path);
    fx.main().mnuLoadTabsSelective_Click();
    frmOpenTabsDetailed *w = fx.program().loadedWindow<frmOpenTabsDetailed>();
    QVERIFY(w && w->isVisible());
    QCOMPARE(column(w->lv, 0), (QStringList{u"Новости"_s, u"B, b"_s}));
    QCOMPARE(column(w->lv, 1), (QStringList{u"http://news/"_s, u"http://b/"_s}));
}

void tst_SelectiveLoader::listsTabList()
{
    ProgramFixture fx;
    startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "\"http://a/\"\r\nhttp://b/,http://c/\r\n");
    QVERIFY(w && w->isVisible());
    const QStringList addresses{u"http://a/"_s, u"http://b/"_s, u"http://c/"_s};
    QCOMPARE(column(w->lv, 0), addresses);
    QCOMPARE(column(w->lv, 1), addresses);
}

void tst_SelectiveLoader::sourceFails_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::newRow("no autosave") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("title without address") << header() + "A\r\nhttp://a/\r\nB\r\n" << true;
    QTest::newRow("unclosed quote") << QByteArray("\"http://a/\r\n") << true;
}

void tst_SelectiveLoader::sourceFails()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    ProgramFixture fx;
    frmMain &main = startQuiet(fx);
    if (exists)
        fx.env.writeProgramFile(u"autosave.btl"_s, bytes);
    main.mnuLoadAutosaveSelective_Click();
    auto *w = fx.program().loadedWindow<frmOpenTabsDetailed>();
    QVERIFY(!w || !w->isVisible());
    QVERIFY(unloaded(fx));
    QVERIFY(fx.dialogs().msgCalls.isEmpty());
    QCOMPARE(openTabs(main), QList<int>{1});
}

void tst_SelectiveLoader::cancelledDialogKeepsStoredGeometry()
{
    ProgramFixture fx;
    frmMain &main = startQuiet(fx);
    fx.program().settings().SaveSetting(u"general"_s, u"DetTop"_s, u"1500"_s);
    fx.dialogs().answerFile(QString());
    main.mnuLoadTabsSelective_Click();
    QVERIFY(unloaded(fx));
    QCOMPARE(stored(fx, "DetTop"), u"1500"_s);
    QCOMPARE(stored(fx, "DetLeft"), QString());
}

void tst_SelectiveLoader::openChosenRows()
{
    ProgramFixture fx;
    frmMain &main = startQuiet(fx);
    frmOpenTabsDetailed *w =
        loadOver(fx, header() + "One\r\nhttp://one/\r\nTwo\r\nhttp://two/\r\n"
                     "Three\r\nhttp://three.example/long/address\r\n");
    QVERIFY(w);
    w->lv->topLevelItem(2)->setSelected(true);
    w->lv->topLevelItem(0)->setSelected(true);
    fx.browsers().setAsync(true);
    w->cmdOffline->click();

    QVERIFY(fx.internet().offline);
    QVERIFY(!w->isVisible());
    QVERIFY(w->isUnloading());
    // List order, not the order of choosing.
    QCOMPARE(openTabs(main), (QList<int>{1, 2, 3}));
    QCOMPARE(fx.web(2)->calls.navigations, QStringList{u"http://one/"_s});
    QCOMPARE(fx.web(3)->calls.navigations, QStringList{u"http://three.example/long/address"_s});
    QCOMPARE(main.Tabstrip1->tabCaption(3), u"http://three.exampl"_s + u'e');
    QCOMPARE(fx.web(3)->fakeDocument()->titlesSet, QStringList{u"Three"_s});
    // Silent only while the navigation starts.
    QCOMPARE(fx.web(3)->calls.silent, (QList<bool>{true, false}));
    // The tab follows the program's offline state; no flag of its own
    // would outlive it.
    QVERIFY(fx.web(3)->calls.offline.isEmpty());
    QVERIFY(fx.web(3)->Visible());
    QCOMPARE(main.currentTabNumber(), 3);
    QVERIFY(unloaded(fx));
}

void tst_SelectiveLoader::openWithNothingSelected()
{
    ProgramFixture fx;
    frmMain &main = startQuiet(fx);
    fx.internet().offline = true;
    frmOpenTabsDetailed *w = loadOver(fx, "\"http://a/\"\r\n");
    QVERIFY(w);
    w->cmdOnline->click();
    QVERIFY(!fx.internet().offline);
    QVERIFY(w->isVisible());
    QVERIFY(!w->isUnloading());
    QCOMPARE(openTabs(main), QList<int>{1});
}

void tst_SelectiveLoader::selectButtons()
{
    ProgramFixture fx;
    startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "a\r\nb\r\nc\r\n");
    QVERIFY(w);
    w->cmdSelectAll->click();
    QCOMPARE(selectedCount(w->lv), 3);
    w->cmdHideSelection->click();
    QCOMPARE(selectedCount(w->lv), 0);
}

void tst_SelectiveLoader::controlA_data()
{
    QTest::addColumn<bool>("onButton");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("selected");
    QTest::newRow("list, CTRL") << false << Qt::KeyboardModifiers(Qt::ControlModifier) << 3;
    QTest::newRow("list, CTRL+SHIFT")
        << false << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << 0;
    QTest::newRow("list, CTRL+ALT")
        << false << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << 0;
    QTest::newRow("online button, CTRL")
        << true << Qt::KeyboardModifiers(Qt::ControlModifier) << 3;
    QTest::newRow("online button, CTRL+SHIFT")
        << true << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << 0;
}

void tst_SelectiveLoader::controlA()
{
    QFETCH(bool, onButton);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, selected);
    ProgramFixture fx;
    startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "a\r\nb\r\nc\r\n");
    QVERIFY(w);
    QWidget *target = onButton ? static_cast<QWidget *>(w->cmdOnline) : w->lv;
    QTest::keyClick(target, Qt::Key_A, modifiers);
    QCOMPARE(selectedCount(w->lv), selected);
}

void tst_SelectiveLoader::clickBelowRowsDeselects()
{
    ProgramFixture fx;
    startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "a\r\nb\r\n");
    QVERIFY(w);
    QWidget *viewport = w->lv->viewport();
    const QPoint below(10, viewport->height() - 5);
    QVERIFY(!w->lv->itemAt(below));
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        w->cmdSelectAll_Click();
        QCOMPARE(selectedCount(w->lv), 2);
        QTest::mouseClick(viewport, button, Qt::ControlModifier, below);
        QCOMPARE(selectedCount(w->lv), 0);
        QCOMPARE(w->lv->currentItem(), nullptr);
    }
    // A click on a row is the list's own.
    const QPoint onRow = w->lv->visualItemRect(w->lv->topLevelItem(1)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onRow);
    QCOMPARE(w->lv->selectedItems(), QList<QTreeWidgetItem *>{w->lv->topLevelItem(1)});
}

void tst_SelectiveLoader::cancelUnloads()
{
    ProgramFixture fx;
    frmMain &main = startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "a\r\n");
    QVERIFY(w);
    w->cmdSelectAll_Click();
    w->cmdCancel->click();
    QVERIFY(unloaded(fx));
    QCOMPARE(openTabs(main), QList<int>{1});
}

void tst_SelectiveLoader::restoreGeometry_data()
{
    // Screen 1280 x 1024 pixels = 19200 x 15360 twips; 15 twips a pixel.
    QTest::addColumn<QStringList>("values"); // top, left, height, width
    QTest::addColumn<bool>("restored");
    QTest::newRow("fits") << QStringList{u"1500"_s, u"1200"_s, u"6000"_s, u"9000"_s} << true;
    QTest::newRow("smallest, decimal comma")
        << QStringList{u"15"_s, u"15"_s, u"4512"_s, u"8052,0"_s} << true;
    QTest::newRow("touches the screen's corner")
        << QStringList{u"9360"_s, u"10200"_s, u"6000"_s, u"9000"_s} << true;
    QTest::newRow("left 0") << QStringList{u"1500"_s, u"0"_s, u"6000"_s, u"9000"_s} << false;
    QTest::newRow("top below 0") << QStringList{u"-15"_s, u"1200"_s, u"6000"_s, u"9000"_s}
                                 << false;
    QTest::newRow("height 4511") << QStringList{u"1500"_s, u"1200"_s, u"4511"_s, u"9000"_s}
                                 << false;
    QTest::newRow("width 8051") << QStringList{u"1500"_s, u"1200"_s, u"6000"_s, u"8051"_s}
                                << false;
    QTest::newRow("past the bottom") << QStringList{u"9375"_s, u"1200"_s, u"6000"_s, u"9000"_s}
                                     << false;
    QTest::newRow("past the right") << QStringList{u"1500"_s, u"10215"_s, u"6000"_s, u"9000"_s}
                                    << false;
    QTest::newRow("not a number") << QStringList{u"1500"_s, u"abc"_s, u"6000"_s, u"9000"_s}
                                  << false;
    QTest::newRow("nothing stored") << QStringList() << false;
}

void tst_SelectiveLoader::restoreGeometry()
{
    QFETCH(QStringList, values);
    QFETCH(bool, restored);
    ProgramFixture fx;
    // Away from the screen's centre, so the design place tells the two apart.
    startQuiet(fx).move(20, 30);
    fx.system().screen = QSize(1280, 1024);
    const char *keys[] = {"DetTop", "DetLeft", "DetHeight", "DetWidth"};
    for (qsizetype i = 0; i < values.size(); ++i)
        fx.program().settings().SaveSetting(u"general"_s, QString::fromLatin1(keys[i]),
                                            values[i]);
    frmOpenTabsDetailed *w = loadOver(fx, "a\r\n");
    QVERIFY(w && w->isVisible());
    const frmOpenTabsDetailed::Geometry g = w->twipsGeometry();
    if (restored) {
        double v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = QString(values[i]).replace(u',', u'.').toDouble();
        QCOMPARE(g.top, 15.0 * std::round(v[0] / 15.0));
        QCOMPARE(g.left, 15.0 * std::round(v[1] / 15.0));
        QCOMPARE(g.height, 15.0 * std::round(v[2] / 15.0));
        QCOMPARE(g.width, 15.0 * std::round(v[3] / 15.0));
    } else {
        // Design-time size, centred over the main window.
        QCOMPARE(g.width, 8820.0);
        QCOMPARE(g.height, 4800.0);
        const QPoint offset =
            w->frameGeometry().center() - fx.program().mainWindow().frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }
}

void tst_SelectiveLoader::storesGeometryOnUnload()
{
    ProgramFixture fx;
    startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "a\r\n");
    QVERIFY(w);
    w->setTwipsGeometry({1500, 1200, 6000, 9000});
    w->close();
    QVERIFY(unloaded(fx));
    QCOMPARE(stored(fx, "DetTop"), u"1500"_s);
    QCOMPARE(stored(fx, "DetLeft"), u"1200"_s);
    QCOMPARE(stored(fx, "DetHeight"), u"6000"_s);
    QCOMPARE(stored(fx, "DetWidth"), u"9000"_s);

    // The next load brings it back.
    w = loadOver(fx, "a\r\n");
    QVERIFY(w);
    const frmOpenTabsDetailed::Geometry g = w->twipsGeometry();
    QCOMPARE(g.top, 1500.0);
    QCOMPARE(g.left, 1200.0);
    QCOMPARE(g.height, 6000.0);
    QCOMPARE(g.width, 9000.0);
}

void tst_SelectiveLoader::layout()
{
    ProgramFixture fx;
    startQuiet(fx);
    frmOpenTabsDetailed *w = loadOver(fx, "a\r\n");
    QVERIFY(w);
    w->setTwipsGeometry({1500, 1200, 6000, 9000});
    // 15 twips a pixel: list 9000 - 384 twips wide (574 px), 6000 - 1920 high (272 px).
    QCOMPARE(w->lv->size(), QSize(574, 272));
    const int buttonsTop = w->lv->y() + 272 + 7; // 108 twips
    for (QPushButton *b :
         {w->cmdOnline, w->cmdOffline, w->cmdSelectAll, w->cmdHideSelection, w->cmdCancel})
        QCOMPARE(b->y(), buttonsTop);
    const int onlineLeft = w->cmdOnline->x();

    // Too small for the rule: the layout stays as it was.
    w->resize(20, 100);
    QCOMPARE(w->lv->size(), QSize(574, 272));
    QCOMPARE(w->cmdOnline->pos(), QPoint(onlineLeft, buttonsTop));
}

QTEST_MAIN(tst_SelectiveLoader)
#include "tst_selectiveloader.moc"
