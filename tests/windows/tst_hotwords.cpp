#include "ProgramFixture.h"

#include "FakeDialogs.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmHW.h"
#include "frmMain.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;
using velmora::windows::frmHW;
using namespace Qt::StringLiterals;

namespace {

using Rows = QList<QPair<QString, QString>>;

// The table file as the store writes it.
QByteArray fileOf(const Rows &rows)
{
    QByteArray bytes;
    for (const auto &[word, url] : rows)
        bytes += "\"" + word.toLatin1() + "\"\r\n\"" + url.toLatin1() + "\"\r\n";
    return bytes;
}

const Rows threeRows{{u"ya"_s, u"http://ya.ru/"_s},
                     {u"wiki"_s, u"http://wiki.org/"_s},
                     {u"mail"_s, u"http://mail.example/"_s}};

Rows published(velmora::Program &program, int count)
{
    Rows rows;
    for (int k = 0; k < count; ++k)
        rows.append({program.hotWords.value(k), program.hotUrls.value(k)});
    return rows;
}

frmHW &openEditor(ProgramFixture &fx)
{
    frmHW &hw = fx.program().window<frmHW>();
    hw.nstup = true;
    hw.show();
    hw.Form_Load();
    return hw;
}

QPair<QString, QString> fields(const frmHW &hw)
{
    return {hw.txtWord->text(), hw.txtUrl->text()};
}

void type(frmHW &hw, const QString &word, const QString &url)
{
    hw.txtWord->setText(word);
    hw.txtUrl->setText(url);
}

} // namespace

class tst_HotWords : public QObject
{
    Q_OBJECT

private slots:
    void startUpLoad_data();
    void startUpLoad();
    void editorShowsRowOneAndWaitsForAWord();
    void okOnEmptyTableStoresTheRow();
    void moves_data();
    void moves();
    void moveSavesTheShownRow();
    void createInTheMiddle();
    void removeInTheMiddle();
    void removeTheLastRow();
    void rowTypedPastTheTableIsKept();
    void escapeDropsTheTyping_data();
    void escapeDropsTheTyping();
    void createdRowLeftEmptyIsDropped();
    void failedWriteIsReported();
    void captionsFollowTheLanguage();
};

void tst_HotWords::startUpLoad_data()
{
    QTest::addColumn<bool>("hasFile");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("count");
    QTest::addColumn<Rows>("words");

    QTest::newRow("no file") << false << QByteArray() << 1 << Rows{{QString(), QString()}};
    QTest::newRow("empty file") << true << QByteArray() << 1 << Rows{{QString(), QString()}};
    QTest::newRow("three rows") << true << fileOf(threeRows) << 3
                                << (threeRows + Rows{{QString(), QString()}});
    QTest::newRow("the table ends at the first empty word")
        << true << fileOf({threeRows[0], {QString(), u"http://lost/"_s}, threeRows[2]}) << 1
        << Rows{threeRows[0], {QString(), QString()}};
}

void tst_HotWords::startUpLoad()
{
    QFETCH(bool, hasFile);
    QFETCH(QByteArray, file);
    QFETCH(int, count);
    QFETCH(Rows, words);
    ProgramFixture fx;
    if (hasFile)
        fx.env.writeProgramFile(u"db.tdb"_s, file);
    fx.start();

    QCOMPARE(fx.program().hwCount, count);
    QCOMPARE(published(fx.program(), int(words.size())), words);
    QVERIFY(QFileInfo::exists(QDir(fx.env.programDir()).filePath(u"db.tdb"_s)));
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), file);
    QVERIFY(fx.program().mainLoaded);
    // Its window is built when the user first opens it.
    QVERIFY(!fx.program().loadedWindow<frmHW>());
}

void tst_HotWords::editorShowsRowOneAndWaitsForAWord()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    QCOMPARE(hw.currentRow(), 1);
    QCOMPARE(fields(hw), threeRows[0]);

    hw.txtWord->clear();
    hw.txtUrl->setText(u"http://changed/"_s);
    for (QPushButton *b : {hw.cmdForward, hw.cmdLast, hw.goFirst, hw.cmdBack, hw.cmdOK})
        b->click();
    QCOMPARE(hw.currentRow(), 1);
    QCOMPARE(fields(hw), (QPair<QString, QString>{QString(), u"http://changed/"_s}));
    QVERIFY(hw.isVisible());
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf(threeRows));
}

