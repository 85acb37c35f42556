#include "ProgramFixture.h"

#include "FakeWebBrowser.h"
#include "Program.h"
#include "frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <limits>

using velmora::mainwindow::frmMain;
using velmora::platform::FakeWebBrowser;
using velmora::test::ProgramFixture;

namespace {

const QStringList history{
    QStringLiteral("example.com"), QStringLiteral("www.example.org"),
    QStringLiteral("mail.example.com"), QStringLiteral("exam.net"),
    QStringLiteral("Example.de"), QStringLiteral("www.other.com"),
};

QStringList items(const QListWidget &list)
{
    QStringList result;
    for (int i = 0; i < list.count(); ++i)
        result.append(list.item(i)->text());
    return result;
}

int selectedRow(const QListWidget &list)
{
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

// A started, active window with the history above, its timers held, and
// "exa" typed into the address bar with the suggestions built.
class Typed
{
public:
    explicit Typed(ProgramFixture &fx) : w(fx.start())
    {
        for (QTimer *timer : {w.Timer1, w.Timer2, w.chang, w.autosave, w.TimResol, w.tmrUpd})
            timer->stop();
        w.Combo1->clear();
        w.Combo1->addItems(history);
        w.Combo1->setEditText(QString());
        w.podskazka->hide();
        w.podskazka->clear();
        w.hintRebuild = true;
        w.hintPicking = false;
        w.suppressComboClick = false;
        // Navigations are only recorded: the page events of a load are not ours.
        if (FakeWebBrowser *web = fx.web(w.currentTabNumber()))
            web->setAsync(true);
        QApplication::setActiveWindow(&w);
        w.activateWindow();
        active = QTest::qWaitForWindowActive(&w);
        for (QTimer *timer : {w.Timer1, w.Timer2, w.chang})
            timer->stop();
        w.Combo1->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(w.Combo1, QStringLiteral("exa"));
        w.chang_Timer(); // the timer's tick
    }

    frmMain &w;
    bool active = false;
};

} // namespace

class tst_MainWindowSuggestions : public QObject
{
    Q_OBJECT

private slots:
    void matching_data();
    void matching();
    void builderWaitsForAnEdit();
    void builderFillsAndShowsList();
    void builderKeepsListWhileNotRebuilding();
    void builderRefusesNestedFill();
    void typingRebuildsShownListAtOnce();
    void walkDownAndBack();
    void walkUpAndBack();
    void enterInListNavigates();
    void enterOpensHighlightedAfterComingBack_data();
    void enterOpensHighlightedAfterComingBack();
    void doubleClickNavigates();
    void letterInListGoesBackToAddressBar();
    void escapeInListRestoresLocation();
    void clickCopiesItem();
    void largeHistory();
};

void tst_MainWindowSuggestions::matching_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("start or after www., in history order")
        << QStringLiteral("exa")
        << QStringList{QStringLiteral("example.com"), QStringLiteral("www.example.org"),
                       QStringLiteral("exam.net")};
    QTest::newRow("typed www. matches only its own start")
        << QStringLiteral("www.") << QStringList{QStringLiteral("www.example.org"),
                                                 QStringLiteral("www.other.com")};
    QTest::newRow("inside a row only") << QStringLiteral("mple") << QStringList{};
    QTest::newRow("letter case counts") << QStringLiteral("Exa")
                                        << QStringList{QStringLiteral("Example.de")};
    QTest::newRow("whole row") << QStringLiteral("exam.net")
                               << QStringList{QStringLiteral("exam.net")};
    QTest::newRow("longer than every row") << QStringLiteral("example.com/long") << QStringList{};
    QTest::newRow("empty text") << QString() << QStringList{};
    QTest::newRow("w alone") << QStringLiteral("w")
                             << QStringList{QStringLiteral("www.example.org"),
                                            QStringLiteral("www.other.com")};
}

