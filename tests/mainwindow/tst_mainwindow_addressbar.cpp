#include "ProgramFixture.h"

#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "frmMain.h"
#include "frmOptions.h"

#include <TabstripP.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using velmora::mainwindow::frmMain;
using velmora::platform::FakeWebBrowser;
using velmora::test::ProgramFixture;

namespace {

// A started window whose timers only run when a test runs them, with the
// address bar in its state after a go.
frmMain &startQuiet(ProgramFixture &fx)
{
    frmMain &w = fx.start();
    for (QTimer *timer : {w.Timer1, w.Timer2, w.chang, w.autosave, w.TimResol, w.tmrUpd})
        timer->stop();
    w.podskazka->hide();
    w.podskazka->clear();
    w.addressEdited = false;
    w.rearmHint = false;
    w.hintRebuild = true;
    w.suppressComboClick = false;
    w.hintPicking = false;
    // Navigations are only recorded: the page events of a load are not ours.
    if (FakeWebBrowser *web = fx.web(w.currentTabNumber()))
        web->setAsync(true);
    return w;
}

bool activate(frmMain &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

void setHotWords(velmora::Program &program, const QStringList &words, const QStringList &urls,
                 int count)
{
    program.hotWords = words;
    program.hotUrls = urls;
    program.hwCount = count;
}

QString current(frmMain &w)
{
    return w.newURL[static_cast<size_t>(w.currentTabNumber())];
}

} // namespace

class tst_MainWindowAddressBar : public QObject
{
    Q_OBJECT

private slots:
    void errorPageWrapperIsRemoved_data();
    void errorPageWrapperIsRemoved();
    void hotWord_data();
    void hotWord();
    void hotWordTypedByUser();
    void hotWordCycleStops_data();
    void hotWordCycleStops();
    void enterNavigatesCurrentTab();
    void enterOnEmptyTextOpensBlankPage();
    void goButtonAndLabel();
    void escapeRestoresLocation();
    void escapeOnTabWithoutPage();
    void pickFromOwnList();
    void steppingOwnListWhileSuggestionsInUse();
    void textChangeRearmsSuggestionTimer();
    void focusOwner();
    void focusFromPageToAddressBar();
    void backgroundPageLeavesTypedText_data();
    void backgroundPageLeavesTypedText();
    void leavingBoxDoesNotNavigate();
    void longAddressIsNotCut_data();
    void longAddressIsNotCut();
    void keyCodes_data();
    void keyCodes();
};

void tst_MainWindowAddressBar::errorPageWrapperIsRemoved_data()
{
    QTest::addColumn<QString>("wrapper"); // after "res://" + system directory
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QString>("shown");

    const QString target = QStringLiteral("http://example.com/page");
    const char *suffixes[] = {
        "\\SHDOCLC.DLL/dnserror.htm#", "\\shdoclc.dll/dnserror.htm#",
        "\\SHDOCLC.DLL/navcancl.htm#", "\\shdoclc.dll/navcancl.htm#",
        "\\SHDOCLC.DLL/offcancl.htm#", "\\shdoclc.dll/offcancl.htm#",
        "\\MSHTML.DLL/repost.htm#",    "\\mshtml.dll/repost.htm#",
        "\\MSHTML.DLL/about.moz#",     "\\mshtml.dll/about.moz#",
    };
    for (const char *suffix : suffixes)
        QTest::addRow("%s", suffix) << QString::fromLatin1(suffix) << target << target;

    QTest::newRow("suffix in other letter case stays")
        << QStringLiteral("\\Shdoclc.dll/navcancl.htm#") << target
        << QStringLiteral("res://C:\\WINDOWS\\System32\\Shdoclc.dll/navcancl.htm#") + target;
    QTest::newRow("wrapper twice")
        << QStringLiteral("\\mshtml.dll/repost.htm#")
        << QStringLiteral("res://C:\\WINDOWS\\System32\\mshtml.dll/repost.htm#") + target
        << target;
    QTest::newRow("two different wrappers")
        << QStringLiteral("\\shdoclc.dll/navcancl.htm#")
        << QStringLiteral("res://C:\\WINDOWS\\System32\\MSHTML.DLL/about.moz#") + target
        << target;
    QTest::newRow("nothing asked for") << QStringLiteral("\\shdoclc.dll/dnserror.htm#")
                                       << QString() << QString();
}

void tst_MainWindowAddressBar::errorPageWrapperIsRemoved()
{
    QFETCH(QString, wrapper);
    QFETCH(QString, tail);
    QFETCH(QString, shown);
    ProgramFixture fx;
    fx.system().systemDir = QStringLiteral("C:\\WINDOWS\\System32");
    frmMain &w = startQuiet(fx);
    QCOMPARE(w.systemDir, QStringLiteral("C:\\WINDOWS\\System32"));

    w.Combo1->setEditText(QStringLiteral("res://") + w.systemDir + wrapper + tail);
    QCOMPARE(w.Combo1->currentText(), shown);
    QCOMPARE(current(w), shown);
}

void tst_MainWindowAddressBar::hotWord_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    const QStringList words{QStringLiteral("ya"), QStringLiteral("wiki"), QStringLiteral("ya")};
    const QStringList urls{QStringLiteral("http://ya.ru/"), QStringLiteral("http://wiki.org/"),
                           QStringLiteral("http://second.ru/")};
    QTest::newRow("exact word") << words << urls << 3 << QStringLiteral("wiki")
                                << QStringLiteral("http://wiki.org/");
    QTest::newRow("first row wins") << words << urls << 3 << QStringLiteral("ya")
                                    << QStringLiteral("http://ya.ru/");
    QTest::newRow("other letter case") << words << urls << 3 << QStringLiteral("Wiki")
                                       << QStringLiteral("Wiki");
    QTest::newRow("contains the word") << words << urls << 3 << QStringLiteral("wiki page")
                                       << QStringLiteral("wiki page");
    QTest::newRow("spaces are not trimmed") << words << urls << 3 << QStringLiteral(" wiki")
                                            << QStringLiteral(" wiki");
    QTest::newRow("no rows in use") << words << urls << 0 << QStringLiteral("wiki")
                                    << QStringLiteral("wiki");
    QTest::newRow("row beyond count") << words << urls << 1 << QStringLiteral("wiki")
                                      << QStringLiteral("wiki");
    QTest::newRow("count beyond the table")
        << QStringList{QStringLiteral("a")} << QStringList{QStringLiteral("http://a/")} << 5
        << QStringLiteral("b") << QStringLiteral("b");
    QTest::newRow("address is a word itself")
        << QStringList{QStringLiteral("go"), QStringLiteral("mail")}
        << QStringList{QStringLiteral("mail"), QStringLiteral("http://mail.example/")} << 2
        << QStringLiteral("go") << QStringLiteral("http://mail.example/");
    QTest::newRow("address is a wrapped page")
        << QStringList{QStringLiteral("err")}
        << QStringList{QStringLiteral("res://C:\\WINDOWS\\System32\\shdoclc.dll/"
                                      "dnserror.htm#http://x.org/")}
        << 1 << QStringLiteral("err") << QStringLiteral("http://x.org/");
}

