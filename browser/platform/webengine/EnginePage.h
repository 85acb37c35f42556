#pragma once

// The engine-side helpers of EngineWebBrowser; not for other users.

#include "EngineWebBrowser.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

namespace velmora::platform {

// The engine page: navigation requests and script dialogs go to the control;
// it never opens a dialog or a file chooser itself.
class EnginePage final : public QWebEnginePage
{
public:
    EnginePage(QWebEngineProfile *profile, EngineWebBrowser *owner, QObject *parent)
        : QWebEnginePage(profile, parent)
        , m_owner(owner)
    {
    }

    EngineWebBrowser *owner() const { return m_owner; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        return m_owner->onNavigationRequest(url, type, isMainFrame);
    }
    void javaScriptAlert(const QUrl &, const QString &msg) override
    {
        m_owner->onScriptDialog(WebBrowser::ScriptDialogKind::Alert, msg, nullptr);
    }
    bool javaScriptConfirm(const QUrl &, const QString &msg) override
    {
        return m_owner->onScriptDialog(WebBrowser::ScriptDialogKind::Confirm, msg, nullptr);
    }
    bool javaScriptPrompt(const QUrl &, const QString &msg, const QString &defaultValue,
                          QString *result) override
    {
        QString text = defaultValue;
        const bool accepted =
            m_owner->onScriptDialog(WebBrowser::ScriptDialogKind::Prompt, msg, &text);
        if (accepted && result)
            *result = text;
        return accepted;
    }
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &,
                            const QStringList &accepted) override
    {
        // Folders are not offered: such an input gets nothing.
        if (mode != FileSelectOpen && mode != FileSelectOpenMultiple)
            return {};
        QStringList files;
        const bool multiple = mode == FileSelectOpenMultiple;
        emit m_owner->FileChooser(multiple, accepted, &files);
        return multiple ? files : files.mid(0, 1);
    }
    // The document's own reports (form submissions) come this way.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    EngineWebBrowser *m_owner;
};

// The frames and forms of one document of an engine page, as a reading of
// the page found them.
struct EngineDocumentParts
{
    QList<WebDocument *> frames; // null: another site's frame
    QList<WebForm *> forms;

    WebDocument *frame(int index) const { return frames.value(index); }
    WebForm *form(int index) const { return forms.value(index); }
    void clear();
};

// The top document of a control. The engine answers scripts later, while
// the windows walk a document synchronously: so the frames and forms are
// read by one script when a document completes, kept until the next
// document commits, and reported from there.
class EngineDocument final : public WebDocument
{
public:
    explicit EngineDocument(EngineWebBrowser *owner)
        : WebDocument(owner)
        , m_owner(owner)
    {
        connect(owner, &WebBrowser::NavigateComplete2, this, [this] { forgetStructure(); });
        connect(owner, &WebBrowser::DocumentComplete, this, [this] { readStructure(); });
    }

    int frameCount() const override { return int(parts().frames.size()); }
    WebDocument *frame(int index) const override { return parts().frame(index); }
    int formCount() const override { return int(parts().forms.size()); }
    WebForm *form(int index) const override { return parts().form(index); }
    QString currentEventType() const override { return m_eventType; }

    void raiseMouseMove();
    // True when the message was the document's own report.
    bool takeConsoleMessage(const QString &message);
    // Runs a script with the document of the frame at path (frame indexes
    // from the top) as "document".
    void runInFrame(const QList<int> &path, const QString &script);

    QString title() const override
    {
        return m_owner->m_page ? m_owner->m_documentTitle : QString();
    }

    void setTitle(const QString &title) override
    {
        if (!m_owner->m_page)
            return;
        const QByteArray quoted = QJsonDocument(QJsonArray{title}).toJson(QJsonDocument::Compact);
        const QString literal = QString::fromUtf8(quoted.mid(1, quoted.size() - 2));
        const QString script = QStringLiteral("document.title = ") + literal + QLatin1Char(';');
        m_owner->m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
        m_owner->m_documentTitle = title;
        ++m_owner->m_titleChanges;
    }

    // Replaces the document by an empty one in place: no navigation, no
    // history entry and no events; the address stays as it was.
    void Clear() override
    {
        if (!m_owner->m_page)
            return;
        m_owner->m_page->triggerAction(QWebEnginePage::Stop);
        m_owner->m_page->runJavaScript(QStringLiteral("document.open(); document.close();"),
                                       QWebEngineScript::ApplicationWorld);
        m_owner->m_documentTitle.clear();
        ++m_owner->m_titleChanges;
        forgetStructure();
    }

    void focus() override { m_owner->SetFocus(); }

private:
    const EngineDocumentParts &parts() const;
    void forgetStructure();
    void readStructure();
    void raiseSubmit(const QString &formPath);

    EngineWebBrowser *m_owner;
    EngineDocumentParts m_parts;
    // The page the parts were read from, and a count that outdates answers.
    QPointer<QWebEnginePage> m_partsPage;
    quint64 m_readings = 0;
    QString m_token;
    QString m_eventType;
};

} // namespace velmora::platform
