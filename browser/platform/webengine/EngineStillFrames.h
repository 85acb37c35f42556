#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QNetworkAccessManager;
class QWebEngineProfile;

namespace velmora::platform {

// Pictures of pages while animations are off. The engine cannot stop an
// animated picture, so the page's picture requests are sent here instead:
// the picture is fetched and, when it moves, handed over as its first frame.
class EngineStillFrames final : public QWebEngineUrlSchemeHandler
{
public:
    // Made with the profile (its parent); shares the profile's cookies.
    explicit EngineStillFrames(QWebEngineProfile *profile);
    ~EngineStillFrames() override;

    static QByteArray scheme();
    // Must run before the application object exists.
    static void registerScheme();
    static bool isRegistered();
    static QUrl stillUrl(const QUrl &picture);
    static QUrl pictureUrl(const QUrl &still);
    // The first frame as PNG when the picture can move; null when the bytes
    // can be shown as they are.
    static QByteArray stillFrame(const QByteArray &bytes);

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    QWebEngineProfile *m_profile;
    QNetworkAccessManager *m_network;
};

} // namespace velmora::platform
