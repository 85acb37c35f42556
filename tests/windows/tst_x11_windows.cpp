// Painting and placement on a real X server: what the user sees of the
// start-up window, the wait windows and the secondary windows.

#include "ProgramFixture.h"

#include "AppIcon.h"
#include "FakeDialogs.h"
#include "Placement.h"
#include "Program.h"
#include "ShowPainted.h"
#include "frmGroupOperations.h"
#include "frmMain.h"
#include "frmOptions.h"
#include "frmSplash.h"
#include "frmSplash2.h"
#include "start.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <functional>

using velmora::mainwindow::frmMain;
using velmora::platform::MsgResult;
using velmora::test::ProgramFixture;
using velmora::windows::start;
using velmora::windows::WaitWindow;

namespace {

// What the X server shows in this rectangle of the screen.
QImage screenAt(const QRect &rect)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8
           && qAbs(qBlue(a) - qBlue(b)) <= 8;
}

// Pixels of image inside rect that are darker than the text threshold.
int darkPixels(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(image.pixel(x, y)) < 110)
                ++count;
    return count;
}

// Calls seen once, at the first event that reaches an object passing test.
class FirstEvent : public QObject
{
public:
    FirstEvent(std::function<bool(QObject *, QEvent *)> test, std::function<void()> seen)
        : m_test(std::move(test)), m_seen(std::move(seen))
    {
        qApp->installEventFilter(this);
    }
    ~FirstEvent() override { qApp->removeEventFilter(this); }
    bool fired = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!fired && m_test(watched, event)) {
            fired = true;
            m_seen();
        }
        return false;
    }

private:
    std::function<bool(QObject *, QEvent *)> m_test;
    std::function<void()> m_seen;
};

// What the screen showed of a wait window.
struct WaitSeen
{
    bool visible = false;
    bool exposed = false;
    int textPixels = 0;
    int framePixels = 0;
};

WaitSeen lookAt(WaitWindow &wait)
{
    WaitSeen seen;
    seen.visible = wait.isVisible();
    seen.exposed = wait.windowHandle() && wait.windowHandle()->isExposed();

    if (!seen.visible)
        return seen;
    const QImage shot = screenAt(wait.geometry());
    seen.textPixels = darkPixels(shot, wait.lblText->geometry());
    // The frame's top line, left of the text.
    const QRect frame = wait.Shape1->geometry();
    seen.framePixels = darkPixels(shot, QRect(frame.left(), frame.top(), 20, 1));
    return seen;
}

} // namespace

class tst_X11Windows : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startWindowIsOnScreenWhileTheMainWindowLoads();
    void closeAllTabsShowsItsWaitWindowBeforeTheWork();
    void contentWaitWindowShowsItsText();
    void secondaryWindowsOpenOverTheMainWindow_data();
    void secondaryWindowsOpenOverTheMainWindow();
    void windowsStayOnScreen();
    void openWindowComesToTheFront();
    void everyWindowHasTheProgramIcon();
};

void tst_X11Windows::init()
{
    QVERIFY2(QGuiApplication::platformName() == u"xcb",
             "this suite needs a real X server (xvfb-run)");
}

void tst_X11Windows::startWindowIsOnScreenWhileTheMainWindowLoads()
{
    ProgramFixture fx;
    QCoreApplication::setApplicationVersion(QStringLiteral("2.7.31"));
    QImage shot;
    QRect startRect;
    QRect labelRect;
    bool exposed = false;
    // The main window's construction is the slow part that follows.
    FirstEvent atMainWindow(
        [](QObject *watched, QEvent *) { return qobject_cast<frmMain *>(watched) != nullptr; },
        [&] {
            start *first = fx.program().loadedWindow<start>();
            if (!first)
                return;
            exposed = first->windowHandle() && first->windowHandle()->isExposed();
            startRect = first->geometry();
            labelRect = first->lblVersion->geometry();
            shot = screenAt(startRect);
        });
    fx.start(QStringLiteral("about:blank"));
    QCoreApplication::setApplicationVersion({});

    QVERIFY(atMainWindow.fired);
    QVERIFY(exposed);
    QCOMPARE(shot.size(), QSize(start::WindowWidth, start::WindowHeight));
    // The picture, pixel for pixel where nothing lies on it.
    const QImage picture = start::startPicture().toImage().convertToFormat(QImage::Format_RGB32);
    int same = 0;
    int looked = 0;
    for (int y = 5; y < start::WindowHeight; y += 17) {
        for (int x = 5; x < start::WindowWidth; x += 23) {
            if (labelRect.adjusted(-2, -2, 2, 2).contains(x, y))
                continue;
            ++looked;
            if (near(shot.pixel(x, y), picture.pixel(x, y)))
                ++same;
        }
    }
    QVERIFY2(same >= looked * 95 / 100,
             qPrintable(QStringLiteral("%1 of %2 pixels as the picture").arg(same).arg(looked)));
    // And the version on it.
    QVERIFY(darkPixels(shot, labelRect) > 20);
}

