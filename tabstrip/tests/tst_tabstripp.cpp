#include "TabstripP.h"

#include <QTabBar>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;
using kelvane::CallError;
using kelvane::TabstripP;

namespace {

// What a host sees: every event, with the selection it reads at that moment.
class Host : public QObject
{
public:
    explicit Host(TabstripP &strip) : m_strip(strip)
    {
        connect(&strip, &TabstripP::change, this, [this] { events << u"change:"_s + current(); });
        connect(&strip, &TabstripP::click, this, [this] { events << u"click:"_s + current(); });
        connect(&strip, &TabstripP::propertyChanged, this,
                [this](const QString &name) { events << u"prop:"_s + name; });
        connect(&strip, &TabstripP::mouseDown, this,
                [this](int button, int shift, float x, float y) {
                    events << u"mouse:%1,%2"_s.arg(button).arg(shift);
                    point = QPointF(x, y);
                });
    }

    QString current() const
    {
        const QVariant v = m_strip.value();
        return v.isValid() ? QString::number(v.toInt()) : u"-"_s;
    }

    QString take()
    {
        const QString all = events.join(u' ');
        events.clear();
        return all;
    }

    QStringList events;
    QPointF point;

private:
    TabstripP &m_strip;
};

int tabsOf(const TabstripP &strip)
{
    return strip.tabs().toInt();
}

// Names every tab the row appended since the last call: the tooltip carries
// its number (for the order check) and the caption reads "c<number>".
// Fresh numbers are consecutive, the last one being tabs - 1.
void labelNewTabs(TabstripP &strip)
{
    QTabBar *row = strip.Tabstrip1();
    int number = tabsOf(strip) - 1;
    for (int i = row->count() - 1; i >= 0 && row->tabToolTip(i).isEmpty(); --i, --number) {
        row->setTabToolTip(i, QString::number(number));
        row->setTabText(i, u"c"_s + QString::number(number));
    }
}

QList<int> rowNumbers(const TabstripP &strip)
{
    QList<int> numbers;
    for (int i = 0; i < strip.Tabstrip1()->count(); ++i)
        numbers << strip.Tabstrip1()->tabToolTip(i).toInt();
    return numbers;
}

int errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const CallError &e) {
        return e.number();
    }
    return 0;
}

// One operation of a table row, in a few words.
int run(TabstripP &strip, const QString &op)
{
    const QStringList w = op.split(u' ');
    const int error = errorOf([&] {
        if (w[0] == u"tabs")
            strip.setTabs(w[1].toInt());
        else if (w[0] == u"add")
            strip.setTabs(tabsOf(strip) + 1);
        else if (w[0] == u"value")
            strip.setValue(w[1].toInt());
        else if (w[0] == u"remove")
            strip.setTabVisible(w[1].toInt(), false);
        else if (w[0] == u"show")
            strip.setTabVisible(w[1].toInt(), true);
        else if (w[0] == u"caption")
            strip.setTabCaption(w[1].toInt(), w[2]);
        else if (w[0] == u"hl")
            strip.setTabHighlited(w[1].toInt(), w[2] == u"1");
        else if (w[0] == u"perrow")
            strip.setTabsPerRow(w[1].toInt());
        else
            qFatal("unknown operation");
    });
    labelNewTabs(strip);
    return error;
}

int positionOf(const TabstripP &strip, int number)
{
    return rowNumbers(strip).indexOf(number);
}

QStringList tabNames(int n, const QString &stem)
{
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << stem + u"%1"_s.arg(i, 2, 10, QChar(u'0'));
    return names;
}

