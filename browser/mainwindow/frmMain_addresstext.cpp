// What keeps the address text the user's: an error page the engine commits
// under the address that failed leaves no history row, and a tab caption
// that changes takes no keyboard focus.
#include "frmMain.h"

#include "EditTextKeeper.h"

#include "Program.h"

#include "AddressHistory.h"
#include "Steps.h"

#include "TabstripP.h"

#include <QComboBox>

namespace velmora::mainwindow {

using services::step;

void frmMain::rememberHistoryVisit(int tab, const QString &location, const QString &host,
                                   int rowBefore)
{
    m_historyVisits[tab] = HistoryVisit{location, host, rowBefore};
}

// The engine first reports an error page as a visit of the address that
// failed, and only later as its error page: the visit is taken back.
void frmMain::forgetErrorPageVisit(int tab, const QString &location)
{
    const auto visit = m_historyVisits.find(tab);
    if (visit == m_historyVisits.end())
        return;
    const QString asked = withoutErrorPageWrappers(location, systemDir);
    if (asked == location) {
        // Another page: its visit stands.
        m_historyVisits.erase(visit);
        return;
    }
    if (asked != visit->second.location)
        return;
    const HistoryVisit taken = visit->second;
    m_historyVisits.erase(visit);
    step([&] {
        const int row = Combo1->findText(taken.host, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (row < 0)
            return;
        {
            const EditTextKeeper keepText(Combo1);
            Combo1->removeItem(row);
            if (taken.rowBefore >= 0)
                Combo1->insertItem(std::min(taken.rowBefore, Combo1->count()), taken.host);
        }
        m_program.history().saveHistory(*Combo1);
    });
}

void frmMain::connectCaptionLets()
{
    // The row announces a caption let just before the change it raises.
    connect(Tabstrip1, &kelvane::TabstripP::propertyChanged, this, [this](const QString &name) {
        if (name == QLatin1String("tabCaption"))
            m_captionLetPending = true;
    });
}

} // namespace velmora::mainwindow
