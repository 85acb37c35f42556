#include "TextFit.h"

#include "TitleRoom.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QWidget>

#include <algorithm>

namespace velmora::services {

namespace {

QSize rawNeed(const QWidget *w);

QString shown(QString text)
{
    // A single '&' marks the shortcut letter and takes no room.
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

QSize labelNeed(const QLabel *label)
{
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
        return label->size();
    if (!label->wordWrap()) {
        return label->sizeHint();
    }
    // The longest word must fit on a line of its own.
    const QFontMetrics fm = label->fontMetrics();
    const QMargins m = label->contentsMargins();
    const int extra = m.left() + m.right() + 2 * label->margin() + label->frameWidth() * 2;
    int width = label->width();
    for (const QString &word : label->text().split(QRegularExpression(QStringLiteral("\\s+")),
                                                   Qt::SkipEmptyParts))
        width = std::max(width, fm.horizontalAdvance(word) + extra + 1);
    const int height = label->heightForWidth(width);
    return QSize(width, height);
}

QSize pushButtonNeed(const QPushButton *button)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    opt.icon = button->icon();
    opt.iconSize = button->iconSize();
    if (button->isFlat())
        opt.features |= QStyleOptionButton::Flat;
    const QRect contents =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    const QFontMetrics fm = button->fontMetrics();
    int text = opt.text.isEmpty() ? 0 : fm.horizontalAdvance(shown(opt.text));
    if (!opt.icon.isNull())
        text += opt.iconSize.width() + (opt.text.isEmpty() ? 0 : 4);
    // Some room either side so that the text does not touch the frame.
    const int needWidth = text + (button->width() - contents.width()) + (opt.text.isEmpty() ? 0 : 6);
    const int needHeight = fm.height() + (button->height() - contents.height()) + 2;
    return QSize(needWidth, needHeight);
}

QSize checkNeed(const QAbstractButton *button)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    const bool radio = qobject_cast<const QRadioButton *>(button) != nullptr;
    const QRect contents = button->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, button);
    const QFontMetrics fm = button->fontMetrics();
    const int width = fm.horizontalAdvance(shown(opt.text)) + (button->width() - contents.width()) + 2;
    const int height = fm.height() + (button->height() - contents.height());
    return QSize(width, height);
}

QSize groupBoxNeed(const QGroupBox *box)
{
    if (box->title().isEmpty())
        return box->size();
    const QFontMetrics fm = box->fontMetrics();
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &opt,
                                                     QStyle::SC_GroupBoxLabel, box);
    const int need = fm.horizontalAdvance(shown(box->title())) + 2 * label.x() + 8;
    return QSize(need, box->height());
}

// Children placed by hand (no layout manages them), in reading order.
QList<QWidget *> placedChildren(QWidget *container)
{
    QList<QWidget *> result;
    if (container->layout())
        return result;
    for (QObject *child : container->children()) {
        auto *w = qobject_cast<QWidget *>(child);
        if (w && !w->isWindow() && !w->isHidden())
            result.append(w);
    }
    std::stable_sort(result.begin(), result.end(), [](const QWidget *a, const QWidget *b) {
        return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x();
    });
    return result;
}

bool captionedControl(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return !label->text().isEmpty();
    if (const auto *button = qobject_cast<const QAbstractButton *>(w))
        return !button->text().isEmpty();
    return false;
}

// A word-wrapped label keeps its width: narrowing it would need more lines.
bool captionedWide(const QWidget *w)
{
    const auto *label = qobject_cast<const QLabel *>(w);
    return label && label->wordWrap();
}

bool overlapsVertically(const QRect &a, const QRect &b)
{
    return a.top() <= b.bottom() && b.top() <= a.bottom();
}

