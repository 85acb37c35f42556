#include "frmRemove.h"

#include "TextFit.h"
#include "frmMain.h"
#include "Twips.h"

#include "AddressHistory.h"
#include "Language.h"
#include "MouseCodes.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "WebBrowser.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace velmora::windows {

using services::buttonCode;
using services::shiftCode;
using services::step;

namespace {

constexpr int FormWidth = 7050;
constexpr int FormHeight = 4260;

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QListWidgetItem *rowOf(QListWidget *list, int i)
{
    QListWidgetItem *item = list->item(i);
    if (!item)
        throw services::RuntimeError(services::RuntimeError::SubscriptOutOfRange,
                                     "no such row in the list");
    return item;
}

} // namespace

frmRemove::frmRemove(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmRemove"), parent)
{
    setWindowTitle(QStringLiteral("Удалить"));
    createControls();
    connectControls();
    // The window's own load, as the first reference to it runs it.
    load(false);
}

void frmRemove::createControls()
{
    const int t = program().system().twipsPerPixelX();
    auto place = [t](QWidget *w, double left, double top, double width, double height) {
        mainwindow::setTwipsGeometry(w, {left, top, width, height}, t);
    };

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    place(List1, 120, 120, 4020, 4020);

    cmdUp = makeButton(this, "cmdUp", QString());
    cmdUp->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    place(cmdUp, 4260, 1320, 495, 615);
    cmdDown = makeButton(this, "cmdDown", QString());
    cmdDown->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    place(cmdDown, 4260, 2055, 495, 615);

    cmdRemove = makeButton(this, "cmdRemove", QStringLiteral("Удалить"));
    place(cmdRemove, 4875, 120, 2055, 420);
    cmdRemAll = makeButton(this, "cmdRemAll", QStringLiteral("Удалить всё"));
    place(cmdRemAll, 4875, 600, 2055, 420);
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("Записать + выход"));
    place(cmdClose, 4875, 3240, 2055, 420);
    cmdExWO = makeButton(this, "cmdExWO", QStringLiteral("Выход без записи"));
    place(cmdExWO, 4875, 3720, 2055, 420);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(RepeatMs);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(RepeatMs);

    setMouseTracking(true);
    setFixedSize(mainwindow::twipsToPixels(FormWidth, t), mainwindow::twipsToPixels(FormHeight, t));
}

void frmRemove::connectControls()
{
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(cmdExWO, &QPushButton::clicked, this, [this] { cmdExWO_Click(); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { cmdRemove_Click(); });
    connect(cmdRemAll, &QPushButton::clicked, this, [this] { cmdRemAll_Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    // The arrows act on the press itself, not on the click.
    cmdUp->installEventFilter(this);
    cmdDown->installEventFilter(this);
}

bool frmRemove::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != cmdUp && watched != cmdDown)
        return SecondaryWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Each press of a quick double press moves too.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const int t = program().system().twipsPerPixelX();
        const auto x = static_cast<float>(mouse->position().x() * t);
        const auto y = static_cast<float>(mouse->position().y() * t);
        const int button = buttonCode(mouse->button());
        const int shift = shiftCode(mouse->modifiers());
        if (watched == cmdDown)
            cmdDown_MouseDown(button, shift, x, y);
        else
            cmdUp_MouseDown(button, shift, x, y);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (watched == cmdDown)
            cmdDown_MouseUp();
        else
            cmdUp_MouseUp();
        break;
    default:
        break;
    }
    return false;
}

void frmRemove::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    SecondaryWindow::mouseMoveEvent(event);
}

// ---------------------------------------------------------------- load and save

void frmRemove::Form_Load()
{
    load(true);
}

