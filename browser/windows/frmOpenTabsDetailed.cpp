#include "frmOpenTabsDetailed.h"

#include "Placement.h"
#include "TextFit.h"
#include "HistoryIcon.h"
#include "Language.h"

#include "Program.h"
#include "Twips.h"
#include "frmMain.h"

#include "ProgramFolder.h"
#include "MouseCodes.h"
#include "RuntimeError.h"
#include "RuntimeFiles.h"
#include "SessionFiles.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>

#include <cmath>
#include <limits>

namespace velmora::windows {

using mainwindow::frmMain;
using services::step;
namespace sessions = services::sessions;

namespace {

// Client area at design time, twips.
constexpr int FormWidth = 8820;
constexpr int FormHeight = 4800;
// The list fills the window but for these margins (twips).
constexpr int ListWidthMargin = 384;
constexpr int ListHeightMargin = 1920;
constexpr int ButtonGap = 108;
constexpr int ListLeft = 120;
constexpr int ListTop = 1080;
constexpr int ButtonHeight = 375;

constexpr int keyA = 65;
constexpr int shiftControl = 2;

struct ButtonPlace
{
    const char *name;
    const char *text;
    const char16_t *english;
    int left;
    int width;
};

constexpr ButtonPlace buttonPlaces[] = {
    {"cmdOnline", "Загрузить из сети", u"Load online", 120, 1800},
    {"cmdOffline", "Загрузить автономно", u"Load offline", 1965, 2100},
    {"cmdSelectAll", "Выделить все", u"Select all", 4110, 1440},
    {"cmdHideSelection", "Снять выделение", u"Clear selection", 5595, 1680},
    {"cmdCancel", "Отмена", u"Cancel", 7320, 1200},
};

const GeometryKeys geometryKeys{QStringLiteral("DetTop"), QStringLiteral("DetLeft"),
                                QStringLiteral("DetHeight"), QStringLiteral("DetWidth")};

const QString &geometryKey(int i)
{
    const QString *keys[] = {&geometryKeys.top, &geometryKeys.left, &geometryKeys.height,
                             &geometryKeys.width};
    return *keys[i];
}

} // namespace

frmOpenTabsDetailed::frmOpenTabsDetailed(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmOpenTabsDetailed"), parent)
{
    const auto own = [this](const auto &russian, const auto &english) {
        return this->program().language().own(russian, english);
    };
    setWindowTitle(own(u"Выберите вкладки для загрузки", u"Choose the tabs to load"));
    createControls();
    // Design-time place: centred over the main window.
    const int t = twips();
    resize(mainwindow::twipsToPixels(FormWidth, t), mainwindow::twipsToPixels(FormHeight, t));
    placeOverMainWindow(this, this->program());
    Form_Resize();
    // Captions longer than the design's buttons take room from their neighbours.
    if (const int grew = services::fitRow({cmdOnline, cmdOffline, cmdSelectAll,
                                           cmdHideSelection, cmdCancel});
        grew > 0)
        resize(width() + grew, height());
    services::fitTitle(this);
}

int frmOpenTabsDetailed::twips()
{
    const int t = program().system().twipsPerPixelX();
    return t > 0 ? t : 15;
}

void frmOpenTabsDetailed::createControls()
{
    const auto own = [this](const auto &russian, const auto &english) {
        return this->program().language().own(russian, english);
    };
    const int t = twips();
    iml.insert(QStringLiteral("history"), historyIcon());

    Label1 = new QLabel(
        own(u"Выберите вкладки для загрузки. Для того, чтобы выбрать несколько "
            u"закладок, используйте клавиши CTRL и SHIFT. Лучше не использовать "
            u"кнопку Загрузить автономно, если происходит загрузка файла.",
            u"Choose the tabs to load. To choose several tabs, use the CTRL and SHIFT keys. "
            u"Better not use the Load offline button while a file is being downloaded."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mainwindow::setTwipsGeometry(Label1, {120, 120, FormWidth - ListWidthMargin, 855}, t);

    lv = new QTreeWidget(this);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setColumnCount(2);
    lv->setHeaderLabels({own(u"Заголовок", u"Title"), own(u"Адрес", u"Address")});
    lv->setRootIsDecorated(false);
    lv->setUniformRowHeights(true);
    lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->header()->resizeSection(0, mainwindow::twipsToPixels(3600, t));
    mainwindow::setTwipsGeometry(lv,
                                 {ListLeft, ListTop, FormWidth - ListWidthMargin,
                                  FormHeight - ListHeightMargin},
                                 t);
    lv->installEventFilter(this);
    lv->viewport()->installEventFilter(this);

    QPushButton **targets[] = {&cmdOnline, &cmdOffline, &cmdSelectAll, &cmdHideSelection,
                             &cmdCancel};
    for (size_t i = 0; i < std::size(buttonPlaces); ++i) {
        const ButtonPlace &place = buttonPlaces[i];
        auto *button = new QPushButton(
            own(QString::fromUtf8(place.text), QString::fromUtf16(place.english)), this);
        button->setObjectName(QLatin1String(place.name));
        mainwindow::setTwipsGeometry(button, {double(place.left), 0, double(place.width),
                                              double(ButtonHeight)},
                                     t);
        *targets[i] = button;
    }
    cmdOnline->installEventFilter(this);

    connect(cmdOnline, &QPushButton::clicked, this, [this] { cmdOnline_Click(); });
    connect(cmdOffline, &QPushButton::clicked, this, [this] { cmdOffline_Click(); });
    connect(cmdSelectAll, &QPushButton::clicked, this, [this] { cmdSelectAll_Click(); });
    connect(cmdHideSelection, &QPushButton::clicked, this, [this] { cmdHideSelection_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmOpenTabsDetailed::addRow(const QString &text, const QString &address)
{
    auto *item = new QTreeWidgetItem(lv, {text, address});
    item->setIcon(0, iml.value(QStringLiteral("history")));
}

void frmOpenTabsDetailed::Form_Load()
{
    step([&] { lv->clear(); });
    QString source;
    if (program().loadAutosave) {
        source = program().folder().file(QString::fromUtf16(sessions::AutosaveFile));
    } else {
        step([&] {
            source = program().dialogs().openFile(
                this, QString(), QString::fromUtf16(sessions::SaveFilter), QString(),
                platform::FileUse::Sessions);
        });
        if (source.isEmpty()) {
            unload();
            return;
        }
    }
    // From here any failure ends the load without a word.
    try {
        const sessions::SavedTabs saved =
            sessions::readSavedTabs(services::runtime::readWholeFile(source));
        if (!saved.complete)
            throw services::RuntimeError(services::RuntimeError::InputPastEnd,
                                         "Input past end of file");
        for (const sessions::SavedTab &tab : saved.tabs)
            addRow(tab.hasTitle ? tab.title : tab.address, tab.address);
        QCoreApplication::processEvents();
        restoreGeometry();
        m_shown = true;
        show();
    } catch (const std::exception &) {
        hide();
        unload();
    }
}

void frmOpenTabsDetailed::restoreGeometry()
{
    const Geometry current = twipsGeometry();
    const double defaults[] = {current.top, current.left, current.height, current.width};
    double values[4];
    const services::SettingsStore &store = program().settings();
    const QString section = QString::fromUtf16(services::settings::General);
    for (int i = 0; i < 4; ++i) {
        if (store.GetSetting(section, geometryKey(i)).trimmed().isEmpty()) {
            values[i] = defaults[i];
            continue;
        }
        // A stored text that is no number keeps the design-time place.
        values[i] = services::readNumberSetting(store, section, geometryKey(i),
                                                std::numeric_limits<double>::quiet_NaN());
        if (std::isnan(values[i]))
            return;
    }
    const Geometry stored{values[0], values[1], values[2], values[3]};
    const int t = twips();
    const QSize screen = program().system().screenPixels();
    if (geometryFits(stored, mainwindow::pixelsToTwips(screen.width(), t),
                     mainwindow::pixelsToTwips(screen.height(), t)))
        setTwipsGeometry(stored);
}

frmOpenTabsDetailed::Geometry frmOpenTabsDetailed::twipsGeometry()
{
    const int t = twips();
    return {mainwindow::pixelsToTwips(y(), t), mainwindow::pixelsToTwips(x(), t),
            mainwindow::pixelsToTwips(height(), t), mainwindow::pixelsToTwips(width(), t)};
}

void frmOpenTabsDetailed::setTwipsGeometry(const Geometry &g)
{
    const int t = twips();
    move(mainwindow::twipsToPixels(g.left, t), mainwindow::twipsToPixels(g.top, t));
    resize(mainwindow::twipsToPixels(g.width, t), mainwindow::twipsToPixels(g.height, t));
}

void frmOpenTabsDetailed::Form_Resize()
{
    const int t = twips();
    const double width = mainwindow::pixelsToTwips(this->width(), t);
    const double height = mainwindow::pixelsToTwips(this->height(), t);
    const double listWidth = width - ListWidthMargin;
    const double listHeight = height - ListHeightMargin;
    // Too small (or minimised): the last valid layout stays.
    if (listWidth <= 0 || listHeight <= 0 || isMinimized())
        return;
    const mainwindow::TwipsRect list = mainwindow::twipsGeometry(lv, t);
    mainwindow::setTwipsGeometry(lv, {list.left, list.top, listWidth, listHeight}, t);
    const double top = list.top + listHeight + ButtonGap;
    for (QPushButton *button : {cmdOnline, cmdOffline, cmdSelectAll, cmdHideSelection, cmdCancel}) {
        mainwindow::TwipsRect place = mainwindow::twipsGeometry(button, t);
        place.top = top;
        mainwindow::setTwipsGeometry(button, place, t);
    }
}

void frmOpenTabsDetailed::Form_Unload()
{
    // A window that never showed has no place of its own to keep.
    if (!m_shown)
        return;
    const Geometry g = twipsGeometry();
    const double values[] = {g.top, g.left, g.height, g.width};
    const QString section = QString::fromUtf16(services::settings::General);
    services::SettingsStore &store = program().settings();
    for (int i = 0; i < 4; ++i)
        step([&] { store.SaveSetting(section, geometryKey(i), singleText(values[i])); });
}

void frmOpenTabsDetailed::unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    Form_Unload();
    hide();
    deleteLater();
}

bool frmOpenTabsDetailed::Form_QueryUnload()
{
    return true;
}

void frmOpenTabsDetailed::paintEvent(QPaintEvent *event)
{
    // No closing guard here: the window is unloaded, never hidden away.
    QWidget::paintEvent(event);
}

void frmOpenTabsDetailed::closeEvent(QCloseEvent *event)
{
    event->accept();
    unload();
}

void frmOpenTabsDetailed::resizeEvent(QResizeEvent *event)
{
    SecondaryWindow::resizeEvent(event);
    Form_Resize();
}

bool frmOpenTabsDetailed::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == lv || watched == cmdOnline)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const int code = frmMain::keyCodeOf(key->key());
        const int shift = services::shiftCode(key->modifiers());
        const bool selectAll = code == keyA && shift == shiftControl;
        if (watched == lv)
            lv_KeyDown(code, shift);
        else
            cmdOnline_KeyDown(code, shift);
        if (selectAll)
            return true;
    } else if (event->type() == QEvent::MouseButtonPress && watched == lv->viewport()) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        lv_MouseDown(services::buttonCode(mouse->button()), services::shiftCode(mouse->modifiers()),
                     mouse->position().toPoint());
    }
    return SecondaryWindow::eventFilter(watched, event);
}

void frmOpenTabsDetailed::lv_KeyDown(int KeyCode, int Shift)
{
    if (KeyCode == keyA && Shift == shiftControl)
        cmdSelectAll_Click();
}

void frmOpenTabsDetailed::cmdOnline_KeyDown(int KeyCode, int Shift)
{
    if (KeyCode == keyA && Shift == shiftControl)
        cmdSelectAll_Click();
}

void frmOpenTabsDetailed::lv_MouseDown(int, int, const QPoint &point)
{
    if (lv->itemAt(point))
        return;
    lv->clearSelection();
    lv->setCurrentItem(nullptr);
}

void frmOpenTabsDetailed::cmdSelectAll_Click()
{
    lv->selectAll();
}

void frmOpenTabsDetailed::cmdHideSelection_Click()
{
    lv->clearSelection();
}

void frmOpenTabsDetailed::cmdCancel_Click()
{
    unload();
}

void frmOpenTabsDetailed::cmdOnline_Click()
{
    openSelected(false);
}

void frmOpenTabsDetailed::cmdOffline_Click()
{
    openSelected(true);
}

void frmOpenTabsDetailed::openSelected(bool offline)
{
    step([&] { program().internet().setOffline(offline); });
    struct Row
    {
        QString address;
        QString title;
    };
    QList<Row> rows;
    for (int i = 0; i < lv->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = lv->topLevelItem(i);
        if (item->isSelected())
            rows.append({item->text(1), item->text(0)});
    }
    if (rows.isEmpty())
        return;
    frmMain &main = program().mainWindow();
    for (const Row &row : rows) {
        step([&] { hide(); });
        // More rows than free tab numbers: the rest stay unopened.
        if (main.openSavedTab(row.address, &row.title, frmMain::SavedTabSilent::WhileNavigating) < 0)
            break;
    }
    unload();
}

} // namespace velmora::windows
