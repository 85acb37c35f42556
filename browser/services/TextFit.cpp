#include "TextFit.h"

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
        const QSize hint = label->sizeHint();
        return label->size().expandedTo(hint);
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
    return QSize(width, std::max(label->height(), height));
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
    return button->size().expandedTo(QSize(needWidth, needHeight));
}

QSize checkNeed(const QAbstractButton *button)
{
    return button->size().expandedTo(button->sizeHint());
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
    return box->size().expandedTo(QSize(need, box->height()));
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
        for (QWidget *other : children) {
            if (other == w)
                continue;
            const QRect g = other->geometry();
            if (dh > 0 && g.top() >= before.bottom() - 1)
                other->move(g.x(), g.y() + dh);
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

void fitTexts(QWidget *window)
{
    if (window)
        fitContainer(window);
}

int fitRow(const QList<QWidget *> &row)
{
    int shift = 0;
    for (QWidget *w : row) {
        if (!w)
            continue;
        if (shift)
            w->move(w->x() + shift, w->y());
        const QSize need = textNeed(w);
        if (need.width() > w->width()) {
            shift += need.width() - w->width();
            w->resize(need.width(), w->height());
        }
    }
    return shift;
}

} // namespace velmora::services
