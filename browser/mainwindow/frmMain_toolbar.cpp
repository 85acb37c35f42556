// The toolbar: ten buttons, three with a drop-down list, dispatched by key.

#include "frmMain.h"

#include "Language.h"
#include "Program.h"

#include "Steps.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <functional>

namespace velmora::mainwindow {

using services::step;

namespace {

struct ButtonDef
{
    const char *key;
    const char *caption; // UTF-8
    const char *toolTip;
    const char *description; // null: the tooltip
};

const ButtonDef buttonDefs[] = {
    {"new", "Новый", "Открыть новую вкладку", nullptr},
    {"back", "Назад", "Перейти на предыдущую страницу", nullptr},
    {"forward", "Вперёд", "Перейти на следующую страницу", nullptr},
    {"stop", "Стоп", "Остановить загрузку данной вкладки", nullptr},
    {"refresh", "Обновить", "Обновить содержимое текущей вкладки", nullptr},
    {"home", "Домой", "Перейти на домашнюю страницу", nullptr},
    {"offline", "Без подкл.",
     "Включить режим автономного просмотра содержимого для данной вкладки", nullptr},
    {"open", "Открыть", "Открыть документ", nullptr},
    {"save", "Сохранить", "Сохранение текущего документа", nullptr},
    {"catch", "Фильтр окон", "Блок. открытие всплывающих  (часто рекламных) окон",
     "Блокирует открытие всплывающих окон."},
};

struct DropDownDef
{
    int button;
    const char *key;
    const char *text; // UTF-8
    const char16_t *english;
};

const DropDownDef dropDownDefs[] = {
    {4, "Stop", "Стоп", u"Stop"},
    {4, "mnuStopAll", "Остановиь все", u"Stop all"},
    {8, "Open", "Открыть документ", u"Open document"},
    {8, "OpenTabs", "Загрузить вкладки", u"Load tabs"},
    {8, "OpenTabsSelective", "Загрузить вкладки (выборочно)", u"Load tabs (selectively)"},
    {8, "OpenAutosave", "Загрузить автосохранение", u"Load autosave"},
    {8, "OpenAutosaveSelective", "Загрузить автосохранение (выборочно)",
     u"Load autosave (selectively)"},
    {9, "Save", "Сохранить эту страницу", u"Save this page"},
    {9, "SaveTabs", "Сохранить вкладки", u"Save tabs"},
};

constexpr int ImageSize = 24;

// Normal images are muted; the highlighted ones show the full colour.
QColor tone(const QColor &c, bool hot)
{
    if (hot)
        return c;
    const int g = qGray(c.rgb());
    return QColor((c.red() + 2 * g) / 3, (c.green() + 2 * g) / 3, (c.blue() + 2 * g) / 3);
}

void drawArrow(QPainter &p, bool left, bool hot)
{
    QPainterPath path;
    path.moveTo(3, 12);
    path.lineTo(11, 4);
    path.lineTo(11, 8.5);
    path.lineTo(21, 8.5);
    path.lineTo(21, 15.5);
    path.lineTo(11, 15.5);
    path.lineTo(11, 20);
    path.closeSubpath();
    if (!left)
        path = QTransform(-1, 0, 0, 1, 24, 0).map(path);
    p.setPen(QPen(tone(QColor(0x1b, 0x5e, 0x20), hot), 1));
    p.setBrush(tone(QColor(0x43, 0xa0, 0x47), hot));
    p.drawPath(path);
}

void drawImage(QPainter &p, int k, bool hot)
{
    const QColor outline = tone(QColor(0x37, 0x47, 0x4f), hot);
    switch (k) {
    case 1: { // a page with a plus
        QPainterPath page;
        page.moveTo(5, 2);
        page.lineTo(14, 2);
        page.lineTo(19, 7);
        page.lineTo(19, 22);
        page.lineTo(5, 22);
        page.closeSubpath();
        p.setPen(QPen(outline, 1));
        p.setBrush(Qt::white);
        p.drawPath(page);
        p.drawLine(QPointF(14, 2), QPointF(14, 7));
        p.drawLine(QPointF(14, 7), QPointF(19, 7));
        p.setPen(QPen(tone(QColor(0x2e, 0x7d, 0x32), hot), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 11), QPointF(12, 19));
        p.drawLine(QPointF(8, 15), QPointF(16, 15));
        break;
    }
    case 2:
        drawArrow(p, true, hot);
        break;
    case 3:
        drawArrow(p, false, hot);
        break;
    case 4: { // a red octagon with a cross
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const double a = (22.5 + 45 * i) * M_PI / 180;
            octagon << QPointF(12 + 10 * std::cos(a), 12 + 10 * std::sin(a));
        }
        p.setPen(QPen(tone(QColor(0x8e, 0x1b, 0x1b), hot), 1));
        p.setBrush(tone(QColor(0xe5, 0x39, 0x35), hot));
        p.drawPolygon(octagon);
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
        p.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
        break;
    }
    case 5: { // a circling arrow
        const QColor blue = tone(QColor(0x1e, 0x88, 0xe5), hot);
        p.setPen(QPen(blue, 3, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.5, 4.5, 15, 15), 100 * 16, 290 * 16);
        QPolygonF head;
        head << QPointF(11, 1) << QPointF(17, 5) << QPointF(11, 9);
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawPolygon(head);
        break;
    }
    case 6: { // a house
        QPolygonF roof;
        roof << QPointF(2, 12) << QPointF(12, 3) << QPointF(22, 12);
        p.setPen(QPen(outline, 1));
        p.setBrush(tone(QColor(0xff, 0xe0, 0xb2), hot));
        p.drawRect(QRectF(5, 11, 14, 10));
        p.setBrush(tone(QColor(0xd8, 0x43, 0x15), hot));
        p.drawPolygon(roof);
        p.setBrush(tone(QColor(0x6d, 0x4c, 0x41), hot));
        p.drawRect(QRectF(10, 14, 4, 7));
        break;
    }
    case 7: { // a globe, struck through
        const QColor globe = tone(QColor(0x03, 0x9b, 0xe5), hot);
        p.setPen(QPen(tone(QColor(0x01, 0x57, 0x9b), hot), 1));
        p.setBrush(globe);
        p.drawEllipse(QRectF(3, 3, 18, 18));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(8, 3, 8, 18));
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        p.setPen(QPen(tone(QColor(0xd3, 0x2f, 0x2f), hot), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        break;
    }
    case 8: { // an open folder
        p.setPen(QPen(tone(QColor(0x8d, 0x6e, 0x00), hot), 1));
        p.setBrush(tone(QColor(0xf9, 0xa8, 0x25), hot));
        QPainterPath back;
        back.moveTo(2, 5);
        back.lineTo(9, 5);
        back.lineTo(11, 7);
        back.lineTo(20, 7);
        back.lineTo(20, 20);
        back.lineTo(2, 20);
        back.closeSubpath();
        p.drawPath(back);
        QPolygonF front;
        front << QPointF(2, 20) << QPointF(6, 11) << QPointF(23, 11) << QPointF(19, 20);
        p.setBrush(tone(QColor(0xff, 0xd5, 0x4f), hot));
        p.drawPolygon(front);
        break;
    }
    case 9: { // a diskette
        p.setPen(QPen(tone(QColor(0x0d, 0x47, 0xa1), hot), 1));
        p.setBrush(tone(QColor(0x19, 0x76, 0xd2), hot));
        QPainterPath body;
        body.moveTo(3, 3);
        body.lineTo(18, 3);
        body.lineTo(21, 6);
        body.lineTo(21, 21);
        body.lineTo(3, 21);
        body.closeSubpath();
        p.drawPath(body);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 12, 12, 9));
        p.setBrush(tone(QColor(0xcf, 0xd8, 0xdc), hot));
        p.drawRect(QRectF(7, 3, 9, 6));
        p.setBrush(tone(QColor(0x0d, 0x47, 0xa1), hot));
        p.drawRect(QRectF(12.5, 4, 2, 4));
        break;
    }
    case 10: { // a small window, barred
        p.setPen(QPen(outline, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 4, 16, 13));
        p.setBrush(tone(QColor(0x3f, 0x51, 0xb5), hot));
        p.drawRect(QRectF(2, 4, 16, 3));
        const QColor red = tone(QColor(0xd3, 0x2f, 0x2f), hot);
        p.setPen(QPen(red, 2.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(11, 11, 11, 11));
        p.drawLine(QPointF(13, 20), QPointF(20, 13));
        break;
    }
    default:
        break;
    }
}

QIcon buttonIcon(int k)
{
    QIcon icon;
    for (const bool hot : {false, true}) {
        QPixmap pixmap(ImageSize, ImageSize);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        drawImage(p, k, hot);
        p.end();
        icon.addPixmap(pixmap, hot ? QIcon::Active : QIcon::Normal);
    }
    return icon;
}

// A toolbar along the top edge spans the client area, whatever its design width.
// Like the rest of the window it stays put once the unload began.
class ToolbarSpan : public QObject
{
public:
    ToolbarSpan(QToolBar *toolbar, QWidget *area, const bool &unloading,
                std::function<void()> refit)
        : QObject(toolbar), m_toolbar(toolbar), m_unloading(unloading), m_refit(std::move(refit))
    {
        area->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && !m_unloading) {
            const int width = static_cast<QWidget *>(watched)->width();
            m_toolbar->resize(std::max(width, m_toolbar->minimumWidth()), m_toolbar->height());
            m_refit();
        }
        return false;
    }

private:
    QToolBar *m_toolbar;
    const bool &m_unloading;
    std::function<void()> m_refit;
};

} // namespace

