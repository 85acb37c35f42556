#include "ProgramFixture.h"

#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include "Bar.h"
#include "TabstripP.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;

namespace {

// Counts the moves and resizes the watched widgets receive.
class GeometryEvents : public QObject
{
public:
    void watch(QWidget *w)
    {
        w->installEventFilter(this);
        names.insert(w, w->objectName());
    }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
            moved.append(names.value(watched));
        return false;
    }
    QHash<QObject *, QString> names;
    QStringList moved;
};

QHash<QWidget *, QRect> geometries(const frmMain &w)
{
    QHash<QWidget *, QRect> result;
    for (QWidget *child : w.form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        result.insert(child, child->geometry());
    return result;
}

// Resizes the window and waits until its client area has followed.
bool resizeTo(frmMain &w, int width, int height)
{
    const int formWidth = w.form->width() + width - w.width();
    const int formHeight = w.form->height() + height - w.height();
    w.resize(width, height);
    return QTest::qWaitFor(
        [&] { return w.form->width() == formWidth && w.form->height() == formHeight; });
}

// A started window whose first layout has run.
frmMain &startLaidOut(ProgramFixture &fx)
{
    frmMain &w = fx.start();
    // Checked by the callers.
    (void)QTest::qWaitFor([&] { return w.firstPaintDone; });
    (void)resizeTo(w, 900, 640);
    w.Form_Resize();
    return w;
}

QWidget *page(ProgramFixture &fx, int tab)
{
    return fx.web(tab)->widget();
}

} // namespace

class TestMainWindowLayout : public QObject
{
    Q_OBJECT

private slots:
    void growingKeepsTheRightEdge_data();
    void growingKeepsTheRightEdge();
    void closedTabsAreNotResized();
    void unchangedPassMovesNothing_data();
    void unchangedPassMovesNothing();
    void refusedSizeSkipsOnlyItsStep();
    void narrowWindowKeepsControlsUsable_data();
    void narrowWindowKeepsControlsUsable();
    void nothingWhileUnloading();
};

void TestMainWindowLayout::growingKeepsTheRightEdge_data()
{
    QTest::addColumn<int>("dw");
    QTest::addColumn<int>("dh");

    QTest::newRow("wider") << 200 << 0;
    QTest::newRow("wider and taller") << 37 << 50;
    QTest::newRow("smaller") << -100 << -30;
}

void TestMainWindowLayout::growingKeepsTheRightEdge()
{
    QFETCH(int, dw);
    QFETCH(int, dh);

    ProgramFixture fx;
    frmMain &w = startLaidOut(fx);
    QVERIFY(w.firstPaintDone);
    QCOMPARE(w.width(), 900);
    const int comboWidth = w.Combo1->width();

    QVERIFY(resizeTo(w, w.width() + dw, w.height() + dh));

    const int right = w.form->width();
    const int bottom = w.form->height();
    QCOMPARE(w.Combo1->width(), comboWidth + dw);
    QCOMPARE(right - w.cmdClose->geometry().right() - 1, 10);
    QVERIFY(qAbs(w.cmdGo->x() - (w.Combo1->geometry().right() + 1 + 20 / 12.)) <= 1);
    QVERIFY(qAbs(right - w.Bar1->geometry().right() - 1 - 400 / 12.) <= 1);
    // Status bar along the bottom, the tab row right on top of it.
    QCOMPARE(w.StatusBar1->geometry().bottom() + 1, bottom);
    QCOMPARE(w.StatusBar1->width(), right);
    QCOMPARE(w.Tabstrip1->geometry().bottom() + 1, w.StatusBar1->y());
    QVERIFY(qAbs(w.Bar1->y() - (w.StatusBar1->y() + 30 / 12.)) <= 1);
    // The page fills the room between the address row and the tab row.
    const QRect current = page(fx, 1)->geometry();
    QVERIFY(qAbs(current.y() - (w.Toolbar1->height() + 31.25)) <= 1);
    QCOMPARE(current.bottom() + 1, w.Tabstrip1->y());
    QCOMPARE(current.width(), w.StatusBar1->width());
    QCOMPARE(w.Tabstrip1->width(), current.width());
    QVERIFY(qAbs(w.cmdClose->y() - (current.y() - 250 / 12.)) <= 1);
    // The address row hangs from the toolbar.
    QCOMPARE(w.Combo1->y(), w.Toolbar1->height() + 3);
    QCOMPARE(w.spinbutton1->y(), w.Combo1->y());
    QCOMPARE(w.lblGo->y(), w.cmdGo->y() + 10);
    QCOMPARE(w.spinbutton1->x(), w.lblGo->geometry().right() + 1);
}

