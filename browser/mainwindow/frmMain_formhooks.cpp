#include "frmMain.h"

#include "Program.h"
#include "Steps.h"
#include "frmAbout.h"
#include "frmFormFill.h"
#include "frmGroupOperations.h"
#include "Placement.h"

#include "WebBrowser.h"

#include <QAction>
#include <QCoreApplication>

namespace velmora::mainwindow {

using services::step;

void frmMain::connectFormHooks()
{
    connect(actionNamed(QStringLiteral("mnuFormFiller")), &QAction::triggered, this,
            [this] { mnuFormFiller_Click(); });
    connect(actionNamed(QStringLiteral("mnuBatch")), &QAction::triggered, this,
            [this] { mnuBatch_Click(); });
    connect(actionNamed(QStringLiteral("mnuAbout")), &QAction::triggered, this,
            [this] { mnuAbout_Click(); });
}

void frmMain::parse(platform::WebDocument *document)
{
    const QPointer<platform::WebDocument> guard(document);
    // 1. The frames first, depth first; their forms give way to the
    // document's own.
    int frames = 0;
    step([&] { frames = guard ? guard->frameCount() : 0; });
    for (int i = 0; i < frames; ++i) {
        step([&] { QCoreApplication::processEvents(); });
        step([&] {
            if (guard)
                parse(guard->frame(i));
        });
    }
    // 2.
    int n = 0;
    step([&] { n = guard ? guard->formCount() : 0; });
    if (n == 0)
        return;
    for (int K = 0; K < HookedForms; ++K)
        step([&] { hookForm(K, K < n && guard ? guard->form(K) : nullptr); });
}

void frmMain::hookForm(int K, platform::WebForm *form)
{
    // A document with fewer forms releases the references past its last.
    const auto k = static_cast<size_t>(K);
    QObject::disconnect(m_formHooks[k]);
    webForm[k] = form;
    if (!form)
        return;
    m_formHooks[k] = connect(form, &platform::WebForm::onsubmit, this,
                             [this, K](bool *returnValue) {
                                 const bool go = webForm_onsubmit(K);
                                 if (returnValue)
                                     *returnValue = go;
                             });
}

bool frmMain::webForm_onsubmit(int K)
{
    step([&] { formSubmit(webForm.at(static_cast<size_t>(K))); });
    return true;
}

void frmMain::formSubmit(platform::WebForm *)
{
}

void frmMain::parseEvents()
{
    // Outside an event of the page there is nothing to show.
    if (!HTML)
        return;
    const QString type = HTML->currentEventType();
    if (type.isEmpty())
        return;
    m_program.dialogs().msgBox(this, type, platform::MsgButtons::OK, platform::MsgIcon::None,
                               QString());
}

void frmMain::mnuFormFiller_Click()
{
    step([&] {
        auto &filler = m_program.window<windows::frmFormFill>();
        filler.show();
        filler.raise();
    });
}

void frmMain::mnuBatch_Click()
{
    // Loading it fills its list and shows it; while it is loaded its list
    // stays as it is, and the window only comes to the front.
    if (auto *loaded = m_program.loadedWindow<windows::frmGroupOperations>()) {
        step([&] { windows::bringToFront(loaded); });
        return;
    }
    step([&] { m_program.window<windows::frmGroupOperations>(); });
}

void frmMain::mnuAbout_Click()
{
    step([&] { m_program.window<windows::frmAbout>().showModal(this); });
}

} // namespace velmora::mainwindow
