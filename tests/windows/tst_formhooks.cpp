// The main window's form hooks and the form filler window, over fake pages.

#include "ProgramFixture.h"

#include "FakeDialogs.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "frmFormFill.h"
#include "frmMain.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using velmora::mainwindow::frmMain;
using velmora::platform::FakeWebDocument;
using velmora::platform::WebForm;
using velmora::test::ProgramFixture;
using velmora::windows::frmFormFill;

namespace {

// A page document of its own, for the hooks to walk.
struct Page
{
    QObject owner;
    FakeWebDocument *top = new FakeWebDocument(&owner);
};

// Makes every submission of the document's forms stop unless a later
// handler (the main window's hook) lets it go, so fakeSubmit tells hooked
// forms from the others.
void blockSubmissions(FakeWebDocument *document, QObject *context)
{
    for (int k = 0; k < document->formCount(); ++k) {
        QObject::connect(document->form(k), &WebForm::onsubmit, context,
                         [](bool *returnValue) { *returnValue = false; });
    }
    document->formCountReads = 0;
}

QList<const WebForm *> hooked(const frmMain &main)
{
    QList<const WebForm *> forms;
    for (const auto &form : main.webForm)
        forms.append(form.data());
    return forms;
}

QList<const WebForm *> formsOf(const FakeWebDocument *document, int count)
{
    QList<const WebForm *> forms;
    for (int k = 0; k < frmMain::HookedForms; ++k)
        forms.append(k < count ? document->form(k) : nullptr);
    return forms;
}

QStringList rows(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

} // namespace

class tst_FormHooks : public QObject
{
    Q_OBJECT

private slots:
    void hooksFirstTwentyForms();
    void laterDocumentReplacesHooks();
    void framesWalkedDepthFirstEachOnce();
    void eventsRunBetweenFrames_data();
    void eventsRunBetweenFrames();
    void parseEventsShowsCurrentEventType();
    void formFillerListsFormsOfCurrentTab();
    void formFillerWithoutPageListsNothing();
};

void tst_FormHooks::hooksFirstTwentyForms()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    Page page;
    page.top->fakeSetFormCount(25);
    blockSubmissions(page.top, &page.owner);

    main.parse(page.top);
    QCOMPARE(hooked(main), formsOf(page.top, 20));
    // A hooked form submits as usual; the ones past the twentieth are not hooked.
    for (int k = 0; k < 25; ++k)
        QCOMPARE(page.top->fakeSubmit(k), k < 20);
}

void tst_FormHooks::laterDocumentReplacesHooks()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    Page first;
    first.top->fakeSetFormCount(25);
    blockSubmissions(first.top, &first.owner);
    main.parse(first.top);

    // Fewer forms: the references past its last are released.
    Page second;
    second.top->fakeSetFormCount(3);
    blockSubmissions(second.top, &second.owner);
    main.parse(second.top);
    QCOMPARE(hooked(main), formsOf(second.top, 3));
    QVERIFY(!first.top->fakeSubmit(0));
    QVERIFY(!first.top->fakeSubmit(5));
    QVERIFY(second.top->fakeSubmit(2));

    // No forms at all: the references keep what they held.
    Page empty;
    main.parse(empty.top);
    QCOMPARE(hooked(main), formsOf(second.top, 3));

    // A form that goes away leaves an empty reference behind.
    second.top->fakeSetFormCount(2);
    QVERIFY(!main.webForm[2]);
    main.parse(nullptr);
    QCOMPARE(hooked(main), formsOf(second.top, 2));
}

void tst_FormHooks::framesWalkedDepthFirstEachOnce()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    // top: frame 0 (2 forms; its frame 0.0 has 1), another site's frame,
    // frame 2 (no forms; its frame 2.0 has 4), no forms of its own.
    Page page;
    FakeWebDocument *f0 = page.top->fakeAddFrame();
    f0->fakeSetFormCount(2);
    FakeWebDocument *f00 = f0->fakeAddFrame();
    f00->fakeSetFormCount(1);
    page.top->fakeAddForeignFrame();
    FakeWebDocument *f2 = page.top->fakeAddFrame();
    FakeWebDocument *f20 = f2->fakeAddFrame();
    f20->fakeSetFormCount(4);

    for (FakeWebDocument *document : {page.top, f0, f00, f2, f20})
        blockSubmissions(document, &page.owner);

    main.parse(page.top);
    // Frame 2.0 came last with forms; frame 2 and the top had none to give.
    QCOMPARE(hooked(main), formsOf(f20, 4));
    for (const FakeWebDocument *document : {page.top, f0, f00, f2, f20})
        QCOMPARE(document->formCountReads, 1);
    // Frame 0's hooks were replaced, after they had replaced frame 0.0's.
    QVERIFY(!f0->fakeSubmit(0));
    QVERIFY(!f00->fakeSubmit(0));
    QVERIFY(f20->fakeSubmit(3));

    // The walk of frame 0 alone ends with its own forms over its frame's.
    main.parse(f0);
    QCOMPARE(hooked(main), formsOf(f0, 2));
    QVERIFY(f0->fakeSubmit(1));
    QVERIFY(!f00->fakeSubmit(0));
}