void tst_MainWindowAddressBar::hotWord()
{
    QFETCH(QStringList, words);
    QFETCH(QStringList, urls);
    QFETCH(int, count);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    setHotWords(fx.program(), words, urls, count);

    w.Combo1->setEditText(text);
    QCOMPARE(w.Combo1->currentText(), shown);
    QCOMPARE(current(w), shown);
    if (shown != text)
        QCOMPARE(w.Combo1->lineEdit()->cursorPosition(), shown.size());
}

void tst_MainWindowAddressBar::hotWordTypedByUser()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    setHotWords(fx.program(), {QStringLiteral("ya")}, {QStringLiteral("http://ya.ru/")}, 1);
    w.Combo1->setEditText(QString());

    QTest::keyClicks(w.Combo1, QStringLiteral("ya"));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("http://ya.ru/"));
    QCOMPARE(w.Combo1->lineEdit()->cursorPosition(), 13);
    // Typing on goes on after the address.
    QTest::keyClicks(w.Combo1, QStringLiteral("x"));
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("http://ya.ru/x"));
    QCOMPARE(current(w), QStringLiteral("http://ya.ru/x"));
}

void tst_MainWindowAddressBar::hotWordCycleStops_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("urls");

    QTest::newRow("two words")
        << QStringList{QStringLiteral("a"), QStringLiteral("b")}
        << QStringList{QStringLiteral("b"), QStringLiteral("a")};
    QTest::newRow("three words")
        << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}
        << QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")};
    QTest::newRow("chain into a cycle")
        << QStringList{QStringLiteral("start"), QStringLiteral("a"), QStringLiteral("b")}
        << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")};
}