// A control of a fixed size, shown in a window, holding tabs with the given
// captions. The window must outlive the control.
void fill(QWidget &window, TabstripP &strip, const QStringList &captions, QSize size)
{
    strip.setTabs(captions.size());
    for (int i = 0; i < captions.size(); ++i)
        strip.setTabCaption(i, captions[i]);
    strip.setParent(&window);
    strip.setFixedSize(size);
    window.resize(size.width() + 20, size.height() + 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

} // namespace

class TstTabstripP : public QObject
{
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
    void outOfRange_data();
    void outOfRange();
    void variantIndex_data();
    void variantIndex();
    void mousePress_data();
    void mousePress();
    void borderTab_data();
    void borderTab();
    void hostCloseSequence();
    void topOfRange_data();
    void topOfRange();
    void captionShowsAmpersands_data();
    void captionShowsAmpersands();
    void revisionFollowsTheSetOfTabs_data();
    void revisionFollowsTheSetOfTabs();
};

void TstTabstripP::operations_data()
{
    QTest::addColumn<QStringList>("ops");
    QTest::addColumn<QList<int>>("row");
    QTest::addColumn<int>("tabs");
    QTest::addColumn<int>("value"); // -1: nothing selected
    QTest::addColumn<QList<int>>("hidden");
    QTest::addColumn<QString>("events"); // of the last operation
    QTest::addColumn<int>("error");      // of the last operation
    QTest::addColumn<QStringList>("checks");

    using L = QList<int>;
    using S = QStringList;

    QTest::newRow("fresh control") << S{} << L{0} << 1 << 0 << L{} << u""_s << 0 << S{};
    QTest::newRow("tabs let not above tabs")
        << S{u"tabs 1"_s} << L{0} << 1 << 0 << L{} << u"change:0"_s << 0 << S{};
    QTest::newRow("tabs let below tabs")
        << S{u"tabs 3"_s, u"tabs 0"_s} << L{0, 1, 2} << 3 << 0 << L{} << u"change:0"_s << 0
        << S{};
    QTest::newRow("tabs let appends quietly")
        << S{u"tabs 4"_s} << L{0, 1, 2, 3} << 4 << 0 << L{} << u"change:0"_s << 0 << S{};

    // The numbering walk-through: 0..3, remove 1, remove 3, append.
    QTest::newRow("example remove 1")
        << S{u"tabs 4"_s, u"remove 1"_s} << L{0, 2, 3} << 4 << 0 << L{1} << u"change:0"_s << 0
        << S{u"caption 2 c2"_s, u"caption 3 c3"_s};
    QTest::newRow("example remove 3")
        << S{u"tabs 4"_s, u"remove 1"_s, u"remove 3"_s} << L{0, 2} << 3 << 0 << L{1, 3}
        << u"change:0"_s << 0 << S{u"caption 2 c2"_s};
    QTest::newRow("example tabs let 4")
        << S{u"tabs 4"_s, u"remove 1"_s, u"remove 3"_s, u"tabs 4"_s} << L{0, 2, 4} << 5 << 0
        << L{1, 3} << u"change:0"_s << 0 << S{u"caption 4 c4"_s};

    QTest::newRow("highest removed, next append fresh")
        << S{u"tabs 3"_s, u"remove 2"_s, u"add"_s} << L{0, 1, 3} << 4 << 0 << L{2}
        << u"change:0"_s << 0 << S{};
    QTest::newRow("highest removed, tabs drops")
        << S{u"tabs 3"_s, u"remove 2"_s} << L{0, 1} << 2 << 0 << L{2} << u"change:0"_s << 0
        << S{};
    QTest::newRow("every tab removed")
        << S{u"remove 0"_s} << L{} << 0 << -1 << L{0} << u"change:0"_s << 0 << S{};
    QTest::newRow("append after every tab removed")
        << S{u"tabs 3"_s, u"remove 0"_s, u"remove 1"_s, u"remove 2"_s, u"tabs 1"_s} << L{3} << 4
        << 3 << L{0, 1, 2} << u"change:-"_s << 0 << S{};

    QTest::newRow("value let moves selection")
        << S{u"tabs 3"_s, u"value 2"_s} << L{0, 1, 2} << 3 << 2 << L{}
        << u"change:0 change:2 click:2"_s << 0 << S{};
    QTest::newRow("value let after shift")
        << S{u"tabs 4"_s, u"remove 1"_s, u"value 3"_s} << L{0, 2, 3} << 4 << 3 << L{1}
        << u"change:0 change:3 click:3"_s << 0 << S{};
    QTest::newRow("value let to the selected tab")
        << S{u"tabs 3"_s, u"value 1"_s, u"value 1"_s} << L{0, 1, 2} << 3 << 1 << L{}
        << u"change:1"_s << 0 << S{};
    QTest::newRow("value let to a removed number")
        << S{u"tabs 3"_s, u"remove 1"_s, u"value 1"_s} << L{0, 2} << 3 << 0 << L{1}
        << u"change:0"_s << 0 << S{};
    QTest::newRow("value let to a number not given out")
        << S{u"value 5"_s} << L{0} << 1 << 0 << L{} << u"change:0"_s
        << int(CallError::IndexOutOfBounds) << S{};

    QTest::newRow("removing the selected tab selects the next")
        << S{u"tabs 3"_s, u"value 1"_s, u"remove 1"_s} << L{0, 2} << 3 << 2 << L{1}
        << u"change:1"_s << 0 << S{};
    QTest::newRow("removing the selected last tab selects the one before")
        << S{u"tabs 3"_s, u"value 2"_s, u"remove 2"_s} << L{0, 1} << 2 << 1 << L{2}
        << u"change:2"_s << 0 << S{};
    QTest::newRow("remove again only raises change")
        << S{u"tabs 2"_s, u"remove 1"_s, u"remove 1"_s} << L{0} << 1 << 0 << L{1}
        << u"change:0"_s << 0 << S{};
    QTest::newRow("remove a number not given out")
        << S{u"remove 7"_s} << L{0} << 1 << 0 << L{} << u"change:0"_s
        << int(CallError::IndexOutOfBounds) << S{};
    QTest::newRow("tabVisible True does nothing more")
        << S{u"tabs 2"_s, u"remove 1"_s, u"show 1"_s} << L{0} << 1 << 0 << L{1}
        << u"change:0"_s << 0 << S{};

    QTest::newRow("caption let")
        << S{u"tabs 2"_s, u"caption 1 x"_s} << L{0, 1} << 2 << 0 << L{}
        << u"prop:tabCaption change:0"_s << 0 << S{u"caption 1 x"_s, u"caption 0 c0"_s};
    QTest::newRow("caption let of a removed number changes no tab")
        << S{u"tabs 3"_s, u"remove 1"_s, u"caption 1 x"_s} << L{0, 2} << 3 << 0 << L{1}
        << u"prop:tabCaption change:0"_s << 0
        // a removed number reads the tab now at its old position
        << S{u"caption 1 c2"_s, u"caption 2 c2"_s};
    QTest::newRow("caption let of a number not given out")
        << S{u"caption 9 x"_s} << L{0} << 1 << 0 << L{} << u""_s
        << int(CallError::IndexOutOfBounds) << S{u"caption 0 c0"_s};

    QTest::newRow("highlight on")
        << S{u"tabs 2"_s, u"hl 1 1"_s} << L{0, 1} << 2 << 0 << L{} << u"prop:tabHighlited"_s << 0
        << S{u"highlited 1 1"_s, u"highlited 0 0"_s, u"drawn 1 1"_s, u"drawn 0 0"_s};
    QTest::newRow("highlight off again")
        << S{u"tabs 2"_s, u"hl 1 1"_s, u"hl 1 0"_s} << L{0, 1} << 2 << 0 << L{}
        << u"prop:tabHighlited"_s << 0 << S{u"highlited 1 0"_s, u"drawn 1 0"_s};
    QTest::newRow("highlight of a removed number changes no tab")
        << S{u"tabs 3"_s, u"remove 1"_s, u"hl 1 1"_s} << L{0, 2} << 3 << 0 << L{1}
        << u"prop:tabHighlited"_s << 0 << S{u"highlited 2 0"_s, u"drawn 2 0"_s};

    QTest::newRow("TabsPerRow let is ignored")
        << S{u"tabs 3"_s, u"value 1"_s, u"perrow 5"_s} << L{0, 1, 2} << 3 << 1 << L{} << u""_s
        << 0 << S{};
}

void TstTabstripP::operations()
{
    QFETCH(QStringList, ops);
    QFETCH(QList<int>, row);
    QFETCH(int, tabs);
    QFETCH(int, value);
    QFETCH(QList<int>, hidden);
    QFETCH(QString, events);
    QFETCH(int, error);
    QFETCH(QStringList, checks);

    TabstripP strip;
    Host host(strip);
    labelNewTabs(strip);
    for (qsizetype i = 0; i < ops.size(); ++i) {
        host.events.clear();
        const int got = run(strip, ops[i]);
        if (i + 1 < ops.size())
            QCOMPARE(got, 0);
        else
            QCOMPARE(got, error);
    }
    QCOMPARE(host.take(), events);

    QCOMPARE(rowNumbers(strip), row);
    for (qsizetype i = 0; i < row.size(); ++i)
        QCOMPARE(strip.tabCaption(row[i]), strip.Tabstrip1()->tabText(int(i)));
    QCOMPARE(tabsOf(strip), tabs);
    QCOMPARE(strip.TabsPerRow(), tabs);
    QCOMPARE(strip.value().isValid() ? strip.value().toInt() : -1, value);
    for (int k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 500, 1000})
        QCOMPARE(strip.tabVisible(k), !hidden.contains(k));

    for (const QString &check : checks) {
        const QStringList w = check.split(u' ');
        const int k = w[1].toInt();
        if (w[0] == u"caption")
            QCOMPARE(strip.tabCaption(k), w[2]);
        else if (w[0] == u"highlited")
            QCOMPARE(strip.tabHighlited(k), w[2] == u"1");
        else if (w[0] == u"drawn")
            QCOMPARE(strip.Tabstrip1()->tabTextColor(positionOf(strip, k)).isValid(),
                     w[2] == u"1");
        else
            QFAIL("unknown check");
    }
}

