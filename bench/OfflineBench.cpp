#include "OfflineBench.h"

#include "EngineOfflineCache.h"
#include "EngineOfflineWork.h"
#include "EventLoop.h"
#include "HttpServer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlScheme>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;
using velmora::platform::EngineOfflineCache;
using velmora::platform::EngineOfflineWork;

namespace {

constexpr int Rounds = 15;
constexpr int Pictures = 20;

QByteArray picture(int width)
{
    QImage image(width, 60, QImage::Format_RGB32);
    image.fill(QColor(width, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Milliseconds from the start of a load to its end; -1 when it failed.
double timeLoad(QWebEnginePage &page, const QUrl &url)
{
    bool done = false;
    bool ok = false;
    const auto connection =
        QObject::connect(&page, &QWebEnginePage::loadFinished, &page, [&](bool success) {
            done = true;
            ok = success;
        });
    QElapsedTimer timer;
    timer.start();
    page.load(url);
    velmora::test::spinUntil([&] { return done; }, 30000);
    const double ms = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(connection);
    return done && ok ? ms : -1;
}

double median(QList<double> values)
{
    if (values.isEmpty() || values.contains(-1))
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

QString ms(double value)
{
    return value < 0 ? u"failed"_s : QString::number(value, 'f', 1) + u" ms"_s;
}

} // namespace

int runOfflineBench(QTextStream &out)
{
    out << "-- offline work (page with a stylesheet, " << Pictures
        << " pictures and 60 KB of text; median of " << Rounds << ") --" << Qt::endl;
    if (QWebEngineUrlScheme::schemeByName("vcache-http").name() != "vcache-http") {
        out << "offline figures: not measured (schemes not registered before the engine started)"
            << Qt::endl;
        return 1;
    }
    QTemporaryDir root;
    velmora::test::HttpServer server;
    server.setResource(u"/style.css"_s, "text/css", "p { color: #333; margin: 0.4em; }");
    QString body = u"<link rel='stylesheet' href='/style.css'>"_s;
    for (int i = 0; i < Pictures; ++i) {
        const QString path = u"/pic%1.png"_s.arg(i);
        server.setResource(path, "image/png", picture(40 + i * 8));
        body += u"<img src='"_s + path + u"'>"_s;
    }
    body += u"<p>lorem ipsum dolor sit amet consectetur </p>"_s.repeated(1400);
    for (int i = 0; i < Rounds; ++i) {
        server.setPage(u"/plain%1"_s.arg(i), u"Plain"_s, body);
        server.setStorable(u"/kept%1"_s.arg(i));
        server.setPage(u"/kept%1"_s.arg(i), u"Kept"_s, body);
    }

    // A profile of its own: the program's may be in use by the caller.
    QWebEngineProfile profile(u"velmora-offline-bench"_s);
    profile.setPersistentStoragePath(root.filePath(u"profile"_s));
    profile.setCachePath(root.filePath(u"profile/cache"_s));
    auto cache = std::make_shared<EngineOfflineCache>(root.filePath(u"pages"_s));
    EngineOfflineWork work(cache);
    work.install(&profile);
    QWebEnginePage plain(&profile);
    QWebEnginePage keeping(&profile);
    work.watchPage(&keeping);

    // Warm the engine up once.
    timeLoad(plain, server.url(u"/plain0"_s));
    timeLoad(keeping, QUrl(u"about:blank"_s));
    // Pages are kept once they are on screen, as the current tab's is (a
    // page takes its visibility once it has an engine page behind it).
    plain.setVisible(true);
    keeping.setVisible(true);

    QList<double> withoutCache;
    QList<double> withCache;
    QList<double> saves;
    QList<double> offline;
    for (int i = 0; i < Rounds; ++i) {
        withoutCache << timeLoad(plain, server.url(u"/plain%1"_s.arg(i)));
        QElapsedTimer save;
        withCache << timeLoad(keeping, server.url(u"/kept%1"_s.arg(i)));
        // The save begins once the loaded page has been quiet a while.
        velmora::test::spinUntil([&] { return cache->pendingSaves() > 0; }, 30000);
        save.start();
        velmora::test::spinUntil([&] { return cache->pendingSaves() == 0; }, 30000);
        saves << save.nsecsElapsed() / 1e6;
    }
    work.setOffline(true);
    server.stop();
    for (int i = 0; i < Rounds; ++i)
        offline << timeLoad(plain, server.url(u"/kept%1"_s.arg(i)));
    work.setOffline(false);

    const double online = median(withoutCache);
    const double kept = median(withCache);
    const double shown = median(offline);
    int held = 0;
    for (int i = 0; i < Rounds; ++i)
        held += cache->findEntry(server.url(u"/kept%1"_s.arg(i)).toString()) == 0 ? 1 : 0;
    out << "online load from the local server: " << ms(online) << Qt::endl;
    out << "kept page shown offline: " << ms(shown);
    if (online > 0 && shown > 0)
        out << " (" << QString::number(shown / online * 100, 'f', 0) << " % of the online load)";
    out << Qt::endl;
    out << "online load while keeping pages: " << ms(kept);
    if (online > 0 && kept > 0)
        out << " (" << QString::number((kept - online) / online * 100, 'f', 1)
            << " % over the load without)";
    out << Qt::endl;
    out << "keeping one page after its load (a copy of it saved in the background): " << ms(median(saves)) << " ("
        << held << " of " << Rounds << " pages kept)" << Qt::endl;
    return online > 0 && kept > 0 && shown > 0 && held == Rounds ? 0 : 1;
}