void tst_MainWindowSuggestions::matching()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, expected);
    QCOMPARE(frmMain::buildSuggestions(history, typed), expected);

    // The window's list offers the same rows.
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.chang->stop();
    w.Combo1->clear();
    w.Combo1->addItems(history);
    w.Combo1->setEditText(typed);
    w.addressEdited = true;
    w.hintRebuild = true;
    w.chang_Timer();
    QCOMPARE(items(*w.podskazka), expected);
    QCOMPARE(!w.podskazka->isHidden(), !expected.isEmpty());
}

void tst_MainWindowSuggestions::builderWaitsForAnEdit()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.Combo1->clear();
    w.Combo1->addItems(history);
    w.Combo1->setEditText(QStringLiteral("exa"));
    w.addressEdited = false;
    w.hintRebuild = true;
    w.chang->start();

    w.chang_Timer();
    QVERIFY(w.podskazka->isHidden());
    QCOMPARE(w.podskazka->count(), 0);
    QVERIFY(w.chang->isActive()); // it ticks again
}

void tst_MainWindowSuggestions::builderFillsAndShowsList()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.Combo1->clear();
    w.Combo1->addItems(history);
    w.podskazka->addItem(QStringLiteral("stale.org"));
    w.Combo1->setEditText(QStringLiteral("www.o"));
    w.addressEdited = true;
    w.hintRebuild = true;
    w.hintPicking = false;
    w.chang->start();

    w.chang_Timer();
    QCOMPARE(items(*w.podskazka), QStringList{QStringLiteral("www.other.com")});
    QVERIFY(!w.podskazka->isHidden());
    QVERIFY(w.hintPicking);
    QVERIFY(!w.hintBusy);
    QVERIFY(!w.chang->isActive());

    // A history row added later is offered by the next build.
    w.Combo1->insertItem(0, QStringLiteral("www.orange.org"));
    w.chang_Timer();
    QCOMPARE(items(*w.podskazka),
             (QStringList{QStringLiteral("www.orange.org"), QStringLiteral("www.other.com")}));

    // Nothing matching leaves the list empty.
    w.Combo1->setEditText(QStringLiteral("zzz"));
    w.hintRebuild = true;
    w.chang_Timer();
    QCOMPARE(w.podskazka->count(), 0);
}

void tst_MainWindowSuggestions::builderKeepsListWhileNotRebuilding()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.Combo1->clear();
    w.Combo1->addItems(history);
    w.podskazka->addItem(QStringLiteral("kept.org"));
    w.Combo1->setEditText(QStringLiteral("exa"));
    w.addressEdited = true;
    w.hintRebuild = false;
    w.chang->start();

    w.chang_Timer();
    QCOMPARE(items(*w.podskazka), QStringList{QStringLiteral("kept.org")});
    QVERIFY(!w.chang->isActive());
}

void tst_MainWindowSuggestions::builderRefusesNestedFill()
{
    ProgramFixture fx;
    frmMain &w = fx.start();
    w.Combo1->clear();
    w.Combo1->addItems(history);
    w.Combo1->setEditText(QStringLiteral("exa"));
    w.addressEdited = true;
    w.hintRebuild = true;
    w.hintBusy = true;

    w.chang_Timer();
    QCOMPARE(w.podskazka->count(), 0);
    QVERIFY(w.hintBusy);
}

void tst_MainWindowSuggestions::typingRebuildsShownListAtOnce()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    QCOMPARE(w.podskazka->count(), 3);
    w.hintRebuild = false; // as the synchroniser keeps it while the list is shown

    QTest::keyClicks(w.Combo1, QStringLiteral("m"));
    QCOMPARE(items(*w.podskazka),
             (QStringList{QStringLiteral("example.com"), QStringLiteral("www.example.org"),
                          QStringLiteral("exam.net")}));
    QTest::keyClicks(w.Combo1, QStringLiteral("."));
    QCOMPARE(items(*w.podskazka), QStringList{QStringLiteral("exam.net")});
}