void TestMainWindowLayout::closedTabsAreNotResized()
{
    ProgramFixture fx;
    frmMain &w = startLaidOut(fx);
    QVERIFY(w.firstPaintDone);
    QCOMPARE(w.width(), 900);
    // The hidden first control was laid out with the rest during the load.
    QVERIFY(!fx.web(0)->Visible());
    QCOMPARE(page(fx, 0)->geometry(), page(fx, 1)->geometry());

    w.cmdNew_Click();
    w.cmdNew_Click();
    w.Tabstrip1->setValue(2);
    w.cmdClose_Click();
    QVERIFY(!fx.web(2)->Visible());
    const QRect closed = page(fx, 2)->geometry();

    QVERIFY(resizeTo(w, w.width() + 120, w.height() + 40));
    const QRect open = page(fx, 3)->geometry();
    QVERIFY(open != closed);
    QCOMPARE(page(fx, 2)->geometry(), closed);
    QCOMPARE(page(fx, 1)->geometry(), open);
    QCOMPARE(page(fx, 0)->geometry(), open);

    // Shown again, the next layout sizes it.
    fx.web(2)->setVisible(true);
    w.Form_Resize();
    QCOMPARE(page(fx, 2)->geometry(), open);
    // A new tab starts with the current rectangle.
    w.cmdNew_Click();
    QCOMPARE(page(fx, 4)->geometry(), open);
}

void TestMainWindowLayout::unchangedPassMovesNothing_data()
{
    QTest::addColumn<int>("dw");
    QTest::newRow("as started") << 0;
    QTest::newRow("after growing") << 160;
}

void TestMainWindowLayout::unchangedPassMovesNothing()
{
    QFETCH(int, dw);

    ProgramFixture fx;
    frmMain &w = startLaidOut(fx);
    QVERIFY(w.firstPaintDone);
    QCOMPARE(w.width(), 900);
    w.cmdNew_Click();
    if (dw)
        QVERIFY(resizeTo(w, w.width() + dw, w.height()));
    w.Timer1_Timer();
    w.Form_Resize();

    GeometryEvents events;
    for (QWidget *child : w.form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        events.watch(child);
    const auto before = geometries(w);
    w.Form_Resize();
    QCOMPARE(events.moved, QStringList{});
    QCOMPARE(geometries(w), before);
}

void TestMainWindowLayout::refusedSizeSkipsOnlyItsStep()
{
    ProgramFixture fx;
    frmMain &w = startLaidOut(fx);
    QVERIFY(w.firstPaintDone);
    QCOMPARE(w.width(), 900);
    const int comboWidth = w.Combo1->width();
    // As under a window manager that does not keep the window's minimum.
    w.form->setMinimumSize(0, 0);
    w.setMinimumSize(0, 0);
    QVERIFY(resizeTo(w, 200, w.height()));

    // No room left for the address box: its width stays, the rest goes on.
    const int fixed = w.Combo1->x() + w.spinbutton1->width() + w.cmdClose->width()
        + w.lblGo->width() + w.cmdGo->width();
    QVERIFY(w.form->width() < fixed);
    QCOMPARE(w.Combo1->width(), comboWidth);
    QCOMPARE(w.form->width() - w.cmdClose->geometry().right() - 1, 10);
    QCOMPARE(w.StatusBar1->width(), w.form->width());
}

void TestMainWindowLayout::narrowWindowKeepsControlsUsable_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("Russian") << QStringLiteral("Russian");
    QTest::newRow("English") << QStringLiteral("English");
}

// A window made smaller than its controls need stops at a size where the
// address field can be typed into and no control covers another.
void TestMainWindowLayout::narrowWindowKeepsControlsUsable()
{
    QFETCH(QString, language);
    ProgramFixture fx;
    fx.program().settings().SaveSetting(QStringLiteral("general"), QStringLiteral("language"),
                                        language);
    frmMain &w = startLaidOut(fx);
    QVERIFY(w.firstPaintDone);
    w.resize(150, 120);
    QVERIFY(QTest::qWaitFor([&] { return w.form->width() == w.form->minimumWidth(); }));
    QVERIFY(w.width() > 150);
    w.Form_Resize();

    QVERIFY(w.Combo1->width() >= 120);
    QVERIFY(w.lblAddress->geometry().right() < w.Combo1->x());
    QVERIFY(w.Combo1->geometry().right() < w.cmdGo->x());
    QVERIFY(w.lblGo->geometry().right() < w.spinbutton1->x());
    QVERIFY(w.spinbutton1->geometry().right() < w.cmdClose->x());
    QCOMPARE(w.form->width() - w.cmdClose->geometry().right() - 1, 10);
    QVERIFY(page(fx, 1)->height() >= 60);
    QVERIFY(w.Tabstrip1->geometry().bottom() < w.StatusBar1->y());
    QCOMPARE(w.StatusBar1->geometry().bottom(), w.form->height() - 1);
}

void TestMainWindowLayout::nothingWhileUnloading()
{
    ProgramFixture fx;
    frmMain &w = startLaidOut(fx);
    QVERIFY(w.firstPaintDone);
    QCOMPARE(w.width(), 900);
    const auto before = geometries(w);
    w.unloading = true;

    QVERIFY(resizeTo(w, w.width() + 150, w.height() + 60));
    w.Form_Resize();
    QCOMPARE(geometries(w), before);
}

QTEST_MAIN(TestMainWindowLayout)
#include "tst_mainwindow_layout.moc"