void TstTabstripP::outOfRange_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QVariant>("index");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("events");

    const QList<std::pair<QString, QString>> members = {
        {u"value let"_s, u"change:0"_s},     {u"tabCaption get"_s, u""_s},
        {u"tabCaption let"_s, u""_s},        {u"tabVisible get"_s, u""_s},
        {u"tabVisible let"_s, u"change:0"_s}, {u"tabHighlited get"_s, u""_s},
        {u"tabHighlited let"_s, u""_s},      {u"borderTab"_s, u""_s},
    };
    for (const auto &[member, events] : members) {
        for (int index : {1001, -1}) {
            QTest::addRow("%s %d", qPrintable(member), index)
                << member << QVariant(index) << int(CallError::SubscriptOutOfRange) << events;
        }
    }
    QTest::newRow("value let no number")
        << u"value let"_s << QVariant(u"abc"_s) << int(CallError::TypeMismatch) << u"change:0"_s;
    QTest::newRow("tabCaption let no number")
        << u"tabCaption let"_s << QVariant(u"abc"_s) << int(CallError::TypeMismatch) << u""_s;
}

void TstTabstripP::outOfRange()
{
    QFETCH(QString, member);
    QFETCH(QVariant, index);
    QFETCH(int, error);
    QFETCH(QString, events);

    TabstripP strip;
    strip.setTabs(3);
    Host host(strip);
    const int got = errorOf([&] {
        if (member == u"value let")
            strip.setValue(index);
        else if (member == u"tabCaption get")
            strip.tabCaption(index);
        else if (member == u"tabCaption let")
            strip.setTabCaption(index, u"x"_s);
        else if (member == u"tabVisible get")
            strip.tabVisible(index);
        else if (member == u"tabVisible let")
            strip.setTabVisible(index, false);
        else if (member == u"tabHighlited get")
            strip.tabHighlited(index);
        else if (member == u"tabHighlited let")
            strip.setTabHighlited(index, true);
        else if (member == u"borderTab") {
            int i = index.toInt();
            strip.borderTab(i);
        }
    });
    QCOMPARE(got, error);
    QCOMPARE(host.take(), events);
    QCOMPARE(tabsOf(strip), 3);
    QCOMPARE(strip.Tabstrip1()->count(), 3);
    QCOMPARE(strip.value().toInt(), 0);
}

