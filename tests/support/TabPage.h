#pragma once

#include "EngineWebBrowser.h"
#include "PageScript.h"
#include "frmMain.h"

namespace velmora::test {

// The engine page behind a tab of the main window; null while it has none.
inline QWebEnginePage *tabPage(mainwindow::frmMain &main, int tab)
{
    auto *web = qobject_cast<platform::EngineWebBrowser *>(main.web(tab));
    return web ? web->page() : nullptr;
}

// Runs a script in a tab's page; "<no page>" when the tab has none.
inline QVariant runInTab(mainwindow::frmMain &main, int tab, const QString &script)
{
    QWebEnginePage *page = tabPage(main, tab);
    return page ? runScript(page, script) : QVariant(QStringLiteral("<no page>"));
}

} // namespace velmora::test