void tst_HotWords::okOnEmptyTableStoresTheRow()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    frmHW &hw = openEditor(fx);
    type(hw, u"news"_s, u"http://news.example/"_s);
    hw.cmdOK->click();

    QVERIFY(hw.isHidden());
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s),
             fileOf({{u"news"_s, u"http://news.example/"_s}}));
    QCOMPARE(fx.program().hwCount, 1);
    // The address bar knows the word at once.
    w.Combo1->setEditText(u"news"_s);
    QCOMPARE(w.Combo1->currentText(), u"http://news.example/"_s);
}

void tst_HotWords::moves_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("to");

    QTest::newRow("<< from 2") << 2 << u"goFirst"_s << 1;
    QTest::newRow("< from 2") << 2 << u"cmdBack"_s << 1;
    QTest::newRow("< stops at 1") << 1 << u"cmdBack"_s << 1;
    QTest::newRow("> from 2") << 2 << u"cmdForward"_s << 3;
    QTest::newRow("> stops at the last row") << 3 << u"cmdForward"_s << 3;
    QTest::newRow(">> from 1") << 1 << u"cmdLast"_s << 3;
}

void tst_HotWords::moves()
{
    QFETCH(int, from);
    QFETCH(QString, button);
    QFETCH(int, to);
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    for (int r = 1; r < from; ++r)
        hw.cmdForward->click();
    QCOMPARE(hw.currentRow(), from);

    hw.findChild<QPushButton *>(button)->click();
    QCOMPARE(hw.currentRow(), to);
    QCOMPARE(fields(hw), threeRows[to - 1]);
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf(threeRows));
    QCOMPARE(fx.program().hwCount, 3);
}

void tst_HotWords::moveSavesTheShownRow()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    hw.cmdForward->click();
    hw.txtUrl->setText(u"http://ru.wiki.org/"_s);
    hw.cmdBack->click();

    const Rows changed{threeRows[0], {u"wiki"_s, u"http://ru.wiki.org/"_s}, threeRows[2]};
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf(changed));
    QCOMPARE(published(fx.program(), 3), changed);
    QCOMPARE(fields(hw), threeRows[0]);
}

void tst_HotWords::createInTheMiddle()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    frmMain &w = fx.start();
    frmHW &hw = openEditor(fx);
    hw.cmdForward->click();
    hw.cmdCreate->click();

    QCOMPARE(fields(hw), (QPair<QString, QString>{}));
    QCOMPARE(hw.currentRow(), 2);
    QCOMPARE(fx.program().hwCount, 4);
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s),
             fileOf({threeRows[0], {}, threeRows[1], threeRows[2]}));
    QCOMPARE(fx.program().hotWords.value(2), u"wiki"_s);

    type(hw, u"maps"_s, u"http://maps.example/"_s);
    hw.cmdOK->click();
    const Rows four{threeRows[0], {u"maps"_s, u"http://maps.example/"_s}, threeRows[1],
                    threeRows[2]};
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf(four));
    QCOMPARE(fx.program().hwCount, 4);
    QCOMPARE(published(fx.program(), 4), four);
    QVERIFY(hw.isHidden());
    w.Combo1->setEditText(u"mail"_s);
    QCOMPARE(w.Combo1->currentText(), u"http://mail.example/"_s);
}

void tst_HotWords::removeInTheMiddle()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    hw.cmdForward->click();
    hw.cmdRemove->click();

    QCOMPARE(hw.currentRow(), 2);
    QCOMPARE(fields(hw), threeRows[2]);
    QCOMPARE(fx.program().hwCount, 2);
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf({threeRows[0], threeRows[2]}));
    QCOMPARE(published(fx.program(), 3), (Rows{threeRows[0], threeRows[2], {}}));
}