void TstTabstripP::variantIndex_data()
{
    QTest::addColumn<QVariant>("index");
    QTest::addColumn<int>("selected");

    QTest::newRow("empty is 0") << QVariant() << 0;
    QTest::newRow("text number") << QVariant(u"3"_s) << 3;
    QTest::newRow("half rounds to even, up") << QVariant(1.5) << 2;
    QTest::newRow("half rounds to even, down") << QVariant(2.5) << 2;
    QTest::newRow("16-bit value") << QVariant::fromValue<qint16>(1) << 1;
}

void TstTabstripP::variantIndex()
{
    QFETCH(QVariant, index);
    QFETCH(int, selected);

    TabstripP strip;
    strip.setTabs(4);
    strip.setValue(selected == 3 ? 1 : 3); // start away from the target
    strip.setValue(index);
    QCOMPARE(strip.value().toInt(), selected);
}

void TstTabstripP::mousePress_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("target"); // row index pressed; -1: right of the last tab
    QTest::addColumn<QString>("events");
    QTest::addColumn<int>("value");

    const Qt::KeyboardModifiers none;
    QTest::newRow("right on another tab")
        << Qt::RightButton << none << 2 << u"change:0 change:2 click:2 mouse:2,0"_s << 2;
    QTest::newRow("right on the selected tab")
        << Qt::RightButton << none << 0 << u"change:0 mouse:2,0"_s << 0;
    QTest::newRow("right past the last tab")
        << Qt::RightButton << none << -1 << u"change:0 change:2 click:2 mouse:2,0"_s << 2;
    QTest::newRow("right with shift and ctrl")
        << Qt::RightButton << (Qt::ShiftModifier | Qt::ControlModifier) << 1
        << u"change:0 change:1 click:1 mouse:2,3"_s << 1;
    QTest::newRow("left on another tab")
        << Qt::LeftButton << none << 1 << u"change:1 click:1 mouse:1,0"_s << 1;
    QTest::newRow("left with alt on the selected tab")
        << Qt::LeftButton << Qt::KeyboardModifiers(Qt::AltModifier) << 0 << u"mouse:1,4"_s << 0;
    QTest::newRow("left past the last tab") << Qt::LeftButton << none << -1 << u"mouse:1,0"_s << 0;
    QTest::newRow("middle on another tab")
        << Qt::MiddleButton << none << 2 << u"mouse:4,0"_s << 0;
}