void tst_FormHooks::eventsRunBetweenFrames_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<bool>("eventsRan");
    QTest::newRow("no frames: no events") << 0 << false;
    QTest::newRow("one frame") << 1 << true;
}

void tst_FormHooks::eventsRunBetweenFrames()
{
    QFETCH(int, frames);
    QFETCH(bool, eventsRan);
    ProgramFixture fx;
    frmMain &main = fx.start();
    Page page;
    for (int i = 0; i < frames; ++i)
        page.top->fakeAddFrame();
    page.top->fakeSetFormCount(1);
    bool ran = false;
    QTimer::singleShot(0, &page.owner, [&] { ran = true; });
    main.parse(page.top);
    QCOMPARE(ran, eventsRan);
}

void tst_FormHooks::parseEventsShowsCurrentEventType()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.Timer1_Timer(); // binds the current tab's document
    FakeWebDocument *document = fx.web(1)->fakeDocument();
    QCOMPARE(main.HTML.data(), document);

    // Between events there is nothing to show.
    main.parseEvents();
    QVERIFY(fx.dialogs().msgCalls.isEmpty());

    QObject context;
    QObject::connect(document, &FakeWebDocument::onmousemove, &context,
                     [&] { main.parseEvents(); });
    document->fakeMouseMove();
    QCOMPARE(fx.dialogs().msgCalls.size(), 1);
    const auto &call = fx.dialogs().msgCalls.first();
    QCOMPARE(call.text, QStringLiteral("mousemove"));
    QCOMPARE(call.title, QString());
    QCOMPARE(call.buttons, velmora::platform::MsgButtons::OK);
    QCOMPARE(document->currentEventType(), QString());

    document->fakeSetFormCount(1);
    QObject::connect(document->form(0), &WebForm::onsubmit, &context,
                     [&](bool *) { main.parseEvents(); });
    QVERIFY(document->fakeSubmit(0));
    QCOMPARE(fx.dialogs().msgCalls.size(), 2);
    QCOMPARE(fx.dialogs().msgCalls.last().text, QStringLiteral("submit"));
}

void tst_FormHooks::formFillerListsFormsOfCurrentTab()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    main.cmdNew_Click(); // 2, current
    QAction *menu = main.actionNamed(QStringLiteral("mnuFormFiller"));
    QVERIFY(!menu->isVisible());
    menu->trigger();
    frmFormFill *filler = fx.program().loadedWindow<frmFormFill>();
    QVERIFY(filler);
    QVERIFY(filler->isVisible());
    QCOMPARE(filler->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(filler->Command1->text(), QStringLiteral("Command1"));
    QVERIFY(filler->List1->count() == 0);

    FakeWebDocument *top = fx.web(2)->fakeDocument();
    top->fakeSetFormCount(1);
    FakeWebDocument *f0 = top->fakeAddFrame();
    f0->fakeSetFormCount(2);
    f0->fakeAddFrame()->fakeSetFormCount(1);
    top->fakeAddForeignFrame();
    top->fakeAddFrame()->fakeAddFrame()->fakeSetFormCount(1);
    fx.web(1)->fakeDocument()->fakeSetFormCount(5); // not the current tab

    filler->Command1->click();
    QCOMPARE(rows(filler->List1),
             (QStringList{QStringLiteral("0.0#0"), QStringLiteral("0#0"), QStringLiteral("0#1"),
                          QStringLiteral("2.0#0"), QStringLiteral("#0")}));
    // The window walks; it hooks nothing of the main window's.
    QCOMPARE(hooked(main), formsOf(top, 0));

    // A new document has none: the list is filled afresh.
    fx.web(2)->Navigate2(QStringLiteral("http://host.test/"));
    filler->Command1->click();
    QCOMPARE(filler->List1->count(), 0);

    // Closing only hides it; the menu shows the same window again.
    filler->close();
    menu->trigger();
    QCOMPARE(fx.program().loadedWindow<frmFormFill>(), filler);
    QVERIFY(filler->isVisible());
}

void tst_FormHooks::formFillerWithoutPageListsNothing()
{
    ProgramFixture fx;
    frmMain &main = fx.start();
    fx.web(1)->fakeDocument()->fakeSetFormCount(3);
    fx.web(1)->releasePage();
    main.actionNamed(QStringLiteral("mnuFormFiller"))->trigger();
    frmFormFill *filler = fx.program().loadedWindow<frmFormFill>();
    filler->Command1->click();
    QCOMPARE(filler->List1->count(), 0);
    filler->parse(nullptr);
    QCOMPARE(filler->List1->count(), 0);
}

QTEST_MAIN(tst_FormHooks)
#include "tst_formhooks.moc"