// Fits one container's children; returns whether anything moved or grew.
bool fitContainer(QWidget *container)
{
    const QList<QWidget *> children = placedChildren(container);
    bool changed = false;
    for (QWidget *w : children) {
        const QRect before = w->geometry();
        if (!placedChildren(w).isEmpty() && !qobject_cast<QAbstractButton *>(w))
            changed = fitContainer(w) || changed;
        QSize need = textNeed(w).expandedTo(w->size());
        const int dw = need.width() - before.width();
        const int dh = need.height() - before.height();
        if (dw <= 0 && dh <= 0)
            continue;
        changed = true;
        w->resize(need);
        for (QWidget *other : children) {
            if (other == w)
                continue;
            const QRect g = other->geometry();
            if (dw > 0 && g.left() >= before.right() - 1 && overlapsVertically(g, before))
                other->move(g.x() + dw, g.y());
        }
        if (dh <= 0)
            continue;
        // What lies below moves down, and so does what the taller control
        // would now cover, all by one amount that clears it.
        const QRect grown(before.topLeft(), need);
        // What the grown text would touch keeps a small gap below it, so
        // that two texts do not read as one.
        const int gap = std::max(2, w->fontMetrics().height() / 4);
        QList<QWidget *> moving;
        int shift = dh;
        for (QWidget *other : children) {
            const QRect g = other->geometry();
            if (other == w || g.top() <= before.top())
                continue;
            if (g.top() >= before.bottom() - 1 || grown.intersects(g)) {
                moving.append(other);
                if (grown.intersects(g))
                    shift = std::max(shift, grown.bottom() + 1 + gap - g.top());
            }
        }
        for (QWidget *other : std::as_const(moving))
            other->move(other->x(), other->y() + shift);
    }
    // Two captioned controls of one row that overlap: the left one gives up
    // the room its text does not need, or the right one moves on.
    for (QWidget *a : children) {
        for (QWidget *b : children) {
            if (a == b || !captionedControl(a))
                continue;
            const QRect ga = a->geometry();
            const QRect gb = b->geometry();
            if (!ga.intersects(gb) || gb.left() <= ga.left() || gb.top() < ga.top() - 2
                || !captionedControl(b))
                continue;
            const int room = gb.left() - ga.left() - 2;
            if (rawNeed(a).width() <= room && !captionedWide(a)) {
                a->resize(room, a->height());
            } else {
                const int shift = ga.right() + 3 - gb.left();
                for (QWidget *other : children) {
                    const QRect g = other->geometry();
                    if (g.left() >= gb.left() && overlapsVertically(g, gb))
                        other->move(g.x() + shift, g.y());
                }
            }
            changed = true;
        }
    }
    if (!changed)
        return false;

    // The container keeps its design margins around what it now holds.
    int margin = 12;
    int right = 0;
    int bottom = 0;
    for (QWidget *w : children) {
        margin = std::min(margin, std::max(4, w->x()));
        right = std::max(right, w->geometry().right() + 1);
        bottom = std::max(bottom, w->geometry().bottom() + 1);
    }
    const QSize need = container->size().expandedTo(QSize(right + margin, bottom + margin));
    if (need != container->size()) {
        if (container->isWindow()) {
            if (container->minimumSize() == container->maximumSize())
                container->setFixedSize(need);
            else
                container->setMinimumSize(container->minimumSize().expandedTo(need));
        }
        container->resize(need);
    }
    return true;
}

} // namespace

QSize textNeed(const QWidget *w)
{
    return w->size().expandedTo(rawNeed(w));
}

namespace {

QSize rawNeed(const QWidget *w)
{
    if (const auto *label = qobject_cast<const QLabel *>(w))
        return labelNeed(label);
    if (const auto *button = qobject_cast<const QPushButton *>(w))
        return pushButtonNeed(button);
    if (qobject_cast<const QRadioButton *>(w) || qobject_cast<const QCheckBox *>(w))
        return checkNeed(static_cast<const QAbstractButton *>(w));
    if (const auto *box = qobject_cast<const QGroupBox *>(w))
        return groupBoxNeed(box);
    return w->size();
}

} // namespace

void fitTexts(QWidget *window)
{
    if (!window)
        return;
    fitContainer(window);
    fitTitle(window);
}

void fitTitle(QWidget *window)
{
    // The title bar shows the whole title too.
    if (window->isWindow() && !(window->windowFlags() & Qt::FramelessWindowHint)
        && !window->windowTitle().isEmpty()) {
        const int room = platform::titleRoom(window->windowTitle());
        if (room > window->width()) {
            const QSize need(room, window->height());
            if (window->minimumSize() == window->maximumSize())
                window->setFixedSize(need);
            else
                window->setMinimumWidth(std::max(window->minimumWidth(), room));
            window->resize(need);
        }
    }
}

int fitRow(const QList<QWidget *> &row)
{
    QList<QWidget *> buttons;
    for (QWidget *w : row) {
        if (w)
            buttons.append(w);
    }
    if (buttons.isEmpty())
        return 0;
    QList<int> widths;
    QList<int> needs;
    int deficit = 0;
    int slack = 0;
    for (QWidget *w : std::as_const(buttons)) {
        widths.append(w->width());
        needs.append(rawNeed(w).width());
        deficit += std::max(0, needs.last() - widths.last());
        slack += std::max(0, widths.last() - needs.last());
    }
    if (deficit == 0)
        return 0;
    // Buttons with room to spare give it to those that lack it, so the row
    // keeps its design extent as long as it can.
    const int take = std::min(deficit, slack);
    int given = 0;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const int spare = std::max(0, widths[i] - needs[i]);
        if (spare > 0 && slack > 0) {
            const int cut = std::min(spare, int((qint64(take) * spare + slack - 1) / slack));
            const int cutNow = std::min(cut, take - given);
            widths[i] -= cutNow;
            given += cutNow;
        }
        widths[i] = std::max(widths[i], needs[i]);
    }
    const int oldRight = buttons.last()->geometry().right();
    int x = buttons.first()->x();
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QWidget *w = buttons[i];
        const int gap = i + 1 < buttons.size()
                            ? buttons[i + 1]->x() - (w->geometry().right() + 1)
                            : 0;
        w->setGeometry(x, w->y(), widths[i], w->height());
        x += widths[i] + gap;
    }
    return std::max(0, buttons.last()->geometry().right() - oldRight);
}

} // namespace velmora::services