void TstTabstripP::mousePress()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, target);
    QFETCH(QString, events);
    QFETCH(int, value);

    QWidget window;
    TabstripP strip;
    fill(window, strip, {u"one"_s, u"two"_s, u"three"_s}, QSize(500, 40));
    QTabBar *row = strip.Tabstrip1();
    QCOMPARE(row->objectName(), u"Tabstrip1"_s);
    QCOMPARE(row->geometry(), strip.rect());
    QVERIFY(row->tabRect(2).right() + 20 < row->width());
    const QRect last = row->tabRect(2);
    const QPoint at = target >= 0 ? row->tabRect(target).center()
                                  : QPoint(last.right() + 10, last.center().y());

    Host host(strip);
    QTest::mousePress(row, button, modifiers, at);
    QTest::mouseRelease(row, button, modifiers, at);
    QCOMPARE(host.take(), events);
    QCOMPARE(strip.value().toInt(), value);
    QCOMPARE(host.point, QPointF(row->mapTo(&strip, at)));
}

void TstTabstripP::borderTab_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("removed");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("known"); // -2: follows from the tab widths only

    QTest::newRow("first tab, narrow row") << 300 << QList<int>{} << 0 << -2;
    QTest::newRow("middle tab, narrow row") << 300 << QList<int>{} << 10 << -2;
    QTest::newRow("after removals") << 300 << QList<int>{3, 4, 5} << 2 << -2;
    QTest::newRow("last tab returns itself") << 300 << QList<int>{} << 19 << 19;
    QTest::newRow("wide row reaches the last tab") << 3000 << QList<int>{} << 0 << 19;
    QTest::newRow("last tab after removals") << 300 << QList<int>{19} << 18 << 18;
    QTest::newRow("no width at all") << 0 << QList<int>{} << 4 << -1;
}

