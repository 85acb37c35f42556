#include "TestPictures.h"
#include "EngineSetup.h"
#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "TestEnvironment.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QApplication>
#include <QSet>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

using namespace velmora::platform;
using namespace Qt::StringLiterals;
using velmora::test::animatedGif;
using velmora::test::spinUntil;

namespace {

// A short silent WAV sound.
QByteArray wavSound()
{
    const quint32 samples = 800;
    QByteArray bytes;
    const auto u32 = [&](quint32 v) {
        for (int i = 0; i < 4; ++i)
            bytes.append(char((v >> (8 * i)) & 0xff));
    };
    const auto u16 = [&](quint16 v) {
        bytes.append(char(v & 0xff));
        bytes.append(char(v >> 8));
    };
    bytes.append("RIFF");
    u32(36 + samples);
    bytes.append("WAVEfmt ");
    u32(16);
    u16(1);    // PCM
    u16(1);    // mono
    u32(8000); // samples per second
    u32(8000); // bytes per second
    u16(1);
    u16(8);
    bytes.append("data");
    u32(samples);
    bytes.append(QByteArray(int(samples), char(0x80)));
    return bytes;
}

} // namespace

using velmora::test::runScript;

class tst_EngineContentSwitches : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void settingsMadeBeforeTheProfileHold();
    void pictures_data();
    void pictures();
    void picturesOffRefreshShowsNone();
    void picturesOffHidesCachedAndShownPictures();
    void animatedPictureStandsStill_data();
    void animatedPictureStandsStill();
    void animationsOffStillsOpenPagesAtOnce();
    void hugeScreenPictureLeavesWindowAnswering_data();
    void hugeScreenPictureLeavesWindowAnswering();
    void soundsMutePagesOldAndNew();
    void mediaWaitsForUserGesture();
    void videosStopSoundsPlay_data();
    void videosStopSoundsPlay();
    void videosOffStopsOpenPageAndOnResumesIt();
    void animationsStopped_data();
    void animationsStopped();

private:
    EngineWebBrowser *makeBrowser();
    // A click of the user into the page (the page counts it in "clicks").
    bool userClick(EngineWebBrowser *browser);
    bool load(EngineWebBrowser *browser, const QString &path);

    std::unique_ptr<velmora::test::TestEnvironment> m_env;
    velmora::test::HttpServer *m_server = nullptr;
    std::unique_ptr<EngineWebBrowserFactory> m_factory;
    std::unique_ptr<QWidget> m_host;
    QList<WebBrowser *> m_browsers;
};

void tst_EngineContentSwitches::initTestCase()
{
    m_env = std::make_unique<velmora::test::TestEnvironment>();
    m_server = new velmora::test::HttpServer(this);
    QVERIFY(m_server->isListening());
    m_server->setResource(u"/pic.png"_s, "image/png", velmora::test::redPng(4, 4));
    m_server->setCacheable(u"/pic.png"_s);
    m_server->setPage(u"/same-picture"_s, u"Same picture"_s, u"<img src=\"/pic.png\">"_s);
    m_server->setResource(u"/back.png"_s, "image/png", velmora::test::redPng(4, 4));
    m_server->setPage(u"/pictures"_s, u"Pictures"_s,
                      u"<img src=\"/pic.png\"><div style=\"width:8px;height:8px;"
                      u"background:url(/back.png)\"></div>"_s);
    m_server->setResource(u"/moving.gif"_s, "image/gif",
                          animatedGif({qRgb(255, 0, 0), qRgb(0, 0, 255)}, 8));
    m_server->setResource(u"/kept.gif"_s, "image/gif",
                          animatedGif({qRgb(255, 0, 0), qRgb(0, 0, 255)}, 8));
    m_server->setCacheable(u"/kept.gif"_s);
    m_server->setPage(u"/kept-gif"_s, u"Kept gif"_s,
                      u"<style>body { margin: 0 }</style>"
                      u"<img src=\"/kept.gif\" style=\"width:64px;height:64px\">"_s);
    m_server->setPage(u"/gif"_s, u"Gif"_s,
                      u"<style>body { margin: 0 }</style>"
                      u"<img src=\"/moving.gif\" style=\"width:64px;height:64px\">"_s);
    m_server->setResource(u"/sound.wav"_s, "audio/wav", wavSound());
    m_server->setPage(u"/plain"_s, u"Plain"_s, u"<p>plain</p>"_s);
    // start() makes a looping sound and video and plays them, as the page's
    // own script would; refusals counts the plays the engine refused.
    m_server->setPage(u"/media"_s, u"Media"_s,
                      u"<script>window.clicks = 0; window.refusals = 0;"
                      u"document.addEventListener('click', function () { ++window.clicks; });"
                      u"window.start = function () {"
                      u"  var refused = function () { ++window.refusals; };"
                      u"  window.sound = new Audio('/sound.wav'); sound.loop = true;"
                      u"  window.video = document.createElement('video'); video.loop = true;"
                      u"  video.src = '/sound.wav'; document.body.appendChild(video);"
                      u"  sound.play().catch(refused); video.play().catch(refused);"
                      u"  window.startedAt = performance.now();"
                      u"};</script><p style='height:400px'>media</p>"_s);
    m_server->setResource(u"/huge.gif"_s, "image/gif", velmora::test::hugeScreenGif(65535, 65535));
    m_server->setResource(u"/wide.gif"_s, "image/gif", velmora::test::hugeScreenGif(17000, 2));
    m_server->setPage(u"/huge"_s, u"Huge"_s,
                      u"<img src='/huge.gif?1'><img src='/huge.gif?2'><img src='/huge.gif?3'>"
                      u"<img src='/huge.gif?4'>"_s);
    m_server->setPage(u"/wide"_s, u"Wide"_s, u"<img src='/wide.gif' style='width:100px'>"_s);
    m_server->setPage(u"/moving"_s, u"Moving"_s,
                      u"<style>@keyframes spin { from { left: 0 } to { left: 100px } }"
                      u"#box { position: relative; animation: spin 5s infinite; "
                      u"transition: color 3s; }</style><div id=\"box\">box</div>"_s);
    m_factory = std::make_unique<EngineWebBrowserFactory>();
    m_host = std::make_unique<QWidget>();
    new QVBoxLayout(m_host.get());
    m_host->resize(640, 480);
    m_host->show();
}

