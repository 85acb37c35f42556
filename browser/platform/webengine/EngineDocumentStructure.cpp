// The frames and forms of engine pages, read by script.
#include "EngineCertificates.h"
#include "EnginePage.h"

#include <QUuid>
#include <QVariantList>
#include <QVariantMap>

#include <utility>

using namespace Qt::StringLiterals;

namespace velmora::platform {

namespace {

QString jsLiteral(const QString &text)
{
    const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
}

// Walks the document and the frames it can reach, depth first, and hooks
// the submit event of every form once; the hook names the form by frame path
// and index. The world is the application's, so the marks stay out of the
// page's sight.
const QString structureScript = uR"JS(
(function (token) {
  function walk(doc, path) {
    var node = { title: String(doc.title), forms: doc.forms.length, frames: [] };
    for (var k = 0; k < doc.forms.length; ++k) {
      var form = doc.forms[k];
      form.__velmoraForm = path.join('.') + '#' + k;
      if (!form.__velmoraHooked) {
        form.__velmoraHooked = true;
        form.addEventListener('submit', function () {
          console.debug(token + ' ' + this.__velmoraForm);
        });
      }
    }
    var win = doc.defaultView;
    var count = win ? win.frames.length : 0;
    for (var i = 0; i < count; ++i) {
      var child = null;
      try { child = win.frames[i].document; } catch (e) { child = null; }
      node.frames.push(child ? walk(child, path.concat([i])) : null);
    }
    return node;
  }
  return walk(document, []);
})(%1)
)JS"_s;

// A frame's document as the reading found it; changes go to the page by script.
class EngineFrameDocument final : public WebDocument
{
public:
    // The frame's own frames and forms are its children.
    EngineFrameDocument(EngineDocument *top, QObject *parent, QList<int> path, QString title)
        : WebDocument(parent), m_top(top), m_path(std::move(path)), m_title(std::move(title))
    {
    }

    QString title() const override { return m_title; }
    void setTitle(const QString &title) override
    {
        m_top->runInFrame(m_path, u"document.title = "_s + jsLiteral(title) + u';');
        m_title = title;
    }
    void Clear() override
    {
        m_top->runInFrame(m_path, u"document.open(); document.close();"_s);
        m_title.clear();
        parts.clear();
    }
    void focus() override { m_top->focus(); }

    int frameCount() const override { return int(parts.frames.size()); }
    WebDocument *frame(int index) const override { return parts.frame(index); }
    int formCount() const override { return int(parts.forms.size()); }
    WebForm *form(int index) const override { return parts.form(index); }
    QString currentEventType() const override { return m_top->currentEventType(); }

    EngineDocumentParts parts;

private:
    EngineDocument *m_top;
    QList<int> m_path;
    QString m_title;
};

void build(EngineDocument *top, QObject *owner, EngineDocumentParts &parts,
           const QVariantMap &node, const QList<int> &path)
{
    const int forms = node.value(u"forms"_s).toInt();
    for (int k = 0; k < forms; ++k)
        parts.forms.append(new WebForm(owner));
    const QVariantList frames = node.value(u"frames"_s).toList();
    for (int i = 0; i < frames.size(); ++i) {
        const QVariantMap child = frames.at(i).toMap();
        if (child.isEmpty()) {
            parts.frames.append(nullptr);
            continue;
        }
        const QList<int> at = path + QList<int>{i};
        auto *document =
            new EngineFrameDocument(top, owner, at, child.value(u"title"_s).toString());
        build(top, document, document->parts, child, at);
        parts.frames.append(document);
    }
}

} // namespace

void EnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                          const QString &message, int lineNumber,
                                          const QString &sourceID)
{
    auto *guard = findChild<EngineCertificateGuard *>();
    if (guard && guard->takeConsoleMessage(message))
        return;
    if (!m_owner->m_document->takeConsoleMessage(message))
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

void EngineDocumentParts::clear()
{
    // Late: a handler of one of them may be running.
    for (WebDocument *frame : std::as_const(frames)) {
        if (frame)
            frame->deleteLater();
    }
    for (WebForm *form : std::as_const(forms))
        form->deleteLater();
    frames.clear();
    forms.clear();
}

const EngineDocumentParts &EngineDocument::parts() const
{
    static const EngineDocumentParts none;
    return m_partsPage && m_partsPage == m_owner->m_page ? m_parts : none;
}

void EngineDocument::forgetStructure()
{
    ++m_readings;
    m_parts.clear();
    m_partsPage = nullptr;
}

void EngineDocument::readStructure()
{
    forgetStructure();
    QWebEnginePage *page = m_owner->m_page;
    if (!page)
        return;
    if (m_token.isEmpty())
        m_token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QPointer<EngineDocument> self(this);
    const QPointer<QWebEnginePage> reading(page);
    const quint64 readings = m_readings;
    page->runJavaScript(structureScript.arg(jsLiteral(m_token)), QWebEngineScript::ApplicationWorld,
                        [self, reading, readings](const QVariant &value) {
                            if (!self || !reading || self->m_readings != readings
                                || reading != self->m_owner->m_page)
                                return;
                            build(self, self, self->m_parts, value.toMap(), {});
                            self->m_partsPage = reading;
                        });
}

void EngineDocument::raiseMouseMove()
{
    const QPointer<EngineDocument> self(this);
    const QString outer = std::exchange(m_eventType, u"mousemove"_s);
    emit onmousemove();
    if (self)
        m_eventType = outer;
}

bool EngineDocument::takeConsoleMessage(const QString &message)
{
    if (m_token.isEmpty() || !message.startsWith(m_token + u' '))
        return false;
    raiseSubmit(message.mid(m_token.size() + 1));
    return true;
}

void EngineDocument::raiseSubmit(const QString &formPath)
{
    // "<frame>.<frame>#<form>", the frames empty for the top document.
    const qsizetype hash = formPath.lastIndexOf(u'#');
    if (hash < 0)
        return;
    const WebDocument *document = this;
    const QString frames = formPath.left(hash);
    if (!frames.isEmpty()) {
        for (const QString &index : frames.split(u'.')) {
            document = document ? document->frame(index.toInt()) : nullptr;
        }
    }
    bool ok = false;
    const int k = formPath.mid(hash + 1).toInt(&ok);
    WebForm *target = document && ok ? document->form(k) : nullptr;
    if (!target)
        return;
    // The submission has gone ahead already; the answer cannot stop it.
    bool returnValue = true;
    const QPointer<EngineDocument> self(this);
    const QString outer = std::exchange(m_eventType, u"submit"_s);
    emit target->onsubmit(&returnValue);
    if (self)
        m_eventType = outer;
}

void EngineDocument::runInFrame(const QList<int> &path, const QString &script)
{
    QWebEnginePage *page = m_owner->m_page;
    if (!page)
        return;
    QString target = u"window"_s;
    for (int index : path)
        target += u".frames["_s + QString::number(index) + u']';
    const QString wrapped = u"(function (document) { "_s + script + u" })(" + target
                            + u".document);";
    page->runJavaScript(wrapped, QWebEngineScript::ApplicationWorld);
}

} // namespace velmora::platform