void tst_MainWindowAddressBar::hotWordCycleStops()
{
    QFETCH(QStringList, words);
    QFETCH(QStringList, urls);
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    setHotWords(fx.program(), words, urls, static_cast<int>(words.size()));
    QSignalSpy changes(w.Combo1, &QComboBox::editTextChanged);

    w.Combo1->setEditText(words.first());
    QVERIFY(words.contains(w.Combo1->currentText()));
    QCOMPARE(current(w), w.Combo1->currentText());
    QVERIFY(changes.size() > 2);
    QVERIFY(changes.size() <= frmMain::MaxHotWordChain + 1);

    // The next change of the text is replaced again: the bound is per change.
    changes.clear();
    w.Combo1->setEditText(QStringLiteral("elsewhere"));
    w.Combo1->setEditText(words.first());
    QVERIFY(changes.size() > 3);
    QVERIFY(words.contains(w.Combo1->currentText()));
}

void tst_MainWindowAddressBar::enterNavigatesCurrentTab()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    QVERIFY(web);
    web->setSilent(true);
    const int stops = web->calls.stops;
    const int focus = web->calls.setFocus;
    w.Combo1->setEditText(QStringLiteral("example.com"));
    w.podskazka->show();
    w.chang->start();
    QVERIFY(w.addressEdited);

    QTest::keyClick(w.Combo1, Qt::Key_Return);
    QCOMPARE(web->calls.stops, stops + 1);
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("example.com"));
    QCOMPARE(web->calls.navigations.count(QStringLiteral("example.com")), 1);
    QCOMPARE(web->calls.silent.mid(web->calls.silent.size() - 2), (QList<bool>{true, false}));
    QVERIFY(!web->Silent());
    QCOMPARE(web->calls.setFocus, focus + 1);
    QVERIFY(w.podskazka->isHidden());
    QVERIFY(!w.chang->isActive());
    QVERIFY(!w.hintRebuild);
    QVERIFY(!w.addressEdited);
    QVERIFY(w.rearmHint);
    QCOMPARE(w.Combo1->lineEdit()->selectedText(), w.Combo1->currentText());
}

void tst_MainWindowAddressBar::enterOnEmptyTextOpensBlankPage()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    w.Combo1->setEditText(QString());
    const int silentCalls = static_cast<int>(web->calls.silent.size());
    const int stops = web->calls.stops;

    QTest::keyClick(w.Combo1, Qt::Key_Enter);
    QCOMPARE(web->calls.stops, stops + 1);
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("about:blank"));
    QCOMPARE(web->calls.silent.size(), silentCalls);
}

void tst_MainWindowAddressBar::goButtonAndLabel()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    const QString address = QStringLiteral(" http://example.org/ a");

    w.Combo1->setEditText(address);
    QTest::mouseClick(w.cmdGo, Qt::LeftButton);
    QCOMPARE(web->calls.navigations.last(), address); // nothing trimmed or added

    const int navigations = static_cast<int>(web->calls.navigations.size());
    QTest::mouseClick(w.lblGo, Qt::RightButton);
    QCOMPARE(web->calls.navigations.size(), navigations);
    w.Combo1->setEditText(QStringLiteral("second.org"));
    QTest::mouseClick(w.lblGo, Qt::LeftButton);
    QCOMPARE(web->calls.navigations.size(), navigations + 1);
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("second.org"));
}

void tst_MainWindowAddressBar::escapeRestoresLocation()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    QVERIFY(web->fakeNavigate(QStringLiteral("http://shown.example/")));
    const QString location = web->LocationURL();
    QVERIFY(!location.isEmpty());
    w.Combo1->setEditText(QStringLiteral("typed text"));
    w.podskazka->show();
    w.chang->start();

    QTest::keyClick(w.Combo1, Qt::Key_Escape);
    QCOMPARE(w.Combo1->currentText(), location);
    QCOMPARE(current(w), location);
    QCOMPARE(w.Combo1->lineEdit()->cursorPosition(), location.size());
    QVERIFY(!w.Combo1->lineEdit()->hasSelectedText());
    QVERIFY(w.podskazka->isHidden());
    QVERIFY(!w.chang->isActive());
    QVERIFY(!w.hintRebuild);
}

void tst_MainWindowAddressBar::escapeOnTabWithoutPage()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    web->releasePage();
    const QString location = web->LocationURL();
    w.Combo1->setEditText(QStringLiteral("typed"));

    QTest::keyClick(w.Combo1, Qt::Key_Escape);
    QCOMPARE(w.Combo1->currentText(), location);
    QCOMPARE(current(w), location);
}