void tst_EngineContentSwitches::cleanupTestCase()
{
    qDeleteAll(m_browsers);
    m_browsers.clear();
    m_factory.reset();
    m_host.reset();
}

void tst_EngineContentSwitches::cleanup()
{
    qDeleteAll(m_browsers);
    m_browsers.clear();
    m_server->resetCounts();
}

EngineWebBrowser *tst_EngineContentSwitches::makeBrowser()
{
    auto *browser = static_cast<EngineWebBrowser *>(m_factory->create(m_host.get()));
    m_host->layout()->addWidget(browser->widget());
    browser->setVisible(true);
    m_browsers << browser;
    return browser;
}

bool tst_EngineContentSwitches::load(EngineWebBrowser *browser, const QString &path)
{
    const QString url = m_server->url(path).toString();
    bool complete = false;
    const auto connection = connect(browser, &WebBrowser::DocumentComplete, this,
                                    [&](const QString &done) { complete = done == url; });
    browser->Navigate2(url);
    const bool loaded = spinUntil([&] { return complete && !browser->Busy(); });
    disconnect(connection);
    return loaded;
}

void tst_EngineContentSwitches::settingsMadeBeforeTheProfileHold()
{
    // The suite's factory has made no profile yet.
    ContentSettings settings;
    settings.pictures = false;
    settings.sounds = false;
    m_factory->applyContentSettings(settings);
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/pictures"_s));
    QCOMPARE(m_server->requestCount(u"/pictures"_s), 1);
    QCOMPARE(m_server->requestCount(u"/pic.png"_s), 0);
    QVERIFY(browser->page()->isAudioMuted());
}

void tst_EngineContentSwitches::pictures_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
    QTest::newRow("on again") << true;
}

void tst_EngineContentSwitches::pictures()
{
    QFETCH(bool, on);
    ContentSettings settings;
    settings.pictures = on;
    m_factory->applyContentSettings(settings);
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/pictures"_s));
    // The page's load waits for its pictures: what was fetched is all there is.
    // Shown pictures may come from the cache: only their absence is counted.
    if (!on)
        QCOMPARE(m_server->requestCount(u"/pic.png"_s), 0);
    QCOMPARE(runScript(browser->page(), u"document.images[0].naturalWidth"_s).toInt(),
             on ? 4 : 0);
    QCOMPARE(m_server->requestCount(u"/back.png"_s), on ? 1 : 0);
}

