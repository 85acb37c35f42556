// The suggestion list under the address bar: history rows that begin with
// the typed text, and walking through them with the keys.
#include "frmMain.h"

#include "Steps.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

namespace velmora::mainwindow {

using services::step;

namespace {

constexpr int keyEnter = 13;
constexpr int keyUp = 38;
constexpr int keyDown = 40;

} // namespace

QStringList frmMain::buildSuggestions(const QStringList &history, const QString &typed)
{
    QStringList matches;
    if (typed.isEmpty())
        return matches;
    const QStringView t(typed);
    const qsizetype wwwLength = 4 + t.size();
    for (const QString &row : history) {
        const QStringView r(row);
        if (r.startsWith(t)
            || (r.size() >= wwwLength && r.startsWith(u"www.") && r.sliced(4).startsWith(t)))
            matches.append(row);
    }
    return matches;
}

// The rows of the address bar's list, read once while the list is unchanged.
const QStringList &frmMain::historyRows()
{
    QAbstractItemModel *model = Combo1->model();
    if (m_historyModel != model) {
        if (m_historyModel)
            disconnect(m_historyModel, nullptr, this, nullptr);
        m_historyModel = model;
        m_historyRowsValid = false;
        const auto stale = [this] { m_historyRowsValid = false; };
        connect(model, &QAbstractItemModel::rowsInserted, this, stale);
        connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
        connect(model, &QAbstractItemModel::rowsMoved, this, stale);
        connect(model, &QAbstractItemModel::dataChanged, this, stale);
        connect(model, &QAbstractItemModel::modelReset, this, stale);
        connect(model, &QAbstractItemModel::layoutChanged, this, stale);
    }
    if (!m_historyRowsValid) {
        const int count = Combo1->count();
        const int column = Combo1->modelColumn();
        const QModelIndex root = Combo1->rootModelIndex();
        m_historyRows.clear();
        m_historyRows.reserve(count);
        for (int i = 0; i < count; ++i)
            m_historyRows.append(model->index(i, column, root).data(Qt::DisplayRole).toString());
        m_historyRowsValid = true;
    }
    return m_historyRows;
}

bool frmMain::hintListShown() const
{
    return !podskazka->isHidden();
}

// The selected item's row, -1 when none is selected.
int frmMain::hintListIndex() const
{
    const int row = podskazka->currentRow();
    const QListWidgetItem *item = podskazka->item(row);
    return item && item->isSelected() ? row : -1;
}

void frmMain::setHintListIndex(int index)
{
    if (index < 0 || index >= podskazka->count()) {
        podskazka->clearSelection();
        podskazka->setCurrentRow(-1);
        return;
    }
    podskazka->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

// The address text becomes the selected suggestion. The list must not be
// rebuilt from the picked text, so the rebuild is refused first.
void frmMain::copyHintToAddress()
{
    const int index = hintListIndex();
    if (!hintPicking || index < 0)
        return;
    hintRebuild = false;
    setAddressText(podskazka->item(index)->text());
}

void frmMain::chang_Timer()
{
    if (!addressEdited)
        return;
    if (hintRebuild) {
        step([&] { podskazka->clear(); });
        step([&] {
            const QString typed = addressText();
            if (typed.isEmpty() || hintBusy)
                return;
            hintBusy = true;
            const QStringList matches = buildSuggestions(historyRows(), typed);
            if (!matches.isEmpty()) {
                podskazka->show();
                podskazka->raise();
                hintPicking = true;
                podskazka->addItems(matches);
            }
            hintBusy = false;
        });
    }
    step([&] { chang->stop(); });
}

void frmMain::podskazka_Click()
{
    step([&] { copyHintToAddress(); });
}

void frmMain::podskazka_DblClick()
{
    step([&] { podskazka->hide(); });
    step([&] { cmdGo_Click(); });
}

void frmMain::podskazka_GotFocus()
{
    step([&] { copyHintToAddress(); });
    FocusOwner = 6;
    pageFocusPending = false;
    suppressComboClick = false;
}

void frmMain::podskazka_LostFocus()
{
    FocusOwner = 3;
}

void frmMain::podskazka_KeyDown(int KeyCode, int Shift)
{
    const bool upOrDown = KeyCode == keyUp || KeyCode == keyDown;
    if (upOrDown) {
        // The item selected before the key moves the selection.
        step([&] {
            const int index = hintListIndex();
            if (index < 0)
                return;
            hintRebuild = false;
            setAddressText(podskazka->item(index)->text());
        });
    }

    const int index = hintListIndex();
    const int last = podskazka->count() - 1;
    if ((KeyCode == keyDown && index == last) || (KeyCode == keyUp && index == 0)) {
        if (index == last) {
            step([&] { setHintListIndex(0); });
            step([&] { setHintListIndex(-1); });
        }
        step([&] { Combo1->setFocus(Qt::OtherFocusReason); });
        step([&] {
            setAddressText(typedBeforeHint);
            putCaretAtEnd();
        });
        hintPicking = false;
        hintRebuild = true;
    }

    if (!upOrDown && KeyCode != keyEnter) {
        step([&] { Combo1->setFocus(Qt::OtherFocusReason); });
        step([&] { putCaretAtEnd(); });
        step([&] { Combo1_KeyDown(KeyCode, Shift); });
        hintPicking = false;
        hintRebuild = true;
    }

    if (KeyCode == keyEnter) {
        step([&] { podskazka->hide(); });
        step([&] { cmdGo_Click(); });
    }
}

} // namespace velmora::mainwindow