void tst_MainWindowSuggestions::walkDownAndBack()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    if (!t.active)
        QSKIP("the platform cannot activate a window");
    QCOMPARE(w.podskazka->count(), 3);

    QTest::keyClick(w.Combo1, Qt::Key_Down);
    QVERIFY(w.podskazka->hasFocus());
    QCOMPARE(w.FocusOwner, 6);
    QCOMPARE(selectedRow(*w.podskazka), 0);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("example.com"));
    QCOMPARE(w.typedBeforeHint, QStringLiteral("exa"));
    QVERIFY(w.suppressComboClick);
    QVERIFY(w.hintPicking);
    QCOMPARE(w.podskazka->count(), 3); // not rebuilt from the picked text

    QTest::keyClick(w.podskazka, Qt::Key_Down);
    QCOMPARE(selectedRow(*w.podskazka), 1);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("www.example.org"));
    QTest::keyClick(w.podskazka, Qt::Key_Down);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("exam.net"));
    QTest::keyClick(w.podskazka, Qt::Key_Up);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("www.example.org"));
    QTest::keyClick(w.podskazka, Qt::Key_Down);
    QCOMPARE(w.podskazka->count(), 3);

    // Down at the last one goes back to what was typed.
    QTest::keyClick(w.podskazka, Qt::Key_Down);
    QVERIFY(w.Combo1->hasFocus());
    QCOMPARE(w.FocusOwner, 1);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("exa"));
    QCOMPARE(w.Combo1->lineEdit()->cursorPosition(), 3);
    QCOMPARE(selectedRow(*w.podskazka), -1);
    QVERIFY(!w.hintPicking);
    QVERIFY(w.hintRebuild);
    QCOMPARE(w.podskazka->count(), 3);
}

void tst_MainWindowSuggestions::walkUpAndBack()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    if (!t.active)
        QSKIP("the platform cannot activate a window");
    w.typedBeforeHint = QStringLiteral("earlier");

    QTest::keyClick(w.Combo1, Qt::Key_Up);
    QVERIFY(w.podskazka->hasFocus());
    QCOMPARE(selectedRow(*w.podskazka), 2);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("exam.net"));
    QVERIFY(w.hintPicking);

    QTest::keyClick(w.podskazka, Qt::Key_Up);
    QTest::keyClick(w.podskazka, Qt::Key_Up);
    QCOMPARE(selectedRow(*w.podskazka), 0);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("example.com"));

    // Up at the first one puts back the text stored by the last entry with Down.
    QTest::keyClick(w.podskazka, Qt::Key_Up);
    QVERIFY(w.Combo1->hasFocus());
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("earlier"));
    QCOMPARE(w.Combo1->lineEdit()->cursorPosition(), 7);
    QVERIFY(!w.hintPicking);
    QVERIFY(w.hintRebuild);
}

void tst_MainWindowSuggestions::enterInListNavigates()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    if (!t.active)
        QSKIP("the platform cannot activate a window");
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    const int stops = web->calls.stops;

    QTest::keyClick(w.Combo1, Qt::Key_Down);
    QTest::keyClick(w.podskazka, Qt::Key_Down);
    QTest::keyClick(w.podskazka, Qt::Key_Return);
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("www.example.org"));
    QCOMPARE(web->calls.stops, stops + 1);
    QVERIFY(w.podskazka->isHidden());
    QVERIFY(!w.addressEdited);
}

void tst_MainWindowSuggestions::enterOpensHighlightedAfterComingBack_data()
{
    // Keys pressed in the list before going down into it again.
    QTest::addColumn<QList<int>>("walk");
    QTest::newRow("first time down") << QList<int>{};
    QTest::newRow("back up from the first item") << QList<int>{Qt::Key_Up};
    QTest::newRow("back down from the last item")
        << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down};
    QTest::newRow("twice back up") << QList<int>{Qt::Key_Up, Qt::Key_Down, Qt::Key_Up};
}

void tst_MainWindowSuggestions::enterOpensHighlightedAfterComingBack()
{
    QFETCH(QList<int>, walk);
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    if (!t.active)
        QSKIP("the platform cannot activate a window");
    FakeWebBrowser *web = fx.web(w.currentTabNumber());

    if (!walk.isEmpty()) {
        QTest::keyClick(w.Combo1, Qt::Key_Down);
        for (int key : walk) {
            QWidget *focused = QApplication::focusWidget();
            QTest::keyClick(focused ? focused : static_cast<QWidget *>(w.podskazka), Qt::Key(key));
        }
        QVERIFY(w.Combo1->hasFocus());
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("exa"));
    }
    QTest::keyClick(w.Combo1, Qt::Key_Down);
    QVERIFY(w.podskazka->hasFocus());
    QCOMPARE(selectedRow(*w.podskazka), 0);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("example.com"));
    QTest::keyClick(w.podskazka, Qt::Key_Return);
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("example.com"));
}