void tst_EngineContentSwitches::picturesOffRefreshShowsNone()
{
    m_factory->applyContentSettings(ContentSettings{});
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/pictures"_s));
    QCOMPARE(runScript(browser->page(), u"document.images[0].naturalWidth"_s).toInt(), 4);
    const int fetched = m_server->requestCount(u"/pic.png"_s);

    ContentSettings settings;
    settings.pictures = false;
    m_factory->applyContentSettings(settings);
    bool complete = false;
    const auto connection = connect(browser, &WebBrowser::DocumentComplete, this,
                                    [&] { complete = true; });
    browser->Refresh();
    QVERIFY(spinUntil([&] { return complete && !browser->Busy(); }));
    disconnect(connection);
    // Neither the network nor the cache gives the picture.
    QCOMPARE(m_server->requestCount(u"/pic.png"_s), fetched);
    QCOMPARE(runScript(browser->page(), u"document.images[0].complete && "
                                        u"document.images[0].naturalWidth"_s)
                 .toInt(),
             0);
}

void tst_EngineContentSwitches::picturesOffHidesCachedAndShownPictures()
{
    m_factory->applyContentSettings(ContentSettings{});
    EngineWebBrowser *shown = makeBrowser();
    QVERIFY(load(shown, u"/pictures"_s));
    const QString visibility = u"getComputedStyle(document.images[0]).visibility"_s;
    QCOMPARE(runScript(shown->page(), visibility).toString(), u"visible"_s);

    ContentSettings settings;
    settings.pictures = false;
    m_factory->applyContentSettings(settings);
    // A page already open loses its pictures at once.
    QVERIFY(spinUntil(
        [&] { return runScript(shown->page(), visibility).toString() == "hidden"_L1; }));
    // Another page with a picture the engine still holds in memory does not show it.
    QVERIFY(load(shown, u"/same-picture"_s));
    QCOMPARE(runScript(shown->page(), visibility).toString(), u"hidden"_s);

    m_factory->applyContentSettings(ContentSettings{});
    QVERIFY(spinUntil(
        [&] { return runScript(shown->page(), visibility).toString() == "visible"_L1; }));
}

void tst_EngineContentSwitches::animatedPictureStandsStill_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("off") << false;
    QTest::newRow("on") << true;
}

void tst_EngineContentSwitches::animatedPictureStandsStill()
{
    QFETCH(bool, on);
    ContentSettings settings;
    settings.animations = on;
    m_factory->applyContentSettings(settings);
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/gif"_s));
    QVERIFY(spinUntil([&] {
        return runScript(browser->page(), u"document.images[0].naturalWidth"_s).toInt() == 8;
    }));
    QCOMPARE(m_server->requestCount(u"/moving.gif"_s), 1);
    auto *view = browser->widget()->findChild<QWidget *>();
    QVERIFY(view);
    // The picture's corner, sampled for a second: its frames change every 100 ms.
    QSet<QRgb> seen;
    for (int i = 0; i < 10; ++i) {
        QTest::qWait(110);
        const QImage shot = view->grab(QRect(0, 0, 64, 64)).toImage();
        seen.insert(shot.pixel(32, 32) & 0xffffff);
    }
    if (on) {
        QVERIFY2(seen.size() >= 2, "the picture should move");
    } else {
        QCOMPARE(seen.size(), 1);
        QCOMPARE(*seen.begin(), QRgb(0xff0000)); // the first frame
    }
}

void tst_EngineContentSwitches::soundsMutePagesOldAndNew()
{
    m_factory->applyContentSettings(ContentSettings{});
    EngineWebBrowser *before = makeBrowser();
    QVERIFY(load(before, u"/plain"_s));
    QVERIFY(!before->page()->isAudioMuted());

    ContentSettings quiet;
    quiet.sounds = false;
    m_factory->applyContentSettings(quiet);
    QVERIFY(before->page()->isAudioMuted());
    EngineWebBrowser *after = makeBrowser();
    QVERIFY(load(after, u"/plain"_s));
    QVERIFY(after->page()->isAudioMuted());
    // A control that gives its page back and makes a new one stays quiet.
    before->releasePage();
    QVERIFY(load(before, u"/plain"_s));
    QVERIFY(before->page()->isAudioMuted());

    m_factory->applyContentSettings(ContentSettings{});
    QVERIFY(!before->page()->isAudioMuted());
    QVERIFY(!after->page()->isAudioMuted());
}

bool tst_EngineContentSwitches::userClick(EngineWebBrowser *browser)
{
    auto *view = qobject_cast<QWebEngineView *>(QWebEngineView::forPage(browser->page()));
    if (!view || !view->focusProxy())
        return false;
    const int before = runScript(browser->page(), u"window.clicks"_s).toInt();
    // Without a window system the view may take its first click for itself.
    for (int tries = 0; tries < 3; ++tries) {
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
        if (spinUntil([&] { return runScript(browser->page(), u"window.clicks"_s).toInt() > before; },
                      2000))
            return true;
    }
    return false;
}