void tst_HotWords::removeTheLastRow()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    hw.cmdLast->click();
    hw.cmdRemove->click();

    QCOMPARE(hw.currentRow(), 3);
    QCOMPARE(fields(hw), (QPair<QString, QString>{}));
    QCOMPARE(fx.program().hwCount, 2);
    const QByteArray two = fileOf({threeRows[0], threeRows[1]});
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), two);

    // Nothing stands there now: removing again must not cut the row before it.
    hw.cmdRemove->click();
    QCOMPARE(fx.program().hwCount, 2);
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), two);
}

void tst_HotWords::rowTypedPastTheTableIsKept()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    hw.cmdLast->click();
    hw.cmdRemove->click();
    type(hw, u"maps"_s, u"http://maps.example/"_s);
    hw.cmdBack->click();

    const Rows kept{threeRows[0], threeRows[1], {u"maps"_s, u"http://maps.example/"_s}};
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf(kept));
    QCOMPARE(fx.program().hwCount, 3);
    QCOMPARE(published(fx.program(), 3), kept);
    QCOMPARE(hw.currentRow(), 2);
}

void tst_HotWords::escapeDropsTheTyping_data()
{
    QTest::addColumn<QString>("control");
    for (const char *name : {"frmHW", "txtWord", "txtUrl", "cmdRemove", "goFirst", "cmdBack",
                             "cmdForward", "cmdLast", "cmdCreate"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_HotWords::escapeDropsTheTyping()
{
    QFETCH(QString, control);
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    type(hw, u"typed"_s, u"http://typed/"_s);
    QWidget *target = control == hw.objectName() ? &hw : hw.findChild<QWidget *>(control);
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key_Escape);

    QVERIFY(hw.isHidden());
    QCOMPARE(fx.program().loadedWindow<frmHW>(), &hw);
    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf(threeRows));
    QCOMPARE(published(fx.program(), 3), threeRows);
}

void tst_HotWords::createdRowLeftEmptyIsDropped()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    hw.cmdForward->click();
    hw.cmdCreate->click();
    QTest::keyClick(hw.txtWord, Qt::Key_Escape);

    QCOMPARE(fx.env.readProgramFile(u"db.tdb"_s), fileOf(threeRows));
    QCOMPARE(fx.program().hwCount, 3);
    QCOMPARE(published(fx.program(), 3), threeRows);
}

void tst_HotWords::failedWriteIsReported()
{
    ProgramFixture fx;
    fx.env.writeProgramFile(u"db.tdb"_s, fileOf(threeRows));
    fx.start();
    frmHW &hw = openEditor(fx);
    // The table can no longer be read or replaced.
    const QDir dir(fx.env.programDir());
    QVERIFY(QFile::remove(dir.filePath(u"db.tdb"_s)));
    QVERIFY(dir.mkdir(u"db.tdb"_s));

    hw.txtUrl->setText(u"http://changed/"_s);
    hw.cmdForward->click();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    QCOMPARE(fx.dialogs().msgCalls[0].icon, velmora::platform::MsgIcon::Critical);
    QCOMPARE(hw.currentRow(), 1);
    QVERIFY(hw.isVisible());
    QCOMPARE(published(fx.program(), 3), threeRows);
}

void tst_HotWords::captionsFollowTheLanguage()
{
    ProgramFixture fx;
    fx.program().settings().SaveSetting(u"general"_s, u"language"_s, u"English"_s);
    fx.start();
    frmHW &hw = openEditor(fx);
    QCOMPARE(hw.windowTitle(), u"Hot words"_s);
    QCOMPARE(hw.Label1->text(), u"Hot word:"_s);
    QCOMPARE(hw.Label2->text(), u"Address (URL):"_s);
    QCOMPARE(hw.cmdRemove->text(), u"Remove"_s);
    QCOMPARE(hw.cmdCreate->text(), u"New"_s);
    // The moves keep their arrows in every language.
    QCOMPARE(hw.cmdForward->text(), u">"_s);
}

QTEST_MAIN(tst_HotWords)
#include "tst_hotwords.moc"
