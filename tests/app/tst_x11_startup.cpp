// What a user sees of the start on a real X server with a window manager:
// a window of the program from the first one to the page, each painted, the
// window state of the last exit, and the window kept on a screen that
// shrinks.

#include "HttpServer.h"
#include "ProgramFixture.h"
#include "FakeSystemFacts.h"
#include "TestEnvironment.h"

#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QRect>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;
using velmora::mainwindow::frmMain;
using velmora::test::ProgramFixture;

namespace {

// Reads the windows of another process off the X server.
class XWindows
{
public:
    XWindows() : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_clientList = atom("_NET_CLIENT_LIST");
        m_pid = atom("_NET_WM_PID");
        m_name = atom("_NET_WM_NAME");
        m_utf8 = atom("UTF8_STRING");
        m_wmCheck = atom("_NET_SUPPORTING_WM_CHECK");
    }
    ~XWindows() { xcb_disconnect(m_connection); }
    XWindows(const XWindows &) = delete;
    XWindows &operator=(const XWindows &) = delete;

    bool connected() const { return !xcb_connection_has_error(m_connection); }
    bool windowManagerRuns() const { return !property(m_root, m_wmCheck, XCB_ATOM_WINDOW).isEmpty(); }

    struct Seen
    {
        QString caption;
        // Share of the top band of the window (menu bar and toolbar) that is black.
        double blackTop = 0;
    };
    // The viewable top-level windows of process pid.
    QList<Seen> windowsOf(qint64 pid) const
    {
        QList<Seen> result;
        const QByteArray list = property(m_root, m_clientList, XCB_ATOM_WINDOW);
        const auto *windows = reinterpret_cast<const xcb_window_t *>(list.constData());
        for (int i = 0; i < list.size() / int(sizeof(xcb_window_t)); ++i) {
            const xcb_window_t window = windows[i];
            const QByteArray owner = property(window, m_pid, XCB_ATOM_CARDINAL);
            if (owner.size() < 4 || *reinterpret_cast<const quint32 *>(owner.constData()) != pid)
                continue;
            xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(attributes);
            if (!viewable)
                continue;
            Seen seen;
            seen.caption = QString::fromUtf8(property(window, m_name, m_utf8));
            seen.blackTop = blackShare(window);
            result.append(seen);
        }
        return result;
    }

private:
    xcb_atom_t atom(const char *name) const
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    QByteArray property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 4096), nullptr);
        QByteArray result;
        if (reply && reply->type != XCB_ATOM_NONE)
            result = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                                xcb_get_property_value_length(reply));
        std::free(reply);
        return result;
    }

    // Black pixels in the top 60 rows of the window's inner area, as the
    // screen shows them.
    double blackShare(xcb_window_t window) const
    {
        xcb_get_geometry_reply_t *geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        xcb_translate_coordinates_reply_t *origin = xcb_translate_coordinates_reply(
            m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr);
        QRect area;
        if (geometry && origin)
            area = QRect(origin->dst_x, origin->dst_y, geometry->width,
                         std::min<int>(geometry->height, 60));
        std::free(geometry);
        std::free(origin);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        area &= QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels);
        if (area.isEmpty())
            return 0;
        xcb_get_image_reply_t *image = xcb_get_image_reply(
            m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(area.x()),
                          int16_t(area.y()), uint16_t(area.width()), uint16_t(area.height()),
                          ~0u),
            nullptr);
        if (!image)
            return 0;
        const auto *pixels = reinterpret_cast<const quint32 *>(xcb_get_image_data(image));
        const int count = xcb_get_image_data_length(image) / 4;
        int black = 0;
        for (int i = 0; i < count; ++i) {
            const quint32 p = pixels[i];
            if (((p >> 16) & 0xff) < 12 && ((p >> 8) & 0xff) < 12 && (p & 0xff) < 12)
                ++black;
        }
        std::free(image);
        return count ? double(black) / count : 0;
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_root = XCB_NONE;
    xcb_atom_t m_clientList = XCB_ATOM_NONE;
    xcb_atom_t m_pid = XCB_ATOM_NONE;
    xcb_atom_t m_name = XCB_ATOM_NONE;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
    xcb_atom_t m_wmCheck = XCB_ATOM_NONE;
};