void tst_EngineContentSwitches::mediaWaitsForUserGesture()
{
    m_factory->applyContentSettings(ContentSettings{});
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/media"_s));
    // The page starts its sound and video by itself: the engine refuses both.
    runScript(browser->page(), u"start()"_s);
    QVERIFY(spinUntil([&] { return runScript(browser->page(), u"window.refusals"_s).toInt() == 2; }));
    QVERIFY(runScript(browser->page(), u"sound.paused && video.paused"_s).toBool());
    // After the user's click they may.
    QVERIFY(userClick(browser));
    runScript(browser->page(), u"start()"_s);
    QVERIFY(spinUntil([&] {
        return runScript(browser->page(), u"sound.currentTime > 0 && video.currentTime > 0"_s)
            .toBool();
    }));
    QCOMPARE(runScript(browser->page(), u"window.refusals"_s).toInt(), 2);
}

void tst_EngineContentSwitches::videosStopSoundsPlay_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("off") << false;
    QTest::newRow("on") << true;
}

void tst_EngineContentSwitches::videosStopSoundsPlay()
{
    QFETCH(bool, on);
    ContentSettings settings;
    settings.videos = on;
    m_factory->applyContentSettings(settings);
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/media"_s));
    QVERIFY(userClick(browser));
    runScript(browser->page(), u"start()"_s);
    // The sound plays whatever the video switch says.
    QVERIFY(spinUntil([&] {
        return runScript(browser->page(), u"sound.currentTime > 0"_s).toBool();
    }));
    if (on) {
        QVERIFY(spinUntil([&] {
            return runScript(browser->page(), u"video.currentTime > 0"_s).toBool();
        }));
        QVERIFY(!runScript(browser->page(), u"video.paused"_s).toBool());
    } else {
        // Half a second of the page's time: the video would have played by now.
        const auto after = [&](int ms) {
            return spinUntil([&] {
                return runScript(browser->page(),
                                 u"performance.now() - startedAt > %1"_s.arg(ms))
                    .toBool();
            });
        };
        QVERIFY(after(500));
        QVERIFY(runScript(browser->page(), u"video.paused"_s).toBool());
        // Stopped as it started: its time does not go on.
        const double at = runScript(browser->page(), u"video.currentTime"_s).toDouble();
        QVERIFY(at < 0.1);
        QVERIFY(after(800));
        QCOMPARE(runScript(browser->page(), u"video.currentTime"_s).toDouble(), at);
        // Nor does a play of the page's own script start it.
        runScript(browser->page(), u"video.play().catch(() => {});"_s);
        QVERIFY(after(1100));
        QVERIFY(runScript(browser->page(), u"video.paused"_s).toBool());
    }
    QVERIFY(!runScript(browser->page(), u"sound.paused"_s).toBool());
}

void tst_EngineContentSwitches::videosOffStopsOpenPageAndOnResumesIt()
{
    m_factory->applyContentSettings(ContentSettings{});
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/media"_s));
    QVERIFY(userClick(browser));
    // Two videos play; the page pauses the second itself.
    runScript(browser->page(), u"start(); window.first = video; start(); window.second = video;"_s);
    QVERIFY(spinUntil([&] {
        return runScript(browser->page(), u"first.currentTime > 0 && second.currentTime > 0"_s)
            .toBool();
    }));
    runScript(browser->page(), u"second.pause()"_s);

    ContentSettings settings;
    settings.videos = false;
    m_factory->applyContentSettings(settings);
    QVERIFY(spinUntil([&] { return runScript(browser->page(), u"first.paused"_s).toBool(); }));
    const double stoppedAt = runScript(browser->page(), u"first.currentTime"_s).toDouble();

    // Back on: the video that was playing goes on; the one the page paused stays.
    m_factory->applyContentSettings(ContentSettings{});
    QVERIFY(spinUntil([&] {
        return runScript(browser->page(),
                         u"!first.paused && first.currentTime > %1"_s.arg(stoppedAt))
            .toBool();
    }));
    QVERIFY(runScript(browser->page(), u"second.paused"_s).toBool());
}

void tst_EngineContentSwitches::animationsStopped_data()
{
    QTest::addColumn<bool>("on");
    QTest::newRow("off") << false;
    QTest::newRow("on") << true;
    QTest::newRow("off again") << false;
}

