#include "ProgramFixture.h"

#include "Product.h"

#include "CaptionTargets.h"
#include "FakeInternetState.h"
#include "FakeSystemFacts.h"
#include "FakeWebBrowser.h"
#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmHW.h"
#include "frmMain.h"
#include "start.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPixmap>
#include <QtTest>

using velmora::test::ProgramFixture;
using velmora::windows::frmHW;
using velmora::windows::start;
using namespace Qt::StringLiterals;

namespace {

QImage pictureOf(const QLabel *label)
{
    return label->property("picture").value<QPixmap>().toImage();
}

// A press, a move and a release of one button, as the platform delivers
// them to the widget under the mouse.
void drag(QWidget *target, Qt::MouseButton button, QPoint from, QPoint to)
{
    const QPointF local = target->mapFromGlobal(from);
    QMouseEvent press(QEvent::MouseButtonPress, local, from, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent move(QEvent::MouseMove, target->mapFromGlobal(to), to, Qt::NoButton, button,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, target->mapFromGlobal(to), to, button,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

class tst_StartWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::setApplicationVersion({}); }

    void startChainEndsWithTheMainWindow();
    void offlineStateIsKeptForTheMainWindow_data();
    void offlineStateIsKeptForTheMainWindow();
    void sizesInTwips_data();
    void sizesInTwips();
    void versionText_data();
    void versionText();
    void versionOfTheRunningProgramIsShown();
    void pictureFollowsTheLanguage_data();
    void pictureFollowsTheLanguage();
    void closingProgramEndsAtInitialisation();
    void closingProgramEndsAtPaint();
    void leftButtonDrags_data();
    void leftButtonDrags();
};

void tst_StartWindow::startChainEndsWithTheMainWindow()
{
    ProgramFixture fx;
    velmora::mainwindow::frmMain &w = fx.start(u"http://example.com/"_s);
    velmora::Program &p = fx.program();

    QVERIFY(p.mainLoaded);
    QVERIFY(w.isVisible());
    QVERIFY(!fx.web(1)->calls.navigations.isEmpty());
    QCOMPARE(fx.web(1)->calls.navigations.constLast(), u"http://example.com/"_s);
    // The hot-word table is read; its window waits for the user.
    QVERIFY(p.hwCount >= 1);
    QVERIFY(!p.loadedWindow<frmHW>());
    // The build's product page; a build without one has none.
    QCOMPARE(p.siteURL, QString::fromUtf16(velmora::services::product::Page));
    // On screen until the main window has painted, then unloaded by it:
    // gone once deferred deletions run.
    QTRY_VERIFY(!p.loadedWindow<start>() || p.loadedWindow<start>()->isHidden());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!p.loadedWindow<start>());
    QVERIFY(w.isVisible());
}

void tst_StartWindow::offlineStateIsKeptForTheMainWindow_data()
{
    QTest::addColumn<bool>("offline");
    QTest::newRow("offline") << true;
    QTest::newRow("online") << false;
}

void tst_StartWindow::offlineStateIsKeptForTheMainWindow()
{
    QFETCH(bool, offline);
    ProgramFixture fx;
    fx.internet().offline = offline;
    fx.start();
    QCOMPARE(fx.program().startOffline, offline);
    // Online for the start, then back as it was once the main window loaded.
    QCOMPARE(fx.internet().setOfflineCalls, (QList<bool>{false, offline}));
    QCOMPARE(fx.internet().offline, offline);
}

void tst_StartWindow::sizesInTwips_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("picture");
    QTest::newRow("96 dpi") << 15 << QSize(9285, 3390) << QSize(9285, 4590);
    QTest::newRow("120 dpi") << 12 << QSize(7428, 2712) << QSize(7428, 3672);
}

void tst_StartWindow::sizesInTwips()
{
    QFETCH(int, twips);
    QFETCH(QSize, window);
    QFETCH(QSize, picture);
    ProgramFixture fx;
    fx.system().twipsX = twips;
    fx.system().twipsY = twips;
    fx.system().screen = QSize(1280, 1024);
    start &s = fx.program().window<start>();
    s.prepare();

    QCOMPARE(s.size() * twips, window);
    QCOMPARE(s.imgAbout->size() * twips, picture);
    QCOMPARE(s.pos(), QPoint((1280 - 619) / 2, (1024 - 226) / 2));
    // The version sits at a quarter of the width, centred on 59 % of the
    // picture's height.
    QCOMPARE(s.lblVersion->x(), 150);
    const double centre = s.lblVersion->y() + s.lblVersion->height() / 2.0;
    QVERIFY2(qAbs(centre - 306 * 0.5901416) <= 1.0, qPrintable(QString::number(centre)));
    // Not shown before the chain goes on.
    QVERIFY(s.isHidden());
    QVERIFY(!fx.program().hasMainWindow());
}