// Sets the screen's size with xrandr; false when it cannot.
bool setScreenSize(const QString &xrandr, const QSize &size)
{
    const QString mode = u"%1x%2"_s.arg(size.width()).arg(size.height());
    auto run = [&](const QStringList &args) {
        QProcess p;
        p.start(xrandr, args);
        return p.waitForFinished(10000) && p.exitCode() == 0;
    };
    // Xvfb knows only the size it started with; others are added as modes.
    run({u"--newmode"_s, mode, u"60"_s, QString::number(size.width()),
         QString::number(size.width() + 1), QString::number(size.width() + 2),
         QString::number(size.width() + 3), QString::number(size.height()),
         QString::number(size.height() + 1), QString::number(size.height() + 2),
         QString::number(size.height() + 3)});
    run({u"--addmode"_s, u"screen"_s, mode});
    return run({u"--output"_s, u"screen"_s, u"--mode"_s, mode});
}

} // namespace

class tst_X11Startup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void aPaintedWindowFromTheFirstToThePage();
    void storedWindowStateHolds_data();
    void storedWindowStateHolds();
    void shrunkScreenKeepsTheWindowOnIt();

private:
    QProcess m_windowManager;
    velmora::test::HttpServer m_server;
};

void tst_X11Startup::initTestCase()
{
    QVERIFY2(QGuiApplication::platformName() == u"xcb",
             "this suite needs a real X server (xvfb-run)");
    // The engine's own sandbox cannot run as root.
    if (getuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    XWindows x;
    QVERIFY(x.connected());
    if (!x.windowManagerRuns()) {
        const QString openbox = QStandardPaths::findExecutable(u"openbox"_s);
        if (openbox.isEmpty())
            QSKIP("openbox is not installed: window state and framing need a window manager");
        m_windowManager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.start(openbox, {});
        QVERIFY(m_windowManager.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (!x.windowManagerRuns() && waited.elapsed() < 20000)
            QTest::qWait(50);
        QVERIFY(x.windowManagerRuns());
    }
    QVERIFY(m_server.isListening());
    // The page answers after a while, as a page from the network does.
    m_server.setPage(u"/page.html"_s, u"Sampled page"_s, u"<p>Text of the page</p>"_s);
}

void tst_X11Startup::cleanupTestCase()
{
    if (m_windowManager.state() != QProcess::NotRunning) {
        m_windowManager.terminate();
        m_windowManager.waitForFinished(5000);
    }
}

void tst_X11Startup::aPaintedWindowFromTheFirstToThePage()
{
    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (getuid() == 0)
        environment.insert(u"QTWEBENGINE_DISABLE_SANDBOX"_s, u"1"_s);
    if (!environment.contains(u"QTWEBENGINE_CHROMIUM_FLAGS"_s))
        environment.insert(u"QTWEBENGINE_CHROMIUM_FLAGS"_s, u"--disable-gpu"_s);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString address = m_server.url(u"/page.html"_s).toString();
    const QString wanted = u"Sampled page - Velmora"_s;

    XWindows x;
    program.start(QDir(qEnvironmentVariable("VELMORA_BIN_DIR")).filePath(u"velmora"_s), {address});
    QVERIFY(program.waitForStarted());
    QElapsedTimer clock;
    clock.start();
    std::optional<qint64> firstWindow;
    qint64 windowlessSince = -1;
    qint64 longestGap = 0;
    QStringList captions;
    QStringList unpainted;
    bool reached = false;
    while (!reached && clock.elapsed() < 60000 && program.state() == QProcess::Running) {
        const qint64 now = clock.elapsed();
        const QList<XWindows::Seen> seen = x.windowsOf(program.processId());
        if (seen.isEmpty()) {
            if (firstWindow && windowlessSince < 0)
                windowlessSince = now;
        } else {
            if (!firstWindow)
                firstWindow = now;
            if (windowlessSince >= 0)
                longestGap = std::max(longestGap, now - windowlessSince);
            windowlessSince = -1;
        }
        for (const XWindows::Seen &w : seen) {
            const bool black = w.blackTop > 0.3;
            // Every window is filled when it appears, before its first
            // picture, and never shows a black band.
            if (black)
                unpainted.append(u"%1 ms, \"%2\": %3 %% black"_s.arg(now).arg(w.caption).arg(
                    int(w.blackTop * 100)));
            // The main window's, not the start-up window's.
            if (!w.caption.contains(u" - "_s))
                continue;
            if (captions.isEmpty() || captions.last() != w.caption)
                captions.append(w.caption);
            reached = reached || w.caption == wanted;
        }
        // The page's server runs in this process.
        QTest::qWait(20);
    }
    program.terminate();
    program.waitForFinished(20000);

    QVERIFY2(reached, qPrintable(captions.join(u" | ")));
    QVERIFY(firstWindow);
    QVERIFY2(longestGap <= 150, qPrintable(u"no window for %1 ms"_s.arg(longestGap)));
    QVERIFY2(unpainted.isEmpty(),
             qPrintable(u"%1 black samples, first: %2, last: %3"_s.arg(unpainted.size())
                            .arg(unpainted.value(0), unpainted.value(unpainted.size() - 1))));
    // The caption follows the address asked for, then its page.
    QCOMPARE(captions.last(), wanted);
    for (const QString &caption : std::as_const(captions)) {
        QVERIFY2(caption == wanted || caption == address + u" - Velmora",
                 qPrintable(captions.join(u" | ")));
    }
}

void tst_X11Startup::storedWindowStateHolds_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("state");
    QTest::newRow("maximised") << u"2"_s << int(Qt::WindowMaximized);
    QTest::newRow("minimised") << u"1"_s << int(Qt::WindowMinimized);
}

void tst_X11Startup::storedWindowStateHolds()
{
    QFETCH(QString, stored);
    QFETCH(int, state);
    // Engine pages: their first showing is what undid the state.
    ProgramFixture fx(true, ProgramFixture::Pages::Engine);
    fx.program().settings().SaveSetting(u"general"_s, u"WindowState"_s, stored);
    frmMain &main = fx.start(u"about:blank"_s);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (state == Qt::WindowMaximized) {
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        // The window manager's word: the frame fills the screen.
        QTRY_VERIFY2(main.frameGeometry().width() >= screen.width() - 2
                         && main.frameGeometry().height() >= screen.height() - 2,
                     qPrintable(u"%1x%2"_s.arg(main.frameGeometry().width())
                                    .arg(main.frameGeometry().height())));
    }
    // And it holds once the window has settled.
    QTest::qWait(1500);
    QVERIFY(main.windowState() & Qt::WindowStates(state));
    if (state == Qt::WindowMaximized) {
        QVERIFY(main.frameGeometry().width() >= screen.width() - 2);
        QVERIFY(main.frameGeometry().height() >= screen.height() - 2);
    } else {
        QVERIFY(!main.windowHandle()->isExposed());
    }
}

void tst_X11Startup::shrunkScreenKeepsTheWindowOnIt()
{
    const QString xrandr = QStandardPaths::findExecutable(u"xrandr"_s);
    if (xrandr.isEmpty())
        QSKIP("xrandr is not installed: the screen cannot change size");
    const QSize before = QGuiApplication::primaryScreen()->size();
    ProgramFixture fx;
    frmMain &main = fx.start(u"about:blank"_s);
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(main.frameGeometry().width() > 1000);

    const QSize small(1000, 700);
    const auto restore = qScopeGuard([&] { setScreenSize(xrandr, before); });
    if (!setScreenSize(xrandr, small))
        QSKIP("this X server does not change its size");
    QTRY_COMPARE(QGuiApplication::primaryScreen()->size(), small);
    // What the platform's system facts report of the screen now.
    fx.system().screen = small;
    const QRect area(QPoint(0, 0), small);
    // The window's five-second check puts it back on the screen.
    QTRY_VERIFY2_WITH_TIMEOUT(area.contains(main.frameGeometry()),
                              qPrintable(u"%1,%2 %3x%4"_s.arg(main.frameGeometry().x())
                                             .arg(main.frameGeometry().y())
                                             .arg(main.frameGeometry().width())
                                             .arg(main.frameGeometry().height())),
                              15000);
}

QTEST_MAIN(tst_X11Startup)
#include "tst_x11_startup.moc"