void tst_EngineContentSwitches::animationsStopped()
{
    QFETCH(bool, on);
    ContentSettings settings;
    settings.animations = on;
    m_factory->applyContentSettings(settings);
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/moving"_s));
    const QString style = u"getComputedStyle(document.getElementById('box'))"_s;
    QCOMPARE(runScript(browser->page(), style + u".animationName"_s).toString(),
             on ? u"spin"_s : u"none"_s);
    QCOMPARE(runScript(browser->page(), style + u".transitionDuration"_s).toString(),
             on ? u"3s"_s : u"0s"_s);
}

// Colours seen at the middle of the top-left 64 pixels, sampled for a second.
static QSet<QRgb> coloursSeen(EngineWebBrowser *browser)
{
    QSet<QRgb> seen;
    auto *view = browser->widget()->findChild<QWidget *>();
    if (!view)
        return seen;
    for (int i = 0; i < 10; ++i) {
        QTest::qWait(110);
        seen.insert(view->grab(QRect(0, 0, 64, 64)).toImage().pixel(32, 32) & 0xffffff);
    }
    return seen;
}

void tst_EngineContentSwitches::animationsOffStillsOpenPagesAtOnce()
{
    m_factory->applyContentSettings(ContentSettings{});
    EngineWebBrowser *first = makeBrowser();
    EngineWebBrowser *second = makeBrowser();
    // One picture the engine keeps in memory, shown by two pages.
    for (EngineWebBrowser *browser : {first, second}) {
        QVERIFY(load(browser, u"/kept-gif"_s));
        QVERIFY(spinUntil([&] {
            return runScript(browser->page(), u"document.images[0].naturalWidth"_s).toInt() == 8;
        }));
    }
    QVERIFY(coloursSeen(first).size() >= 2);

    ContentSettings settings;
    settings.animations = false;
    m_factory->applyContentSettings(settings);
    // Without a Refresh, both stand still on their first frame.
    for (EngineWebBrowser *browser : {first, second}) {
        QVERIFY(spinUntil([&] { return coloursSeen(browser).size() == 1; }, 20000));
        QCOMPARE(*coloursSeen(browser).begin(), QRgb(0xff0000));
    }
    // The page's own reading of the picture is as before.
    QCOMPARE(runScript(first->page(), u"document.images[0].naturalWidth"_s).toInt(), 8);

    m_factory->applyContentSettings(ContentSettings{});
    QVERIFY(spinUntil([&] { return coloursSeen(second).size() >= 2; }, 20000));
}

void tst_EngineContentSwitches::hugeScreenPictureLeavesWindowAnswering_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("pictures");
    QTest::newRow("65535 x 65535, four of them") << u"/huge"_s << 4;
    QTest::newRow("wider than still frames are made") << u"/wide"_s << 1;
}

void tst_EngineContentSwitches::hugeScreenPictureLeavesWindowAnswering()
{
    QFETCH(QString, path);
    QFETCH(int, pictures);
    ContentSettings settings;
    settings.animations = false;
    m_factory->applyContentSettings(settings);
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/plain"_s));
    auto *edit = new QLineEdit(m_host.get());
    m_host->layout()->addWidget(edit);

    // Keys go to the window while the page loads and its pictures are stilled;
    // each is measured from the moment it is posted until it is handled.
    bool done = false;
    const QString url = m_server->url(path).toString();
    const auto connection = connect(browser, &WebBrowser::DocumentComplete, this,
                                    [&](const QString &at) { done = at == url; });
    browser->Navigate2(url);
    QElapsedTimer clock;
    clock.start();
    qint64 worst = 0;
    int keys = 0;
    while (clock.elapsed() < 3000 || !done) {
        QVERIFY(clock.elapsed() < 30000);
        const qsizetype before = edit->text().size();
        QElapsedTimer round;
        round.start();
        QCoreApplication::postEvent(edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_A,
                                                        Qt::NoModifier, u"a"_s));
        QVERIFY(spinUntil([&] { return edit->text().size() > before; }, 10000));
        worst = std::max(worst, round.elapsed());
        ++keys;
    }
    disconnect(connection);
    QVERIFY(keys > 10);
    QVERIFY2(worst < 100, qPrintable(QString::number(worst)));
    // Past the bounds a picture is left as the engine shows it: no frame of ours.
    QCOMPARE(runScript(browser->page(), u"document.images.length"_s).toInt(), pictures);
    QCOMPARE(runScript(browser->page(), u"document.querySelectorAll('canvas').length"_s).toInt(),
             0);
    delete edit;
}

int main(int argc, char **argv)
{
    // As the program does: the scheme of still pictures is known to the engine.
    prepareEngine();
    QApplication app(argc, argv);
    tst_EngineContentSwitches suite;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&suite, argc, argv);
}
#include "tst_engine_contentswitches.moc"