void tst_MainWindowAddressBar::pickFromOwnList()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    w.Combo1->clear();
    w.Combo1->addItems({QStringLiteral("first.org"), QStringLiteral("second.org")});
    w.Combo1->setCurrentIndex(0);
    const int stops = web->calls.stops;
    const int navigations = static_cast<int>(web->calls.navigations.size());

    // The arrow keys step through the box's own list and go at once.
    QTest::keyClick(w.Combo1, Qt::Key_Down);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("second.org"));
    QCOMPARE(web->calls.navigations.size(), navigations + 1);
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("second.org"));
    QCOMPARE(web->calls.stops, stops); // no stop before a pick

    // An empty text goes nowhere.
    w.Combo1->setEditText(QString());
    w.Combo1_Click();
    QCOMPARE(web->calls.navigations.size(), navigations + 1);
}

void tst_MainWindowAddressBar::steppingOwnListWhileSuggestionsInUse()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    w.Combo1->clear();
    w.Combo1->addItems({QStringLiteral("first.org"), QStringLiteral("second.org")});
    w.Combo1->setCurrentIndex(0);
    const int navigations = static_cast<int>(web->calls.navigations.size());

    w.suppressComboClick = true;
    QTest::keyClick(w.Combo1, Qt::Key_Down);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("second.org"));
    QCOMPARE(web->calls.navigations.size(), navigations);
}

void tst_MainWindowAddressBar::textChangeRearmsSuggestionTimer()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    w.Combo1->setEditText(QString());
    w.addressEdited = false;

    // A change made by code alone does not start the timer.
    w.Combo1->setEditText(QStringLiteral("a"));
    QVERIFY(w.addressEdited);
    QVERIFY(!w.chang->isActive());

    QTest::keyClick(w.Combo1, Qt::Key_B);
    QVERIFY(w.chang->isActive());
    QVERIFY(!w.rearmHint); // the change took it
    QTest::keyClick(w.Combo1, Qt::Key_Left);
    QVERIFY(w.rearmHint); // a key without a change keeps it for the next change
}

void tst_MainWindowAddressBar::focusOwner()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    if (!activate(w))
        QSKIP("the platform cannot activate a window");
    w.cmdGo->setFocus(Qt::MouseFocusReason);

    w.Combo1->setFocus(Qt::MouseFocusReason);
    QCOMPARE(w.FocusOwner, 1);
    w.cmdGo->setFocus(Qt::MouseFocusReason);
    QCOMPARE(w.FocusOwner, 3);

    w.Combo1->setFocus(Qt::MouseFocusReason);
    w.podskazka->addItem(QStringLiteral("x.org"));
    w.podskazka->show();
    w.suppressComboClick = true;
    w.podskazka->setFocus(Qt::MouseFocusReason);
    QCOMPARE(w.FocusOwner, 6);
    QVERIFY(!w.suppressComboClick);
    w.cmdGo->setFocus(Qt::MouseFocusReason);
    QCOMPARE(w.FocusOwner, 3);
}

void tst_MainWindowAddressBar::focusFromPageToAddressBar()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    if (!activate(w))
        QSKIP("the platform cannot activate a window");
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    web->SetFocus();
    QCOMPARE(w.FocusOwner, 2);

    w.Combo1->setFocus(Qt::MouseFocusReason);
    QVERIFY(w.Combo1->hasFocus());
    QCOMPARE(w.FocusOwner, 1);
}

void tst_MainWindowAddressBar::backgroundPageLeavesTypedText_data()
{
    QTest::addColumn<bool>("sameDocument");
    QTest::addColumn<bool>("standardMode");
    QTest::newRow("same-document move, standard") << true << true;
    QTest::newRow("same-document move, favourite block") << true << false;
    QTest::newRow("new page, standard") << false << true;
}