void frmMain::connectToolbar()
{
    createToolbarButtons();
    new ToolbarSpan(Toolbar1, form, unloading, [this] { equalizeToolbarButtons(); });
}

void frmMain::createToolbarButtons()
{
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize(20, 20));
    for (int k = 1; k <= 10; ++k) {
        const ButtonDef &def = buttonDefs[k - 1];
        const QString toolTip = QString::fromUtf8(def.toolTip);
        QAction *button = Toolbar1->addAction(buttonIcon(k), QString::fromUtf8(def.caption));
        button->setObjectName(QStringLiteral("Toolbar1_Button") + QString::number(k));
        button->setToolTip(toolTip);
        button->setProperty("Key", QString::fromLatin1(def.key));
        button->setProperty("Description",
                            def.description ? QString::fromUtf8(def.description) : toolTip);
        connect(button, &QAction::triggered, this,
                [this, button] { Toolbar1_ButtonClick(button->property("Key").toString()); });
        connect(button, &QAction::changed, this, &frmMain::equalizeToolbarButtons);
    }
    for (const DropDownDef &def : dropDownDefs) {
        QAction *button = Toolbar1->actions().at(def.button - 1);
        auto *tool = qobject_cast<QToolButton *>(Toolbar1->widgetForAction(button));
        if (!tool)
            continue;
        QMenu *menu = tool->menu();
        if (!menu) {
            menu = new QMenu(this);
            menu->setObjectName(button->objectName() + QStringLiteral("_menu"));
            tool->setMenu(menu);
            // The button part runs the button's own command, the arrow opens the list.
            tool->setPopupMode(QToolButton::MenuButtonPopup);
        }
        const QString key = QString::fromLatin1(def.key);
        // No language file holds these; the Russian design text stays for Russian.
        QAction *item = menu->addAction(m_program.language().own(
            QString::fromUtf8(def.text), QString::fromUtf16(def.english)));
        item->setObjectName(QStringLiteral("Toolbar1_ButtonMenu_") + key);
        item->setProperty("Key", key);
        connect(item, &QAction::triggered, this, [this, key] { Toolbar1_ButtonMenuClick(key); });
    }
    equalizeToolbarButtons();
}

