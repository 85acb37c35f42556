#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlSchemeHandler>

class QWebEngineProfile;

namespace velmora::platform {

// Windows a page opens empty (window.open('')) and then writes into. Qt
// WebEngine 6.4 ends the whole process when such a window, which never
// committed a navigation, first paints text: the engine has not yet made the
// window's web preferences. A hidden frame of another site, loaded into the
// window before it is first shown, makes the engine create them; the
// opener's document is left as it is.
//
// The frame's address carries a token handed out for one window; the
// handler answers an empty document to it while that window waits and
// refuses everything else, so no page can use the scheme for anything.
class EngineBlankWindows final : public QWebEngineUrlSchemeHandler
{
public:
    explicit EngineBlankWindows(QObject *parent = nullptr);

    static QByteArray scheme();
    // Must run before the application object exists.
    static void registerScheme();
    void install(QWebEngineProfile *profile);

    // A token for one window's frame, and the script (run in the page's
    // isolated world) that adds the frame once and answers true once it
    // has loaded.
    QString issue();
    void revoke(const QString &token);
    static QString primeScript(const QString &token);
    // True for a new window's address that leaves it empty.
    static bool leavesEmpty(const QUrl &requested);

    void requestStarted(QWebEngineUrlRequestJob *job) override;

private:
    QSet<QString> m_tokens;
};

} // namespace velmora::platform
