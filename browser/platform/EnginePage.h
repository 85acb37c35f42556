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
    QStringList chooseFiles(FileSelectionMode, const QStringList &, const QStringList &) override
    {
        return {};
    }

private:
    EngineWebBrowser *m_owner;
};

// Offline work of one control: no request of its page reaches the network;
// what the engine still holds in memory (back and forward pages) shows.
class OfflineInterceptor final : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    bool offline = false;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        if (!offline)
            return;
        static const QStringList network{QStringLiteral("http"), QStringLiteral("https"),
                                         QStringLiteral("ftp"), QStringLiteral("ws"),
                                         QStringLiteral("wss")};
        if (network.contains(info.requestUrl().scheme()))
            info.block(true);
    }
};

class EngineDocument final : public WebDocument
{
public:
    explicit EngineDocument(EngineWebBrowser *owner)
        : WebDocument(owner)
        , m_owner(owner)
    {
    }

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
    }

    void focus() override { m_owner->SetFocus(); }

private:
    EngineWebBrowser *m_owner;
};

} // namespace velmora::platform