void frmMain::equalizeToolbarButtons()
{
    // Buttons share one width, as the placing of the boxes over the toolbar
    // expects; a drop-down arrow comes on top of it.
    QList<QToolButton *> buttons;
    int width = 0;
    const auto arrow = [](const QToolButton *button) {
        return button->popupMode() == QToolButton::MenuButtonPopup
                   ? button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, button)
                   : 0;
    };
    for (QAction *action : Toolbar1->actions()) {
        if (auto *button = qobject_cast<QToolButton *>(Toolbar1->widgetForAction(action))) {
            buttons.append(button);
            width = std::max(width, button->sizeHint().width() - arrow(button));
        }
    }
    for (QToolButton *button : std::as_const(buttons))
        button->setMinimumWidth(width + arrow(button));
    // Where the shared width would push buttons out of a narrow window (the
    // interface font is wider than the design's), each takes only its own.
    Toolbar1->layout()->invalidate();
    if (Toolbar1->layout()->sizeHint().width() > Toolbar1->width()) {
        for (QToolButton *button : std::as_const(buttons))
            button->setMinimumWidth(0);
    }
}

void frmMain::Toolbar1_ButtonClick(const QString &Key)
{
    struct Row
    {
        const char *key;
        void (frmMain::*command)();
    };
    static constexpr Row rows[] = {
        {"new", &frmMain::cmdNew_Click},
        {"back", &frmMain::goBack},
        {"forward", &frmMain::goForward},
        {"stop", &frmMain::stopLoading},
        {"refresh", &frmMain::refreshPage},
        {"home", &frmMain::goHome},
        {"offline", &frmMain::toggleOffline},
        {"open", &frmMain::openLocalFile},
        {"save", &frmMain::mnuSave_Click},
        {"catch", &frmMain::toggleWindowFilter},
    };
    for (const Row &row : rows) {
        if (Key == QLatin1String(row.key)) {
            step([&] { (this->*row.command)(); });
            return;
        }
    }
}

void frmMain::Toolbar1_ButtonMenuClick(const QString &Key)
{
    // Items either run a command of this window or click a menu item whose
    // command lives in another part of it.
    struct Row
    {
        const char *key;
        void (frmMain::*command)();
        const char *menuItem;
    };
    static constexpr Row rows[] = {
        {"mnuStopAll", &frmMain::mnuStopAll_Click, nullptr},
        {"Stop", nullptr, "mnuStop"},
        {"Save", &frmMain::mnuSave_Click, nullptr},
        {"SaveTabs", nullptr, "mnuSaveTabs"},
        {"Open", &frmMain::mnuOpen_Click, nullptr},
        {"OpenTabs", nullptr, "mnuLoadTabs"},
        {"OpenTabsSelective", nullptr, "mnuLoadTabsSelective"},
        {"OpenAutosave", nullptr, "mnuLoadAutosave"},
        {"OpenAutosaveSelective", nullptr, "mnuLoadAutosaveSelective"},
    };
    for (const Row &row : rows) {
        if (Key != QLatin1String(row.key))
            continue;
        step([&] {
            if (row.command)
                (this->*row.command)();
            else if (QAction *item = actionNamed(QString::fromLatin1(row.menuItem)))
                item->trigger();
        });
        return;
    }
}

} // namespace velmora::mainwindow