void tst_X11Windows::closeAllTabsShowsItsWaitWindowBeforeTheWork()
{
    ProgramFixture fx;
    frmMain &main = fx.start(QStringLiteral("about:blank"));
    for (int i = 0; i < 3; ++i)
        main.cmdNew_Click();
    auto &wait = fx.program().window<velmora::windows::frmSplash2>();
    WaitSeen seen;
    // The first fresh control for a closed tab, made while the main window
    // is switched off for the work.
    FirstEvent atWork(
        [&main](QObject *watched, QEvent *event) {
            return watched == main.form && event->type() == QEvent::ChildAdded
                   && !main.isEnabled();
        },
        [&] { seen = lookAt(wait); });
    fx.dialogs().answerMsgBox(MsgResult::Yes);
    main.mnuCloseAllTabs_Click();

    QVERIFY(atWork.fired);
    QVERIFY(seen.visible);
    QVERIFY(seen.exposed);
    QVERIFY2(seen.textPixels > 30, qPrintable(QString::number(seen.textPixels)));
    QVERIFY(seen.framePixels > 10);
    QVERIFY(!wait.isVisible());
}

void tst_X11Windows::contentWaitWindowShowsItsText()
{
    ProgramFixture fx;
    fx.start(QStringLiteral("about:blank"));
    auto &wait = fx.program().window<velmora::windows::frmSplash>();
    QVERIFY(velmora::windows::showPainted(&wait));
    const WaitSeen seen = lookAt(wait);
    QVERIFY(seen.exposed);
    QVERIFY2(seen.textPixels > 30, qPrintable(QString::number(seen.textPixels)));
    QVERIFY(seen.framePixels > 10);
}

void tst_X11Windows::secondaryWindowsOpenOverTheMainWindow_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::newRow("options") << u"mnuOptions"_qs << u"frmOptions"_qs;
    QTest::newRow("group operations") << u"mnuBatch"_qs << u"frmGroupOperations"_qs;
}

void tst_X11Windows::secondaryWindowsOpenOverTheMainWindow()
{
    QFETCH(QString, command);
    QFETCH(QString, window);
    ProgramFixture fx;
    frmMain &main = fx.start(QStringLiteral("about:blank"));
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // Off the screen's centre, so over the main window is not over the screen.
    main.move(40, 30);
    QTRY_COMPARE(main.pos(), QPoint(40, 30));
    main.actionNamed(command)->trigger();
    QWidget *opened = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == window && w->isVisible())
            opened = w;
    QVERIFY(opened);
    QVERIFY(QTest::qWaitForWindowExposed(opened));
    // A window manager frames the window after it is shown; then it moves.
    const auto offset = [&] { return opened->geometry().center() - main.geometry().center(); };
    QTRY_VERIFY2(offset().manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(offset().x()).arg(offset().y())));
}

void tst_X11Windows::windowsStayOnScreen()
{
    ProgramFixture fx;
    frmMain &main = fx.start(QStringLiteral("about:blank"));
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    // Most of the main window past the bottom right corner.
    main.move(1100, 900);
    QTRY_COMPARE(main.pos(), QPoint(1100, 900));
    main.actionNamed(QStringLiteral("mnuOptions"))->trigger();
    auto &options = fx.program().options();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    const QRect screen(0, 0, 1280, 1024);
    QTRY_VERIFY2(screen.contains(options.frameGeometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(options.x())
                            .arg(options.y())
                            .arg(options.width())
                            .arg(options.height())));
}

void tst_X11Windows::openWindowComesToTheFront()
{
    ProgramFixture fx;
    frmMain &main = fx.start(QStringLiteral("about:blank"));
    main.actionNamed(QStringLiteral("mnuBatch"))->trigger();
    auto *group = fx.program().loadedWindow<velmora::windows::frmGroupOperations>();
    QVERIFY(group);
    QVERIFY(QTest::qWaitForWindowExposed(group));
    main.activateWindow();
    main.raise();
    QVERIFY(QTest::qWaitForWindowActive(&main));

    main.actionNamed(QStringLiteral("mnuBatch"))->trigger();
    QVERIFY(QTest::qWaitForWindowActive(group));
    QCOMPARE(fx.program().loadedWindow<velmora::windows::frmGroupOperations>(), group);
}

void tst_X11Windows::everyWindowHasTheProgramIcon()
{
    velmora::setApplicationIcon();
    const QIcon icon = QApplication::windowIcon();
    // The drawing is read: a blank icon has no pixels of its colours.
    const QImage image = icon.pixmap(64, 64).toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY(!image.isNull());
    // The point of its V.
    QVERIFY(near(image.pixel(32, 47), qRgb(0x1A, 0x27, 0x5E)));
    ProgramFixture fx;
    frmMain &main = fx.start(QStringLiteral("about:blank"));
    main.actionNamed(QStringLiteral("mnuOptions"))->trigger();
    QWidget &options = fx.program().options();
    for (QWidget *w : {static_cast<QWidget *>(&main), &options})
        QCOMPARE(w->windowIcon().cacheKey(), icon.cacheKey());
}

QTEST_MAIN(tst_X11Windows)
#include "tst_x11_windows.moc"