void TstTabstripP::borderTab()
{
    QFETCH(int, width);
    QFETCH(QList<int>, removed);
    QFETCH(int, index);
    QFETCH(int, known);

    QWidget window;
    TabstripP strip;
    fill(window, strip, tabNames(20, u"tab "_s), QSize(width, 40));
    for (int k : removed)
        strip.setTabVisible(k, false);
    QTabBar *row = strip.Tabstrip1();
    QCOMPARE(row->width(), width);

    // Expected: the last tab whose left edge lies less than the row's width
    // to the right of the left edge of the tab asked about.
    const auto positionOfCaption = [&](int number) {
        for (int i = 0; i < row->count(); ++i) {
            if (row->tabText(i) == tabNames(20, u"tab "_s)[number])
                return i;
        }
        return -1;
    };
    const int start = positionOfCaption(index);
    QVERIFY(start >= 0);
    int expected = -1;
    for (int i = start; i < row->count(); ++i) {
        if (row->tabRect(i).left() - row->tabRect(start).left() >= width)
            break;
        expected = row->tabText(i).mid(4).toInt();
    }
    if (known != -2)
        QCOMPARE(expected, known);
    else // a meaningful row: some but not all following tabs fit
        QVERIFY(expected > index && expected < 19);

    int arg = index;
    QCOMPARE(strip.borderTab(arg).toInt(), expected);
    QCOMPARE(arg, index);
}

void TstTabstripP::hostCloseSequence()
{
    QWidget window;
    TabstripP strip;
    fill(window, strip, tabNames(12, u"a long caption "_s), QSize(360, 40));
    QTabBar *row = strip.Tabstrip1();
    strip.setValue(4);

    // The host closes the current tab, then selects borderTab of the next
    // open tab followed by that tab, reading value in every handler.
    Host host(strip);
    strip.setTabVisible(4, false);
    QCOMPARE(host.take(), u"change:4"_s);
    const int next = 5;
    int arg = next;
    const int border = strip.borderTab(arg).toInt();
    QVERIFY(border > next);
    strip.setValue(border);
    QCOMPARE(host.take(), u"change:5 change:%1 click:%1"_s.arg(border));
    strip.setValue(next);
    QCOMPARE(host.take(), u"change:%1 change:5 click:5"_s.arg(border));

    // Tab 5 is now at position 4, in full view.
    QCOMPARE(row->currentIndex(), 4);
    QVERIFY(row->tabRect(4).left() >= 0);
    QVERIFY(row->tabRect(4).right() <= row->width());
}

void TstTabstripP::topOfRange_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<int>>("removed");
    QTest::addColumn<int>("fillTo");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("tabs");

    // Without removals the maps hold 1000 positions, numbers 0..999.
    QTest::newRow("no removals") << 1 << QList<int>{} << 1001
                                 << int(CallError::SubscriptOutOfRange) << 1000 << 1000;
    // The host removes tab 0 first; number 1000 must still be given out.
    QTest::newRow("tab 0 removed") << 1 << QList<int>{0} << 1000 << 0 << 1000 << 1001;
    QTest::newRow("removals in the middle")
        << 10 << QList<int>{3, 5, 7} << 1001 << 0 << 998 << 1001;
}

