// The address-history editor: loading, removing, moving and saving rows.

#include "ProgramFixture.h"

#include "Program.h"
#include "SettingsStore.h"
#include "WebBrowser.h"
#include "frmMain.h"
#include "frmOptions.h"
#include "frmRemove.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;
using velmora::windows::frmRemove;

namespace {

// Rows written as one text: values by name, "-" for the blank divider.
QStringList split(const QString &rows)
{
    QStringList list = rows.split(u' ', Qt::SkipEmptyParts);
    for (QString &row : list) {
        if (row == u"-")
            row.clear();
    }
    return list;
}

QString joined(const QListWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        const QString text = list->item(i)->text();
        rows.append(text.isEmpty() ? QStringLiteral("-") : text);
    }
    return rows.join(u' ');
}

QList<int> selectedRows(const QListWidget *list)
{
    QList<int> rows;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            rows.append(i);
    }
    return rows;
}

QByteArray historyFile(const QStringList &values)
{
    QByteArray bytes;
    for (const QString &value : values)
        bytes += QByteArray("\"") + value.toLatin1() + QByteArray("\"\r\n");
    return bytes;
}

// Opens the editor from the options window, as the user does.
frmRemove &openEditor(ProgramFixture &fx)
{
    fx.program().options().cmdRemove_Click();
    return fx.program().window<frmRemove>();
}

frmRemove &editorOver(ProgramFixture &fx, const QStringList &values)
{
    fx.start(QStringLiteral("http://start.example/"));
    fx.env.writeProgramFile(QStringLiteral("WebHis.dat"), historyFile(values));
    return openEditor(fx);
}

void choose(QListWidget *list, const QList<int> &selected, int current)
{
    list->clearSelection();
    list->setCurrentRow(current, QItemSelectionModel::NoUpdate);
    for (int row : selected)
        list->item(row)->setSelected(true);
}

const QString twelve = QStringLiteral("a b c d e f g h i j k l");

} // namespace

class tst_HistoryEditor : public QObject
{
    Q_OBJECT

private slots:
    void load_data();
    void load();
    void remove_data();
    void remove();
    void move_data();
    void move();
    void pressAndHold_data();
    void pressAndHold();
    void saveWritesFileAndAddressBar();
    void removeAllThenSave();
    void exitWithoutSavingDiscards();
    void damagedFileIsKeptOnSave();
    void englishCaptions();
};

void tst_HistoryEditor::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("rows");

    QTest::newRow("twelve values: divider at 8")
        << historyFile(split(twelve)) << QStringLiteral("a b c d e f g h - i j k l");
    QTest::newRow("eight values: no divider")
        << historyFile(split(QStringLiteral("a b c d e f g h")))
        << QStringLiteral("a b c d e f g h");
    QTest::newRow("nine values") << historyFile(split(QStringLiteral("a b c d e f g h i")))
                                 << QStringLiteral("a b c d e f g h - i");
    QTest::newRow("empty values are shown")
        << QByteArray("\"a\"\r\n\"\"\r\n\"b\"\r\n") << QStringLiteral("a - b");
    QTest::newRow("empty file") << QByteArray() << QString();
    // The row with the open quote is read to its line end.
    QTest::newRow("unbalanced quote: every row recovered")
        << QByteArray("\"a\"\r\n\"b\"\r\n\"c\r\n") << QStringLiteral("a b c");
}

void tst_HistoryEditor::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, rows);

    ProgramFixture fx;
    fx.start();
    fx.env.writeProgramFile(QStringLiteral("WebHis.dat"), file);
    frmRemove &w = openEditor(fx);
    QVERIFY(w.isVisible());
    QCOMPARE(joined(w.List1), rows);
    // A second opening reads the file again rather than adding to the list.
    openEditor(fx);
    QCOMPARE(joined(w.List1), rows);
}

