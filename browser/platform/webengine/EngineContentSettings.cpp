#include "EnginePage.h"
#include "EngineStillFrames.h"
#include "EngineWebBrowser.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

const QString contentScriptName = u"velmora-content"_s;

// What the engine has no setting for, done in each document: videos that
// start are stopped at once, and a style sheet of our own stops the
// animations and transitions of the page's style sheets and hides pictures. Run again on an
// open document, it brings it in line with the new state.
QString contentScript(const ContentSettings &content)
{
    static const QString body = uR"((function (state) {
    var self = window.__velmoraContent;
    if (!self) {
        self = window.__velmoraContent = { state: state, style: null };
        // Media events do not bubble; the capture phase sees them all.
        document.addEventListener('play', function (event) {
            var media = event.target;
            if (!self.state.videos && media && media.tagName === 'VIDEO')
                media.pause();
        }, true);
    }
    self.state = state;
    if (!state.videos)
        document.querySelectorAll('video').forEach(function (video) { video.pause(); });
    // Pictures the engine keeps in memory come without a request: they are
    // hidden as well, and so are those of a page already shown.
    var rules = '';
    if (!state.animations)
        rules += '*, *::before, *::after { animation: none !important; ' +
            'transition: none !important; } ';
    if (!state.pictures)
        rules += 'img, input[type=image], svg image { visibility: hidden !important; } ' +
            '*, *::before, *::after { background-image: none !important; ' +
            'list-style-image: none !important; border-image: none !important; }';
    if (!rules) {
        if (self.style)
            self.style.remove();
        return;
    }
    if (!self.style)
        self.style = document.createElement('style');
    self.style.textContent = rules;
    var place = function () {
        var root = document.head || document.documentElement;
        if (!root) {
            document.addEventListener('DOMContentLoaded', place, { once: true });
            return;
        }
        if (self.style.textContent && !self.style.isConnected)
            root.appendChild(self.style);
    };
    place();
})({ pictures: %1, videos: %2, animations: %3 });)"_s;
    const auto flag = [](bool on) { return on ? u"true"_s : u"false"_s; };
    return body.arg(flag(content.pictures), flag(content.videos), flag(content.animations));
}

} // namespace

void EngineWebBrowserFactory::applyContentSettings(const ContentSettings &settings)
{
    const bool changed = !(settings == m_content);
    m_content = settings;
    if (m_profile)
        applyContentSettingsToProfile();
    if (!changed)
        return;
    for (const QPointer<EngineWebBrowser> &browser : std::as_const(m_browsers)) {
        if (!browser || !browser->m_page)
            continue;
        applyContentSettingsToPage(browser->m_page);
        // Documents already shown follow at once.
        browser->m_page->runJavaScript(contentScript(m_content),
                                       QWebEngineScript::ApplicationWorld);
    }
}

void EngineWebBrowserFactory::applyContentSettingsToProfile()
{
    QWebEngineSettings *settings = m_profile->settings();
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, m_content.pictures);
    // Media may start by itself; videos that should not are stopped by the
    // content script, so sounds are not held back with them.
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);

    QWebEngineScriptCollection *scripts = m_profile->scripts();
    const QString source = contentScript(m_content);
    const QList<QWebEngineScript> present = scripts->find(contentScriptName);
    if (present.size() == 1 && present.first().sourceCode() == source)
        return;
    for (const QWebEngineScript &script : present)
        scripts->remove(script);
    QWebEngineScript script;
    script.setName(contentScriptName);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(true);
    scripts->insert(script);
}

void EngineWebBrowserFactory::applyContentSettingsToPage(QWebEnginePage *page) const
{
    page->setAudioMuted(!m_content.sounds);
}

void EngineWebBrowserFactory::installStillFrames()
{
    if (EngineStillFrames::isRegistered())
        m_profile->installUrlSchemeHandler(EngineStillFrames::scheme(),
                                           new EngineStillFrames(m_profile));
}

} // namespace velmora::platform