void TstTabstripP::topOfRange()
{
    QFETCH(int, start);
    QFETCH(QList<int>, removed);
    QFETCH(int, fillTo);
    QFETCH(int, error);
    QFETCH(int, count);
    QFETCH(int, tabs);

    TabstripP strip;
    strip.setTabs(start);
    for (int k : removed)
        strip.setTabVisible(k, false);
    QCOMPARE(errorOf([&] { strip.setTabs(fillTo); }), error);
    QTabBar *row = strip.Tabstrip1();
    QCOMPARE(row->count(), count);
    QCOMPARE(tabsOf(strip), tabs);

    const int last = tabs - 1;
    strip.setTabCaption(last, u"last"_s);
    QCOMPARE(row->tabText(count - 1), u"last"_s);

    // One more append: fails, and everything stays as it was.
    Host host(strip);
    const QString selected = host.current();
    QCOMPARE(errorOf([&] { strip.setTabs(tabsOf(strip) + 1); }),
             int(CallError::SubscriptOutOfRange));
    QCOMPARE(host.take(), u"change:"_s + selected);
    QCOMPARE(host.current(), selected);
    QCOMPARE(row->count(), count);
    QCOMPARE(tabsOf(strip), tabs);
    QCOMPARE(strip.tabCaption(last), u"last"_s);

    // The maps still serve: select the last number, then remove a middle one.
    strip.setValue(last);
    QCOMPARE(row->currentIndex(), count - 1);
    QCOMPARE(strip.value().toInt(), last);
    strip.setTabVisible(500, false);
    QCOMPARE(row->count(), count - 1);
    QCOMPARE(strip.tabCaption(last), u"last"_s);
    QCOMPARE(strip.value().toInt(), last);
    QCOMPARE(tabsOf(strip), tabs);
}

void TstTabstripP::captionShowsAmpersands_data()
{
    QTest::addColumn<QString>("caption");
    QTest::newRow("one") << u"Tom & Jerry"_s;
    QTest::newRow("before a letter") << u"R&D news"_s;
    QTest::newRow("doubled") << u"a && b"_s;
    QTest::newRow("last") << u"Q&"_s;
}

// A caption reads back as it was set and is drawn with every "&" in it, as
// a bar draws a text that marks no mnemonic.
void TstTabstripP::captionShowsAmpersands()
{
    QFETCH(QString, caption);
    const QSize size(300, 30);
    QWidget window;
    TabstripP strip;
    fill(window, strip, {u"first"_s, caption}, size);
    QCOMPARE(strip.tabCaption(1), caption);

    QWidget plainWindow;
    QTabBar plain(&plainWindow);
    plain.setDrawBase(strip.Tabstrip1()->drawBase());
    plain.setExpanding(strip.Tabstrip1()->expanding());
    plain.setElideMode(strip.Tabstrip1()->elideMode());
    plain.addTab(u"first"_s);
    plain.addTab(QString(caption).replace(u'&', u"&&"_s));
    plain.setFixedSize(strip.Tabstrip1()->size());
    plainWindow.resize(size.width() + 20, size.height() + 20);
    plainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plainWindow));
    QCOMPARE(strip.Tabstrip1()->tabRect(1).size(), plain.tabRect(1).size());
    QCOMPARE(strip.Tabstrip1()->grab().toImage(), plain.grab().toImage());
}

void TstTabstripP::revisionFollowsTheSetOfTabs_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("changes");

    const QStringList three{u"tabs 3"_s};
    QTest::newRow("append") << three << u"add"_s << true;
    QTest::newRow("several appended") << three << u"tabs 6"_s << true;
    QTest::newRow("remove") << three << u"remove 1"_s << true;
    QTest::newRow("remove the last") << three << u"remove 2"_s << true;
    QTest::newRow("remove a removed number") << QStringList{u"tabs 3"_s, u"remove 1"_s}
                                             << u"remove 1"_s << false;
    QTest::newRow("remove a number not given out") << three << u"remove 9"_s << false;
    QTest::newRow("tabs let not above tabs") << three << u"tabs 2"_s << false;
    QTest::newRow("tabVisible True") << three << u"show 1"_s << false;
    QTest::newRow("caption") << three << u"caption 1 x"_s << false;
    QTest::newRow("selection") << three << u"value 2"_s << false;
    QTest::newRow("highlight") << three << u"hl 1 1"_s << false;
}

void TstTabstripP::revisionFollowsTheSetOfTabs()
{
    QFETCH(QStringList, before);
    QFETCH(QString, op);
    QFETCH(bool, changes);
    TabstripP strip;
    for (const QString &o : std::as_const(before))
        run(strip, o);
    const quint32 revision = strip.revision();
    run(strip, op);
    QCOMPARE(strip.revision() != revision, changes);
}

QTEST_MAIN(TstTabstripP)
#include "tst_tabstripp.moc"