void tst_HistoryEditor::remove_data()
{
    QTest::addColumn<QString>("values");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("rows");

    QTest::newRow("rows of both blocks, down to eight")
        << twelve << QList<int>{0, 5, 10, 12} << 12 << QStringLiteral("b c d e g h i k");
    QTest::newRow("nine values down to eight: no divider")
        << QStringLiteral("a b c d e f g h i") << QList<int>{9} << 9
        << QStringLiteral("a b c d e f g h");
    QTest::newRow("divider comes back") << twelve << QList<int>{2} << 2
                                        << QStringLiteral("a b d e f g h i - j k l");
    QTest::newRow("a selected divider stays") << twelve << QList<int>{8} << 8
                                              << QStringLiteral("a b c d e f g h - i j k l");
    QTest::newRow("no current row: nothing") << twelve << QList<int>{1, 9} << -1
                                             << QStringLiteral("a b c d e f g h - i j k l");
    QTest::newRow("adjacent rows") << QStringLiteral("a b c d e") << QList<int>{1, 2, 3} << 3
                                   << QStringLiteral("a e");
}

void tst_HistoryEditor::remove()
{
    QFETCH(QString, values);
    QFETCH(QList<int>, selected);
    QFETCH(int, current);
    QFETCH(QString, rows);

    ProgramFixture fx;
    frmRemove &w = editorOver(fx, split(values));
    const QByteArray before = fx.env.readProgramFile(QStringLiteral("WebHis.dat"));
    choose(w.List1, selected, current);
    QTest::mouseClick(w.cmdRemove, Qt::LeftButton);
    QCOMPARE(joined(w.List1), rows);
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")), before);
}

void tst_HistoryEditor::move_data()
{
    QTest::addColumn<QString>("values");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QList<int>>("selectedAfter");
    QTest::addColumn<int>("currentAfter"); // -2: not checked

    const QString five = QStringLiteral("a b c d e");
    const QString eight = QStringLiteral("a b c d e f g h");
    QTest::newRow("bottom two of five down")
        << five << QList<int>{3, 4} << 4 << true << QStringLiteral("e b c a d")
        << QList<int>{0, 4} << -2;
    QTest::newRow("row 7 down crosses the divider")
        << twelve << QList<int>{7} << 7 << true << QStringLiteral("a b c d e f g i - h j k l")
        << QList<int>{9} << -2;
    QTest::newRow("row 9 up crosses the divider")
        << twelve << QList<int>{9} << 9 << false << QStringLiteral("a b c d e f g i - h j k l")
        << QList<int>{7} << 7;
    QTest::newRow("divider is deselected, not moved")
        << twelve << QList<int>{8} << 8 << true << QStringLiteral("a b c d e f g h - i j k l")
        << QList<int>{} << -2;
    QTest::newRow("last row down wraps")
        << twelve << QList<int>{12} << 12 << true << QStringLiteral("l b c d e f g h - i j k a")
        << QList<int>{0} << -2;
    QTest::newRow("row 0 up wraps") << five << QList<int>{0} << 0 << false
                                    << QStringLiteral("e b c d a") << QList<int>{4} << -2;
    QTest::newRow("eight rows: row 7 wraps") << eight << QList<int>{7} << 7 << true
                                             << QStringLiteral("h b c d e f g a")
                                             << QList<int>{0} << -2;
    QTest::newRow("three in the middle down")
        << eight << QList<int>{2, 3, 4} << 2 << true << QStringLiteral("a b f c d e g h")
        << QList<int>{3, 4, 5} << -2;
    QTest::newRow("three in the middle up")
        << eight << QList<int>{2, 3, 4} << 4 << false << QStringLiteral("a c d e b f g h")
        << QList<int>{1, 2, 3} << 1;
    QTest::newRow("top two of five up")
        << five << QList<int>{0, 1} << 0 << false << QStringLiteral("b e c d a")
        << QList<int>{0, 4} << -2;
    QTest::newRow("only the current row") << five << QList<int>{} << 1 << true
                                          << QStringLiteral("a c b d e") << QList<int>{2} << -2;
    // A row goes round the end once, not on to the next place.
    QTest::newRow("current last row down: once round")
        << five << QList<int>{} << 4 << true << QStringLiteral("e b c d a") << QList<int>{0}
        << -2;
    QTest::newRow("current first row up: once round")
        << five << QList<int>{} << 0 << false << QStringLiteral("e b c d a") << QList<int>{4}
        << 4;
    QTest::newRow("whole list down: turns round once")
        << five << QList<int>{0, 1, 2, 3, 4} << 0 << true << QStringLiteral("e a b c d")
        << QList<int>{0, 2, 3, 4} << -2;
    QTest::newRow("nothing selected or current") << five << QList<int>{} << -1 << true
                                                 << five << QList<int>{} << -2;
    QTest::newRow("empty list") << QString() << QList<int>{} << -1 << false << QString()
                                << QList<int>{} << -2;
}

