#include "TabstripP.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QTabBar>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace kelvane {

// The inner row. It only lets the control hand a press to the bar's own
// handling before the host hears of it.
class TabstripP::Row : public QTabBar
{
public:
    using QTabBar::QTabBar;

    void pressBase(QMouseEvent *event)
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            QTabBar::mouseDoubleClickEvent(event);
        else
            QTabBar::mousePressEvent(event);
    }
};

namespace {

class Quiet
{
public:
    explicit Quiet(int &depth) : m_depth(depth) { ++m_depth; }
    ~Quiet() { --m_depth; }
    Quiet(const Quiet &) = delete;
    Quiet &operator=(const Quiet &) = delete;

private:
    int &m_depth;
};

// The whole number a host argument stands for, rounded half to even as the
// host's runtime does; an empty argument counts as 0.
double wholeNumber(const QVariant &value)
{
    if (!value.isValid())
        return 0;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        throw CallError(CallError::TypeMismatch, "argument is not a number");
    return std::nearbyint(number);
}

int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

} // namespace

TabstripP::TabstripP(QWidget *parent) : QWidget(parent)
{
    for (int i = 0; i <= MaxNumber; ++i) {
        m_physToLog[i] = static_cast<qint16>(i - 1);
        m_logToPhys[i] = static_cast<qint16>(i + 1);
    }

    m_row = new Row(this);
    m_row->setObjectName(u"Tabstrip1"_s);
    m_row->setExpanding(false);
    m_row->setUsesScrollButtons(true);
    m_row->setElideMode(Qt::ElideNone);
    m_row->setSelectionBehaviorOnRemove(QTabBar::SelectRightTab);
    // The right button is the host's, through mouseDown.
    m_row->setContextMenuPolicy(Qt::PreventContextMenu);
    m_row->installEventFilter(this);
    connect(m_row, &QTabBar::currentChanged, this, &TabstripP::rowSelectionMoved);
    {
        Quiet quiet(m_quiet);
        m_row->addTab(QString());
    }
    m_row->setGeometry(rect());
}

TabstripP::~TabstripP() = default;

QTabBar *TabstripP::Tabstrip1() const
{
    return m_row;
}

int TabstripP::checkedIndex(const QVariant &index) const
{
    const double number = wholeNumber(index);
    if (!(number >= 0 && number <= MaxNumber))
        throw CallError(CallError::SubscriptOutOfRange, "tab number outside 0..1000");
    return static_cast<int>(number);
}

int TabstripP::checkedPosition(int logical) const
{
    const int position = m_logToPhys[logical];
    if (position < 1 || position > m_row->count())
        throw CallError(CallError::IndexOutOfBounds, "the row has no tab at that position");
    return position;
}

QVariant TabstripP::value() const
{
    const int current = m_row->currentIndex();
    if (current < 0)
        return {};
    return QVariant::fromValue<qint16>(m_physToLog[current + 1]);
}

void TabstripP::setValue(const QVariant &number)
{
    emit change();
    const int logical = checkedIndex(number);
    if (m_removed[logical])
        return;
    // The row reports the move itself, as it does for a user's click.
    m_row->setCurrentIndex(checkedPosition(logical) - 1);
}

// The row reads "&" as the mark of a mnemonic; a caption shows every one.
static QString rowText(const QString &caption)
{
    return QString(caption).replace(u'&', u"&&"_s);
}

QString TabstripP::tabCaption(const QVariant &index) const
{
    return m_row->tabText(checkedPosition(checkedIndex(index)) - 1).replace(u"&&"_s, u"&"_s);
}

void TabstripP::setTabCaption(const QVariant &index, const QString &caption)
{
    const int logical = checkedIndex(index);
    if (!m_removed[logical]) {
        // The row lays all its tabs out again on every new text.
        const int at = checkedPosition(logical) - 1;
        const QString text = rowText(caption);
        if (m_row->tabText(at) != text)
            m_row->setTabText(at, text);
    }
    emit propertyChanged(u"tabCaption"_s);
    emit change();
}

bool TabstripP::tabVisible(const QVariant &index) const
{
    return !m_removed[checkedIndex(index)];
}

void TabstripP::setTabVisible(const QVariant &index, bool visible)
{
    emit change();
    const int logical = checkedIndex(index);
    if (visible || m_removed[logical])
        return;
    removeNumber(logical);
}

QVariant TabstripP::tabs() const
{
    return QVariant::fromValue<qint16>(static_cast<qint16>(m_physToLog[m_row->count()] + 1));
}