// The history row the box showed last moves when another tab completes a
// navigation; what the user types in the current tab stays.
void tst_MainWindowAddressBar::backgroundPageLeavesTypedText()
{
    QFETCH(bool, sameDocument);
    QFETCH(bool, standardMode);
    ProgramFixture fx;
    frmMain &w = fx.start();
    fx.program().optionFlags.save_mode = standardMode;
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://zzz.example/")));
    QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://pushing.example/")));
    w.cmdNew_Click();
    w.Tabstrip1->setValue(2);
    QCOMPARE(w.currentTabNumber(), 2);
    w.Combo1->setCurrentIndex(w.Combo1->findText(QStringLiteral("pushing.example")));
    QLineEdit *edit = w.Combo1->lineEdit();
    edit->selectAll();
    QTest::keyClicks(w.Combo1, QStringLiteral("hello"));
    QTest::keyClick(w.Combo1, Qt::Key_Left);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("hello"));

    for (int i = 0; i < 3; ++i) {
        if (sameDocument)
            fx.web(1)->fakeSameDocument(QStringLiteral("http://pushing.example/#%1").arg(i));
        else
            QVERIFY(fx.web(1)->fakeNavigate(QStringLiteral("http://pushing.example/%1").arg(i)));
        QCOMPARE(w.Combo1->currentText(), QStringLiteral("hello"));
        QCOMPARE(edit->cursorPosition(), 4);
        QCOMPARE(w.newURL[2], QStringLiteral("hello"));
    }
    QCOMPARE(w.Combo1->itemText(0), QStringLiteral("pushing.example"));

    // Enter opens what was typed, once.
    QTest::keyClick(w.Combo1, Qt::Key_Return);
    QCOMPARE(fx.web(2)->calls.navigations.last(), QStringLiteral("hello"));
    QCOMPARE(fx.web(2)->calls.navigations.count(QStringLiteral("hello")), 1);
}

void tst_MainWindowAddressBar::leavingBoxDoesNotNavigate()
{
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    if (!activate(w))
        QSKIP("the platform cannot activate a window");
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    w.Combo1->clear();
    w.Combo1->addItems({QStringLiteral("first.org"), QStringLiteral("second.org")});
    w.Combo1->setCurrentIndex(0);
    const auto navigations = web->calls.navigations.size();

    w.Combo1->setFocus(Qt::MouseFocusReason);
    w.Combo1->lineEdit()->selectAll();
    QTest::keyClicks(w.Combo1, QStringLiteral("second.org"));
    w.cmdGo->setFocus(Qt::TabFocusReason);
    QCOMPARE(w.FocusOwner, 3);
    QCOMPARE(web->calls.navigations.size(), navigations);
    QCOMPARE(w.Combo1->currentText(), QStringLiteral("second.org"));

    // The arrow keys of the box still go.
    w.Combo1->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(w.Combo1, Qt::Key_Up);
    QCOMPARE(web->calls.navigations.size(), navigations + 1);
    QCOMPARE(web->calls.navigations.last(), QStringLiteral("first.org"));
}

void tst_MainWindowAddressBar::longAddressIsNotCut_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("paste");
    QTest::newRow("just over the old limit, set") << 32768 << false;
    QTest::newRow("100,000 characters, pasted") << 100000 << true;
    QTest::newRow("2 MB, set") << frmMain::MaxAddressLength << false;
}

void tst_MainWindowAddressBar::longAddressIsNotCut()
{
    QFETCH(int, length);
    QFETCH(bool, paste);
    ProgramFixture fx;
    frmMain &w = startQuiet(fx);
    FakeWebBrowser *web = fx.web(w.currentTabNumber());
    const QString head = QStringLiteral("http://example.com/?q=");
    const QString address = head + QString(length - head.size(), QLatin1Char('a'));
    QLineEdit *edit = w.Combo1->lineEdit();
    if (paste) {
        w.Combo1->setEditText(QString());
        QApplication::clipboard()->setText(address);
        edit->paste();
    } else {
        w.Combo1->setEditText(address);
    }
    QCOMPARE(w.Combo1->currentText().size(), address.size());
    QCOMPARE(current(w).size(), address.size());

    QTest::keyClick(w.Combo1, Qt::Key_Return);
    QCOMPARE(web->calls.navigations.last().size(), address.size());
    QVERIFY(web->calls.navigations.last() == address);
}

void tst_MainWindowAddressBar::keyCodes_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("code");
    QTest::newRow("return") << int(Qt::Key_Return) << 13;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << 13;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 27;
    QTest::newRow("up") << int(Qt::Key_Up) << 38;
    QTest::newRow("down") << int(Qt::Key_Down) << 40;
    QTest::newRow("letter") << int(Qt::Key_K) << 75;
    QTest::newRow("digit") << int(Qt::Key_7) << 55;
    QTest::newRow("delete") << int(Qt::Key_Delete) << 46;
    QTest::newRow("f5") << int(Qt::Key_F5) << 116;
}

void tst_MainWindowAddressBar::keyCodes()
{
    QFETCH(int, qtKey);
    QFETCH(int, code);
    QCOMPARE(frmMain::keyCodeOf(qtKey), code);
}

QTEST_MAIN(tst_MainWindowAddressBar)
#include "tst_mainwindow_addressbar.moc"