void tst_HistoryEditor::move()
{
    QFETCH(QString, values);
    QFETCH(QList<int>, selected);
    QFETCH(int, current);
    QFETCH(bool, down);
    QFETCH(QString, rows);
    QFETCH(QList<int>, selectedAfter);
    QFETCH(int, currentAfter);

    ProgramFixture fx;
    frmRemove &w = editorOver(fx, split(values));
    choose(w.List1, selected, current);
    if (down)
        w.cmdDown_MouseDown(1, 0, 0, 0);
    else
        w.cmdUp_MouseDown(1, 0, 0, 0);
    QCOMPARE(joined(w.List1), rows);
    QCOMPARE(selectedRows(w.List1), selectedAfter);
    if (currentAfter != -2)
        QCOMPARE(w.List1->currentRow(), currentAfter);
}

void tst_HistoryEditor::pressAndHold_data()
{
    QTest::addColumn<bool>("down");
    QTest::addColumn<QStringList>("steps"); // rows after press, tick, second tick
    QTest::newRow("down") << true
                          << QStringList{QStringLiteral("a b d c e"), QStringLiteral("a b d e c"),
                                         QStringLiteral("c b d e a")};
    QTest::newRow("up") << false
                        << QStringList{QStringLiteral("a c b d e"), QStringLiteral("c a b d e"),
                                       QStringLiteral("e a b d c")};
}

void tst_HistoryEditor::pressAndHold()
{
    QFETCH(bool, down);
    QFETCH(QStringList, steps);

    ProgramFixture fx;
    frmRemove &w = editorOver(fx, split(QStringLiteral("a b c d e")));
    QPushButton *button = down ? w.cmdDown : w.cmdUp;
    QTimer *timer = down ? w.Timer1 : w.Timer2;
    auto tick = [&] { down ? w.Timer1_Timer() : w.Timer2_Timer(); };
    choose(w.List1, {2}, 2);
    QVERIFY(!timer->isActive());

    // The press moves at once and waits a second before it repeats.
    QTest::mousePress(button, Qt::LeftButton);
    QCOMPARE(joined(w.List1), steps[0]);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), frmRemove::FirstRepeatMs);
    tick();
    QCOMPARE(joined(w.List1), steps[1]);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), frmRemove::RepeatMs);
    tick();
    QCOMPARE(joined(w.List1), steps[2]);
    QCOMPARE(timer->interval(), frmRemove::RepeatMs);
    QTest::mouseRelease(button, Qt::LeftButton);
    QVERIFY(!timer->isActive());

    // Moving the mouse over the window stops a held button too.
    const QString before = joined(w.List1);
    QTest::mousePress(button, Qt::LeftButton);
    QVERIFY(timer->isActive());
    QMouseEvent moved(QEvent::MouseMove, QPointF(2, 2), w.mapToGlobal(QPointF(2, 2)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &moved);
    QVERIFY(!timer->isActive());
    QVERIFY(joined(w.List1) != before);
    QTest::mouseRelease(button, Qt::LeftButton);

    // Only the left button moves.
    const QString unchanged = joined(w.List1);
    QTest::mousePress(button, Qt::RightButton);
    QCOMPARE(joined(w.List1), unchanged);
    QVERIFY(!timer->isActive());
    QTest::mouseRelease(button, Qt::RightButton);
}

