#include "EngineWebBrowser.h"
#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "TestEnvironment.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>

#include <memory>

using namespace velmora::platform;
using namespace Qt::StringLiterals;
using velmora::test::spinUntil;

namespace {

QByteArray pngPicture()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

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
    void soundsMutePagesOldAndNew();
    void videosStopSoundsPlay_data();
    void videosStopSoundsPlay();
    void videosOffStopsOpenPage();
    void animationsStopped_data();
    void animationsStopped();

private:
    EngineWebBrowser *makeBrowser();
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
    m_server->setResource(u"/pic.png"_s, "image/png", pngPicture());
    m_server->setPage(u"/pictures"_s, u"Pictures"_s, u"<img src=\"/pic.png\">"_s);
    m_server->setResource(u"/sound.wav"_s, "audio/wav", wavSound());
    m_server->setPage(u"/plain"_s, u"Plain"_s, u"<p>plain</p>"_s);
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
    QCOMPARE(m_server->requestCount(u"/pic.png"_s), on ? 1 : 0);
    QCOMPARE(runScript(browser->page(), u"document.images[0].naturalWidth"_s).toInt(),
             on ? 4 : 0);
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
    QVERIFY(load(browser, u"/plain"_s));
    // Media the page starts by itself, without a click: a sound and a video.
    runScript(browser->page(),
              u"window.sound = new Audio('/sound.wav'); sound.loop = true; sound.play();"
              u"window.video = document.createElement('video'); video.loop = true;"
              u"video.autoplay = true; video.src = '/sound.wav';"
              u"document.body.appendChild(video);"_s);
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
        QTest::qWait(500);
        QVERIFY(runScript(browser->page(), u"video.paused && video.currentTime === 0"_s).toBool());
        // Nor does a play of the page's own script start it.
        runScript(browser->page(), u"video.play().catch(() => {});"_s);
        QTest::qWait(300);
        QVERIFY(runScript(browser->page(), u"video.paused"_s).toBool());
    }
    QVERIFY(!runScript(browser->page(), u"sound.paused"_s).toBool());
}

void tst_EngineContentSwitches::videosOffStopsOpenPage()
{
    m_factory->applyContentSettings(ContentSettings{});
    EngineWebBrowser *browser = makeBrowser();
    QVERIFY(load(browser, u"/plain"_s));
    runScript(browser->page(),
              u"window.video = document.createElement('video'); video.loop = true;"
              u"video.src = '/sound.wav'; document.body.appendChild(video); video.play();"_s);
    QVERIFY(spinUntil([&] {
        return runScript(browser->page(), u"video.currentTime > 0"_s).toBool();
    }));
    ContentSettings settings;
    settings.videos = false;
    m_factory->applyContentSettings(settings);
    QVERIFY(spinUntil([&] { return runScript(browser->page(), u"video.paused"_s).toBool(); }));
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

QTEST_MAIN(tst_EngineContentSwitches)
#include "tst_engine_contentswitches.moc"
