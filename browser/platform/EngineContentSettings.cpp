#include "EnginePage.h"
#include "EngineWebBrowser.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

const QString stillScriptName = u"velmora-still-animations"_s;

// The engine has no switch for animations; a style sheet of our own stops
// the animations and transitions of the page's style sheets.
const QString stillScriptSource = uR"((function () {
    var style = document.createElement('style');
    style.textContent = '*, *::before, *::after { animation: none !important; ' +
        'transition: none !important; }';
    var root = document.head || document.documentElement;
    if (root)
        root.appendChild(style);
})();)"_s;

} // namespace

void EngineWebBrowserFactory::applyContentSettings(const ContentSettings &settings)
{
    m_content = settings;
    if (m_profile)
        applyContentSettingsToProfile();
    for (const QPointer<EngineWebBrowser> &browser : std::as_const(m_browsers)) {
        if (browser && browser->m_page)
            applyContentSettingsToPage(browser->m_page);
    }
}

void EngineWebBrowserFactory::applyContentSettingsToProfile()
{
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, m_content.pictures);
    // Without videos, media waits for the user to start it.
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, !m_content.videos);

    QWebEngineScriptCollection *scripts = m_profile->scripts();
    const QList<QWebEngineScript> present = scripts->find(stillScriptName);
    if (m_content.animations) {
        for (const QWebEngineScript &script : present)
            scripts->remove(script);
    } else if (present.isEmpty()) {
        QWebEngineScript script;
        script.setName(stillScriptName);
        script.setSourceCode(stillScriptSource);
        script.setInjectionPoint(QWebEngineScript::DocumentReady);
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setRunsOnSubFrames(true);
        scripts->insert(script);
    }
}

void EngineWebBrowserFactory::applyContentSettingsToPage(QWebEnginePage *page) const
{
    page->setAudioMuted(!m_content.sounds);
}

} // namespace velmora::platform