void tst_HistoryEditor::saveWritesFileAndAddressBar()
{
    ProgramFixture fx;
    fx.start(QStringLiteral("http://start.example/"));
    fx.env.writeProgramFile(QStringLiteral("WebHis.dat"),
                            historyFile(split(QStringLiteral("a b - c d e f g h i j k"))));
    frmRemove &w = openEditor(fx);
    QCOMPARE(joined(w.List1), QStringLiteral("a b - c d e f g - h i j k"));
    choose(w.List1, {0}, 0);
    w.cmdDown_MouseDown(1, 0, 0, 0);
    choose(w.List1, {9}, 9);
    w.cmdUp_MouseDown(1, 0, 0, 0);

    frmMain &main = fx.main();
    main.Combo1->setEditText(QStringLiteral("typed"));
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);

    QVERIFY(!w.isVisible());
    const QStringList saved = split(QStringLiteral("b a c d e f h g i j k"));
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")), historyFile(saved));
    QStringList combo;
    for (int i = 0; i < main.Combo1->count(); ++i)
        combo.append(main.Combo1->itemText(i));
    QCOMPARE(combo, saved);
    QCOMPARE(main.Combo1->currentText(), main.web(main.currentTabNumber())->LocationURL());
    QVERIFY(main.Combo1->currentText().contains(u"start.example"));
}

void tst_HistoryEditor::removeAllThenSave()
{
    ProgramFixture fx;
    frmRemove &w = editorOver(fx, split(twelve));
    QTest::mouseClick(w.cmdRemAll, Qt::LeftButton);
    QCOMPARE(w.List1->count(), 0);
    // Nothing is written before the save.
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")), historyFile(split(twelve)));
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")), QByteArray());
    QCOMPARE(fx.main().Combo1->count(), 0);
}

void tst_HistoryEditor::exitWithoutSavingDiscards()
{
    ProgramFixture fx;
    frmRemove &w = editorOver(fx, split(twelve));
    const int comboRows = fx.main().Combo1->count();
    choose(w.List1, {0, 1}, 1);
    QTest::mouseClick(w.cmdRemove, Qt::LeftButton);
    w.cmdDown_MouseDown(1, 0, 0, 0);
    QTest::mouseClick(w.cmdExWO, Qt::LeftButton);

    QVERIFY(!w.isVisible());
    QVERIFY(fx.program().loadedWindow<frmRemove>());
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")), historyFile(split(twelve)));
    QCOMPARE(fx.main().Combo1->count(), comboRows);
    openEditor(fx);
    QCOMPARE(joined(w.List1), QStringLiteral("a b c d e f g h - i j k l"));
}

void tst_HistoryEditor::damagedFileIsKeptOnSave()
{
    ProgramFixture fx;
    fx.start();
    const QByteArray damaged("\"a\"\r\n\"b\r\n");
    fx.env.writeProgramFile(QStringLiteral("WebHis.dat"), damaged);
    frmRemove &w = openEditor(fx);
    QCOMPARE(joined(w.List1), QStringLiteral("a b"));
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat")),
             QByteArray("\"a\"\r\n\"b\"\r\n"));
    QCOMPARE(fx.env.readProgramFile(QStringLiteral("WebHis.dat.bad")), damaged);
}

void tst_HistoryEditor::englishCaptions()
{
    ProgramFixture fx;
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        QStringLiteral("English"));
    frmRemove &w = editorOver(fx, {});
    QCOMPARE(w.windowTitle(), QStringLiteral("Edit address history"));
    QCOMPARE(w.cmdRemAll->text(), QStringLiteral("Remove all"));
    QCOMPARE(w.cmdRemove->text(), QStringLiteral("Remove"));
    QCOMPARE(w.cmdExWO->text(), QStringLiteral("Close without saving"));
    QCOMPARE(w.cmdClose->text(), QStringLiteral("Save and close"));
}

QTEST_MAIN(tst_HistoryEditor)
#include "tst_historyeditor.moc"