void frmRemove::load(bool mayYield)
{
    step([&] { hide(); });
    if (!manual) {
        step([&] {
            services::Language &lang = program().language();
            const QString dir = program().folder().path();
            const QString language = program().settings().GetSetting(
                QStringLiteral("general"), QStringLiteral("language"),
                lang.getDefaultLanguage(dir));
            lang.applyLanguage(dir, language, services::Language::RemoveWindow, this);
        });
        step([&] { services::fitTexts(this); });
    }
    if (manual)
        List1->clear();
    // Empty values are shown as they are; an unreadable rest of the file
    // leaves the rows read before it.
    const QStringList values = program().history().readItems();
    const QPointer<frmRemove> self(this);
    for (const QString &value : values) {
        if (mayYield) {
            QCoreApplication::processEvents();
            if (!self)
                return;
        }
        List1->addItem(value);
    }
    if (List1->count() > DividerRow)
        List1->insertItem(DividerRow, QString());
}

void frmRemove::cmdClose_Click()
{
    step([&] { hide(); });
    const QPointer<frmRemove> self(this);
    QCoreApplication::processEvents();
    if (!self)
        return;
    if (List1->count() > DividerRow)
        delete List1->takeItem(DividerRow);
    step([&] {
        QStringList rows;
        for (int i = 0; i < List1->count(); ++i) {
            const QString text = List1->item(i)->text();
            if (!text.isEmpty())
                rows.append(text);
        }
        program().history().saveItems(rows);
    });
    if (program().hasMainWindow()) {
        mainwindow::frmMain &main = program().mainWindow();
        step([&] { program().history().loadHistory(*main.Combo1); });
        step([&] {
            platform::WebBrowser *browser = main.web(main.currentTabNumber());
            if (!browser)
                throw services::RuntimeError(91, "the current tab has no browser");
            main.Combo1->setEditText(browser->LocationURL());
        });
    }
    step([&] { hide(); });
}

void frmRemove::cmdExWO_Click()
{
    close();
}

// ---------------------------------------------------------------- removing

void frmRemove::cmdRemove_Click()
{
    // The divider is never removed with the selection.
    step([&] { rowOf(List1, DividerRow)->setSelected(false); });
    if (List1->currentRow() < 0)
        return;
    if (List1->count() > DividerRow)
        delete List1->takeItem(DividerRow);
    const int n = List1->count();
    for (int i = 0; i < n; ++i) {
        while (i < List1->count() && List1->item(i)->isSelected())
            delete List1->takeItem(i);
    }
    if (List1->count() > DividerRow)
        List1->insertItem(DividerRow, QString());
}

void frmRemove::cmdRemAll_Click()
{
    List1->clear();
}

// ---------------------------------------------------------------- moving

frmRemove::Move::Move(QListWidget *l) : n(l->count()), list(l), moved(size_t(n), false) {}

bool frmRemove::Move::selected(int i) const
{
    return rowOf(list, i)->isSelected();
}

void frmRemove::Move::select(int i, bool on)
{
    rowOf(list, i)->setSelected(on);
}

void frmRemove::Move::exchange(int a, int b)
{
    QListWidgetItem *first = rowOf(list, a);
    QListWidgetItem *second = rowOf(list, b);
    const QString text = first->text();
    first->setText(second->text());
    second->setText(text);
    const bool wasMoved = moved[size_t(a)];
    moved[size_t(a)] = moved[size_t(b)];
    moved[size_t(b)] = wasMoved;
}

bool frmRemove::Move::anySelected() const
{
    for (int i = 0; i < n; ++i) {
        if (selected(i))
            return true;
    }
    return false;
}

// The order of the tests matters: in a list of exactly eight rows row 7 is
// the last one and wraps.
void frmRemove::stepDown(Move &m, int i)
{
    auto moveTo = [&m](int from, int to, bool otherSelected) {
        m.exchange(from, to);
        m.select(from, otherSelected);
        m.select(to, true);
        m.moved[size_t(to)] = true;
    };
    if (i != m.n - 1 && i != DividerRow - 1 && i != DividerRow)
        moveTo(i, i + 1, m.selected(i + 1));
    else if (i == m.n - 1)
        moveTo(i, 0, false);
    else if (i == DividerRow - 1)
        moveTo(i, DividerRow + 1, false);
    else
        m.select(DividerRow, false);
}