void tst_StartWindow::versionText_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("shown");
    QTest::newRow("three parts") << u"1.3.12"_s << u"1.3.12"_s;
    QTest::newRow("revision 0") << u"1.3.0"_s << u"1.3.0"_s;
    QTest::newRow("two-digit minor") << u"1.10.2"_s << u"1.10.2"_s;
    QTest::newRow("no revision") << u"1.3"_s << u"1.3.0"_s;
    QTest::newRow("leading zeros") << u"01.03.07"_s << u"1.3.7"_s;
    QTest::newRow("none") << QString() << u"0.0.0"_s;
}

void tst_StartWindow::versionText()
{
    QFETCH(QString, version);
    QFETCH(QString, shown);
    QCOMPARE(start::versionText(version), shown);
}

void tst_StartWindow::versionOfTheRunningProgramIsShown()
{
    QCoreApplication::setApplicationVersion(u"1.10.0"_s);
    ProgramFixture fx;
    start &s = fx.program().window<start>();
    QCOMPARE(s.lblVersion->text(), u"1.3.12"_s);
    s.prepare();
    QCOMPARE(s.lblVersion->text(), u"1.10.0"_s);
}

void tst_StartWindow::pictureFollowsTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("alternative");
    QTest::newRow("Russian") << u"Russian"_s << false;
    QTest::newRow("English") << u"English"_s << true;
}

void tst_StartWindow::pictureFollowsTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(bool, alternative);
    ProgramFixture fx;
    fx.program().settings().SaveSetting(u"general"_s, u"language"_s, language);
    start &s = fx.program().window<start>();
    s.prepare();

    const QImage expected = alternative ? velmora::services::alternativeStartPicture().toImage()
                                        : start::startPicture().toImage();
    QCOMPARE(pictureOf(s.imgAbout), expected);
    QVERIFY(!fx.program().language().startLangLoading());
    // The picture is one of the start, never the about box's.
    QVERIFY(pictureOf(s.imgAbout) != velmora::services::alternativeAboutPicture().toImage());
}

void tst_StartWindow::closingProgramEndsAtInitialisation()
{
    ProgramFixture fx;
    fx.program().appClosing = true;
    fx.program().start({});
    QCOMPARE(fx.system().exitCodes, QList<int>{0});
    QVERIFY(!fx.program().mainLoaded);
    QVERIFY(!fx.program().loadedWindow<frmHW>());
}

void tst_StartWindow::closingProgramEndsAtPaint()
{
    ProgramFixture fx;
    start &s = fx.program().window<start>();
    s.prepare();
    s.show();
    fx.program().appClosing = true;
    QPaintEvent paint(s.rect());
    QCoreApplication::sendEvent(&s, &paint);
    QCOMPARE(fx.system().exitCodes, QList<int>{0});
    QVERIFY(s.isHidden());
}

void tst_StartWindow::leftButtonDrags_data()
{
    QTest::addColumn<bool>("onPicture");
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("moved");
    QTest::newRow("left on the window") << false << int(Qt::LeftButton) << QPoint(20, 15);
    QTest::newRow("left on the picture") << true << int(Qt::LeftButton) << QPoint(20, 15);
    QTest::newRow("right on the picture") << true << int(Qt::RightButton) << QPoint();
    QTest::newRow("right on the window") << false << int(Qt::RightButton) << QPoint();
}

void tst_StartWindow::leftButtonDrags()
{
    QFETCH(bool, onPicture);
    QFETCH(int, button);
    QFETCH(QPoint, moved);
    ProgramFixture fx;
    start &s = fx.program().window<start>();
    s.prepare();
    s.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s));
    const QPoint before = s.pos();
    QWidget *target = onPicture ? static_cast<QWidget *>(s.imgAbout) : &s;
    const QPoint from = s.mapToGlobal(QPoint(40, 200));
    drag(target, Qt::MouseButton(button), from, from + QPoint(20, 15));
    QCOMPARE(s.pos(), before + moved);
}

QTEST_MAIN(tst_StartWindow)
#include "tst_startwindow.moc"
