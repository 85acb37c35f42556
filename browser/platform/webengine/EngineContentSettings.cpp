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

const QString contentScriptName = u"velmora-content"_s;

// What the engine has no setting for, done in each document: videos that
// start are stopped at once (and those stopped so play again when videos are
// back on); pictures stand still as their first frame, each drawn on a
// canvas shown in its place (the engine draws the first frame of a moving
// picture there; the canvas stays tainted by another site's picture, so the
// page reads no more of it than before); a style sheet of our own stops the
// animations and transitions of the page's style sheets and hides pictures.
// Run again on an open document, it brings it in line with the new state.
QString contentScript(const ContentSettings &content)
{
    static const QString body = uR"((function (state) {
    var self = window.__velmoraContent;
    if (!self) {
        self = window.__velmoraContent = {
            state: state, style: null, stills: new Map(), held: new Set(), watch: null
        };
        // Media events do not bubble; the capture phase sees them all.
        document.addEventListener('play', function (event) {
            var media = event.target;
            if (!self.state.videos && media && media.tagName === 'VIDEO') {
                self.held.add(media);
                media.pause();
            }
        }, true);
        document.addEventListener('load', function (event) {
            var picture = event.target;
            if (!self.state.animations && picture && picture.tagName === 'IMG')
                self.still(picture);
        }, true);
        var resized = 0;
        window.addEventListener('resize', function () {
            clearTimeout(resized);
            resized = setTimeout(function () {
                if (!self.state.animations)
                    self.stills.forEach(function (frame, picture) { self.still(picture); });
            }, 200);
        });
        // Pictures past these bounds are left as the engine shows them.
        var MaxSide = 16000, MaxPixels = 25000000;
        self.unstill = function (picture) {
            var frame = self.stills.get(picture);
            if (frame)
                frame.remove();
            picture.removeAttribute('data-velmora-still');
            self.stills.delete(picture);
        };
        self.still = function (picture) {
            var width = picture.naturalWidth, height = picture.naturalHeight;
            self.unstill(picture);
            if (self.state.animations || !picture.isConnected || !picture.complete || !width
                || !height || width > MaxSide || height > MaxSide || width * height > MaxPixels)
                return;
            var look = getComputedStyle(picture);
            if (look.display === 'none')
                return;
            // No more pixels than the picture is shown with.
            var box = picture.getBoundingClientRect(), ratio = window.devicePixelRatio || 1;
            var scale = Math.min(1, Math.max(box.width * ratio / width, box.height * ratio / height));
            if (!(scale > 0))
                scale = 1;
            var frame = document.createElement('canvas');
            frame.width = Math.max(1, Math.round(width * scale));
            frame.height = Math.max(1, Math.round(height * scale));
            try {
                frame.getContext('2d').drawImage(picture, 0, 0, frame.width, frame.height);
            } catch (e) {
                return;
            }
            var text = '';
            for (var i = 0; i < look.length; ++i)
                text += look[i] + ':' + look.getPropertyValue(look[i]) + ';';
            frame.style.cssText = text;
            frame.setAttribute('data-velmora-frame', '');
            if (picture.title)
                frame.title = picture.title;
            picture.after(frame);
            picture.setAttribute('data-velmora-still', '');
            self.stills.set(picture, frame);
        };
        // Pictures the page adds, moves or takes away.
        self.follow = function (records) {
            self.stills.forEach(function (frame, picture) {
                if (!picture.isConnected)
                    self.unstill(picture);
                else if (frame.previousSibling !== picture)
                    picture.after(frame);
            });
            records.forEach(function (record) {
                record.addedNodes.forEach(function (node) {
                    if (node.tagName === 'IMG' && !self.stills.has(node))
                        self.still(node);
                    else if (node.querySelectorAll)
                        node.querySelectorAll('img').forEach(function (picture) {
                            if (!self.stills.has(picture))
                                self.still(picture);
                        });
                });
            });
        };
    }
    self.state = state;
    if (!state.videos) {
        document.querySelectorAll('video').forEach(function (video) {
            if (!video.paused)
                self.held.add(video);
            video.pause();
        });
    } else {
        self.held.forEach(function (video) {
            if (video.isConnected) {
                var playing = video.play();
                if (playing)
                    playing.catch(function () {});
            }
        });
        self.held.clear();
    }
    if (!state.animations) {
        if (!self.watch) {
            self.watch = new MutationObserver(self.follow);
            self.watch.observe(document, { childList: true, subtree: true });
        }
        document.querySelectorAll('img').forEach(function (picture) {
            if (!self.stills.has(picture))
                self.still(picture);
        });
    } else {
        if (self.watch)
            self.watch.disconnect();
        self.watch = null;
        Array.from(self.stills.keys()).forEach(self.unstill);
    }
    // Pictures the engine keeps in memory come without a request: they are
    // hidden as well, and so are those of a page already shown.
    var rules = '';
    if (!state.animations)
        rules += '*, *::before, *::after { animation: none !important; ' +
            'transition: none !important; } ' +
            'img[data-velmora-still] { display: none !important; } ';
    if (!state.pictures)
        rules += 'img, input[type=image], svg image, canvas[data-velmora-frame] ' +
            '{ visibility: hidden !important; } ' +
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
    // As in a desktop browser, a page starts sound and video only after the
    // user did something in it.
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);

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

} // namespace velmora::platform