void frmRemove::stepUp(Move &m, int i)
{
    auto moveTo = [&m](int from, int to, bool otherSelected) {
        m.exchange(from, to);
        m.select(from, otherSelected);
        m.select(to, true);
        m.moved[size_t(to)] = true;
    };
    if (i != 0 && i != DividerRow + 1 && i != DividerRow)
        moveTo(i, i - 1, m.selected(i - 1));
    else if (i == 0)
        moveTo(i, m.n - 1, false);
    else if (i == DividerRow + 1)
        moveTo(i, DividerRow - 1, false);
    else
        m.select(DividerRow, false);
}

void frmRemove::moveDown()
{
    Move m(List1);
    if (m.n == 0)
        return;
    // The run of selected rows at the bottom wraps round to the top.
    std::vector<bool> run(size_t(m.n), false);
    for (int k = m.n - 1; k >= 0 && m.selected(k); --k)
        run[size_t(k)] = true;
    if (!m.anySelected()) {
        const int current = List1->currentRow();
        if (current < 0)
            return;
        m.select(current, true);
    }
    for (int i = m.n - 1; i >= 0; --i) {
        if (!run[size_t(i)] && !m.moved[size_t(i)] && m.selected(i))
            step([&] { stepDown(m, i); });
    }
    for (int k = m.n - 1; k >= 0 && run[size_t(k)]; --k) {
        if (!m.moved[size_t(k)])
            step([&] { stepDown(m, k); });
    }
}

void frmRemove::moveUp()
{
    Move m(List1);
    if (m.n == 0)
        return;
    std::vector<bool> run(size_t(m.n), false);
    for (int k = 0; k < m.n && m.selected(k); ++k)
        run[size_t(k)] = true;
    if (!m.anySelected()) {
        const int current = List1->currentRow();
        if (current < 0)
            return;
        m.select(current, true);
    }
    for (int i = 0; i < m.n; ++i) {
        if (!run[size_t(i)] && !m.moved[size_t(i)] && m.selected(i))
            step([&] { stepUp(m, i); });
    }
    for (int i = 0; i < m.n; ++i) {
        if (m.selected(i)) {
            List1->setCurrentRow(i, QItemSelectionModel::NoUpdate);
            break;
        }
    }
    for (int k = 0; k < m.n && run[size_t(k)]; ++k) {
        if (!m.moved[size_t(k)])
            step([&] { stepUp(m, k); });
    }
}

// ---------------------------------------------------------------- press and hold

void frmRemove::cmdDown_MouseDown(int Button, int, float, float Y)
{
    if (Button != 1)
        return;
    if (Y != RepeatY) {
        Timer1->setInterval(FirstRepeatMs);
        Timer1->start();
    }
    step([&] { moveDown(); });
}

void frmRemove::cmdUp_MouseDown(int Button, int, float, float Y)
{
    if (Button != 1)
        return;
    if (Y != RepeatY) {
        Timer2->setInterval(FirstRepeatMs);
        Timer2->start();
    }
    step([&] { moveUp(); });
}

void frmRemove::cmdDown_MouseUp()
{
    Timer1->stop();
}

void frmRemove::cmdUp_MouseUp()
{
    Timer2->stop();
}

void frmRemove::Timer1_Timer()
{
    Timer1->setInterval(RepeatMs);
    cmdDown_MouseDown(1, 0, 0, RepeatY);
}

void frmRemove::Timer2_Timer()
{
    Timer2->setInterval(RepeatMs);
    cmdUp_MouseDown(1, 0, 0, RepeatY);
}

void frmRemove::Form_MouseMove()
{
    Timer1->stop();
    Timer2->stop();
}

} // namespace velmora::windows