void tst_MainWindowSuggestions::doubleClickNavigates()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    QListWidgetItem *item = w.podskazka->item(2);
    QVERIFY(item);
    const QPoint at = w.podskazka->visualItemRect(item).center();

    // The first click of a double click picks the item, the second goes.
    QTest::mouseClick(w.podskazka->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w.podskazka->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("exam.net"));
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("exam.net"));
    QVERIFY(w.podskazka->isHidden());
}

void tst_MainWindowSuggestions::letterInListGoesBackToAddressBar()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    if (!t.active)
        QSKIP("the platform cannot activate a window");

    QTest::keyClick(w.Combo1, Qt::Key_Down);
    QVERIFY(w.podskazka->hasFocus());
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("example.com"));

    QTest::keyClick(w.podskazka, Qt::Key_X);
    QVERIFY(w.Combo1->hasFocus());
    QCOMPARE(w.FocusOwner, 1);
    QVERIFY(!w.hintPicking);
    // The letter is typed after the text, and the list follows it.
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("example.comx"));
    QCOMPARE(w.podskazka->count(), 0);
    QVERIFY(w.chang->isActive());
}

void tst_MainWindowSuggestions::escapeInListRestoresLocation()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    if (!t.active)
        QSKIP("the platform cannot activate a window");
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    const QString location = web->LocationURL();

    QTest::keyClick(w.Combo1, Qt::Key_Down);
    QTest::keyClick(w.podskazka, Qt::Key_Escape);
    QVERIFY(w.Combo1->hasFocus());
    QCOMPARE(w.Combo1->currentText(), location);
    QVERIFY(w.podskazka->isHidden());
    QVERIFY(!w.hintPicking);
    QVERIFY(w.hintRebuild);
}

void tst_MainWindowSuggestions::clickCopiesItem()
{
    ProgramFixture fx;
    Typed t(fx);
    frmMain &w = t.w;
    QListWidgetItem *item = w.podskazka->item(1);
    const QPoint at = w.podskazka->visualItemRect(item).center();

    QTest::mouseClick(w.podskazka->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("www.example.org"));
    QVERIFY(!w.hintRebuild);
    QCOMPARE(w.podskazka->count(), 3); // the pick does not rebuild the list

    // While the list is not in use a click copies nothing.
    w.hintPicking = false;
    QTest::mouseClick(w.podskazka->viewport(), Qt::LeftButton, {},
                      w.podskazka->visualItemRect(w.podskazka->item(0)).center());
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("www.example.org"));
}

// Timing is the benchmark's business; here the large list must still give
// exactly the matching rows, through the builder and through the window.
void tst_MainWindowSuggestions::largeHistory()
{
    QStringList large;
    large.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        const QString host = QStringLiteral("host%1.example.com").arg(i);
        large.append(i % 2 ? QStringLiteral("www.") + host : host);
    }
    const QStringList matches = frmMain::buildSuggestions(large, QStringLiteral("host9999"));
    QCOMPARE(matches.size(), 11);
    QCOMPARE(matches.first(), QStringLiteral("www.host9999.example.com"));

    ProgramFixture fx;
    frmMain &w = fx.start();
    w.chang->stop();
    w.Combo1->clear();
    w.Combo1->addItems(large);
    w.Combo1->setEditText(QStringLiteral("host9999"));
    for (int run = 0; run < 2; ++run) {
        w.addressEdited = true;
        w.hintRebuild = true;
        w.chang_Timer();
        QCOMPARE(w.podskazka->count(), 11);
    }
}

QTEST_MAIN(tst_MainWindowSuggestions)
#include "tst_mainwindow_suggestions.moc"