void TabstripP::setTabs(const QVariant &n)
{
    emit change();
    const double last = wholeNumber(n);
    for (double i = tabs().toInt() + 1; i <= last; ++i)
        appendTab();
}

bool TabstripP::tabHighlited(const QVariant &index) const
{
    return m_row->tabData(checkedPosition(checkedIndex(index)) - 1).toBool();
}

void TabstripP::setTabHighlited(const QVariant &index, bool on)
{
    const int logical = checkedIndex(index);
    if (!m_removed[logical]) {
        const int at = checkedPosition(logical) - 1;
        m_row->setTabData(at, on);
        m_row->setTabTextColor(at, on ? m_row->palette().color(QPalette::Highlight) : QColor());
    }
    emit propertyChanged(u"tabHighlited"_s);
}

int TabstripP::TabsPerRow() const
{
    return tabs().toInt();
}

void TabstripP::setTabsPerRow(int ignored)
{
    Q_UNUSED(ignored);
}

QVariant TabstripP::borderTab(int &index) const
{
    const int start = checkedPosition(checkedIndex(index));
    const int startLeft = m_row->tabRect(start - 1).left();
    const int width = m_row->width();
    int last = 0;
    for (int p = start; p <= m_row->count(); ++p) {
        if (m_row->tabRect(p - 1).left() - startLeft >= width)
            break;
        last = p;
    }
    return QVariant::fromValue<qint16>(m_physToLog[last]);
}

void TabstripP::appendTab()
{
    const int count = m_row->count();
    const int number = count + m_removedCount;
    // The last map entries would no longer hold a fresh number or its position.
    if (number > MaxNumber || count + 1 > MaxNumber)
        throw CallError(CallError::SubscriptOutOfRange, "no tab number is left");
    {
        Quiet quiet(m_quiet);
        m_row->addTab(QString());
    }
    m_physToLog[count + 1] = static_cast<qint16>(number);
    m_logToPhys[number] = static_cast<qint16>(count + 1);
    ++m_revision;
}

void TabstripP::removeNumber(int logical)
{
    const int position = checkedPosition(logical);
    {
        Quiet quiet(m_quiet);
        m_row->removeTab(position - 1);
    }
    for (int i = position; i < MaxNumber; ++i)
        m_physToLog[i] = m_physToLog[i + 1];
    // Only the tabs behind the removed one moved; a removed number keeps its
    // stale entry.
    const int count = m_row->count();
    for (int p = position; p <= count; ++p)
        m_logToPhys[m_physToLog[p]] = static_cast<qint16>(p);
    ++m_removedCount;
    m_removed[logical] = true;
    ++m_revision;
}

int TabstripP::tabUnder(double x) const
{
    const int xi = static_cast<int>(std::clamp(std::nearbyint(x), -32768.0, 32767.0));
    const int count = m_row->count();
    for (int p = 1; p <= count; ++p) {
        // Past the last tab there is no next edge: the last tab takes the rest.
        if (p == count)
            return p;
        if (xi > m_row->tabRect(p - 1).left() && xi < m_row->tabRect(p).left())
            return p;
    }
    return 0;
}

void TabstripP::innerClick()
{
    emit change();
    emit click();
}

void TabstripP::rowSelectionMoved(int rowIndex)
{
    if (m_quiet > 0 || rowIndex < 0)
        return;
    innerClick();
}

void TabstripP::resizeEvent(QResizeEvent *event)
{
    m_row->setGeometry(0, 0, event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

bool TabstripP::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_row
        || (event->type() != QEvent::MouseButtonPress
            && event->type() != QEvent::MouseButtonDblClick)) {
        return QWidget::eventFilter(watched, event);
    }
    auto *press = static_cast<QMouseEvent *>(event);
    const int button = buttonCode(press->button());
    if (button == 0)
        return false;

    if (button == 2) {
        const int position = tabUnder(press->position().x());
        if (position > 0) {
            // A notification has no caller to report a failure to.
            try {
                setValue(QVariant::fromValue<qint16>(m_physToLog[position]));
            } catch (const CallError &) {
            }
        }
    } else {
        // The row selects first, so the host's handler sees the pressed tab
        // current for every button.
        m_row->pressBase(press);
    }
    const QPointF at = press->position() + QPointF(m_row->pos());
    emit mouseDown(button, shiftCode(press->modifiers()), static_cast<float>(at.x()),
                   static_cast<float>(at.y()));
    return true;
}

} // namespace kelvane
