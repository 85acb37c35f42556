#include "frmGroupOperations.h"

#include "Placement.h"
#include "TextFit.h"
#include "HistoryIcon.h"
#include "Language.h"

#include "frmMain.h"

#include "MouseCodes.h"
#include "OneValueFiles.h"
#include "Program.h"
#include "Twips.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "StoredGeometry.h"
#include "TabHelpers.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace velmora::windows {

using services::step;

namespace {

const GeometryKeys geometryKeys{QStringLiteral("GroTop"), QStringLiteral("GroLeft"),
                                QStringLiteral("GroHeight"), QStringLiteral("GroWidth")};

// Design-time size and the places of the controls, in twips.
constexpr double DesignWidth = 9600;
constexpr double DesignHeight = 6600;
constexpr double ListLeft = 192;
constexpr double ListTop = 1560;
constexpr double ButtonHeight = 375;

} // namespace

frmGroupOperations::frmGroupOperations(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmGroupOperations"), parent)
{
    const auto own = [this](const auto &russian, const auto &english) {
        return this->program().language().own(russian, english);
    };
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(own(u"Групповые операции", u"Group operations"));
    iml.insert(QStringLiteral("history"), historyIcon());

    const int tx = program.system().twipsPerPixelX();
    const int ty = program.system().twipsPerPixelY();
    const auto place = [&](QWidget *w, double left, double top, double width, double height) {
        w->setGeometry(mainwindow::twipsToPixels(left, tx), mainwindow::twipsToPixels(top, ty), mainwindow::twipsToPixels(width, tx),
                       mainwindow::twipsToPixels(height, ty));
    };
    const auto button = [&](QPushButton *&member, const char *name, const QString &text,
                            double left, double top, double width) {
        member = new QPushButton(text, this);
        member->setObjectName(QString::fromLatin1(name));
        place(member, left, top, width, ButtonHeight);
    };

    Label1 = new QLabel(
        own(u"Выберите нужные вкладки. Для того, чтобы выбрать несколько закладок, "
            u"используйте клавиши CTRL и SHIFT. Затем выберите нужную операцию "
            u"(кнопки внизу). Для того, чтоб обновить информацию о вкладках нажмите "
            u"Обновить информацию",
            u"Choose the tabs you need. To choose several tabs, use the CTRL and SHIFT keys. "
            u"Then choose the operation (the buttons below). To bring the list of tabs up to "
            u"date, press Update list"),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label1, ListLeft, 120, DesignWidth - 384, 900);

    lv = new QTreeWidget(this);
    lv->setObjectName(QStringLiteral("lv"));
    lv->setColumnCount(2);
    lv->setHeaderLabels({own(u"Заголовок", u"Title"), own(u"Адрес", u"Address")});
    lv->setRootIsDecorated(false);
    lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->header()->resizeSection(0, mainwindow::twipsToPixels((DesignWidth - 384) / 2, tx));
    place(lv, ListLeft, ListTop, DesignWidth - 384, DesignHeight - 2220);
    lv->installEventFilter(this);
    lv->viewport()->installEventFilter(this);

    const double buttonTop = ListTop + (DesignHeight - 2220) + 108;
    button(cmdUpdInfo, "cmdUpdInfo", own(u"Обновить информацию", u"Update list"), ListLeft, 1080, 2400);
    button(cmdClose, "cmdClose", own(u"Закрыть", u"Close"), ListLeft, buttonTop, 1200);
    button(cmdRefresh, "cmdRefresh", own(u"Обновить", u"Refresh"), 1512, buttonTop, 1200);
    button(cmdStop, "cmdStop", own(u"Остановить", u"Stop"), 2832, buttonTop, 1200);
    button(cmdSelectAll, "cmdSelectAll", own(u"Выделить все", u"Select all"), 4152, buttonTop, 1500);
    button(cmdHideSelection, "cmdHideSelection", own(u"Снять выделение", u"Clear selection"), 5772,
           buttonTop, 1500);
    button(cmdCancel, "cmdCancel", own(u"Отмена", u"Cancel"), 7392, buttonTop, 1200);
    cmdClose->installEventFilter(this);

    connect(cmdClose, &QPushButton::clicked, this, &frmGroupOperations::cmdClose_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmGroupOperations::cmdRefresh_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmGroupOperations::cmdStop_Click);
    connect(cmdUpdInfo, &QPushButton::clicked, this, &frmGroupOperations::cmdUpdInfo_Click);
    connect(cmdSelectAll, &QPushButton::clicked, this, &frmGroupOperations::cmdSelectAll_Click);
    connect(cmdHideSelection, &QPushButton::clicked, this,
            &frmGroupOperations::cmdHideSelection_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmGroupOperations::cmdCancel_Click);

    // The design-time place: centred over the main window.
    resize(mainwindow::twipsToPixels(DesignWidth, tx), mainwindow::twipsToPixels(DesignHeight, ty));
    // Captions longer than the design's buttons take room from their neighbours.
    if (const int grew = services::fitRow({cmdClose, cmdRefresh, cmdStop, cmdSelectAll,
                                           cmdHideSelection, cmdCancel});
        grew > 0)
        resize(width() + grew, height());
    services::fitRow({cmdUpdInfo});
    services::fitTitle(this);
    placeOverMainWindow(this, program);

    Form_Load();
}

frmGroupOperations::Geometry frmGroupOperations::twipsGeometry()
{
    const int tx = program().system().twipsPerPixelX();
    const int ty = program().system().twipsPerPixelY();
    return {double(y()) * ty, double(x()) * tx, double(height()) * ty, double(width()) * tx};
}

void frmGroupOperations::setTwipsGeometry(const Geometry &g)
{
    const int tx = program().system().twipsPerPixelX();
    const int ty = program().system().twipsPerPixelY();
    move(mainwindow::twipsToPixels(g.left, tx), mainwindow::twipsToPixels(g.top, ty));
    resize(mainwindow::twipsToPixels(g.width, tx), mainwindow::twipsToPixels(g.height, ty));
}

void frmGroupOperations::Form_Load()
{
    // 1.
    lv->clear();
    // 2. Every open tab, in tab number order.
    auto &main = program().mainWindow();
    const QIcon icon = iml.value(QStringLiteral("history"));
    for (int n = 1; n < main.webCount(); ++n) {
        step([&] {
            platform::WebBrowser *browser = main.web(n);
            if (!browser || !browser->Visible())
                return;
            auto *row = new QTreeWidgetItem(lv);
            row->setText(0, main.getTitle(n));
            row->setIcon(0, icon);
            row->setText(1, browser->LocationURL());
            row->setData(0, Qt::UserRole, n);
        });
    }
    // 3. The window's own values stand in for missing keys.
    step([&] {
        const auto &settings = program().settings();
        const Geometry stored = readStoredGeometry(settings, geometryKeys, twipsGeometry());
        const QSize screen = program().system().screenPixels();
        const double screenWidth = double(screen.width()) * program().system().twipsPerPixelX();
        const double screenHeight = double(screen.height()) * program().system().twipsPerPixelY();
        if (geometryFits(stored, screenWidth, screenHeight))
            setTwipsGeometry(stored);
    });
    // 4.
    show();
}

void frmGroupOperations::Form_Resize()
{
    const int tx = program().system().twipsPerPixelX();
    const int ty = program().system().twipsPerPixelY();
    const Geometry g = twipsGeometry();
    // A window smaller than the margins keeps an empty list rather than a negative one.
    const double listWidth = std::max(0.0, g.width - 384);
    const double listHeight = std::max(0.0, g.height - 2220);
    const double listTop = double(lv->y()) * ty;
    lv->resize(mainwindow::twipsToPixels(listWidth, tx), mainwindow::twipsToPixels(listHeight, ty));
    const int top = mainwindow::twipsToPixels(listTop + listHeight + 108, ty);
    for (QPushButton *b :
         {cmdClose, cmdRefresh, cmdStop, cmdSelectAll, cmdHideSelection, cmdCancel})
        b->move(b->x(), top);
}

void frmGroupOperations::Form_Unload()
{
    saveStoredGeometry(program().settings(), geometryKeys, twipsGeometry());
}

void frmGroupOperations::cmdClose_Click()
{
    runOnSelected(CloseTabs);
}

void frmGroupOperations::cmdRefresh_Click()
{
    runOnSelected(RefreshTabs);
}

void frmGroupOperations::cmdStop_Click()
{
    runOnSelected(StopTabs);
}

void frmGroupOperations::cmdUpdInfo_Click()
{
    Form_Load();
    cmdHideSelection_Click();
}

void frmGroupOperations::cmdSelectAll_Click()
{
    lv->selectAll();
}

void frmGroupOperations::cmdHideSelection_Click()
{
    lv->clearSelection();
}

void frmGroupOperations::cmdCancel_Click()
{
    unload();
}

void frmGroupOperations::lv_KeyDown(int KeyCode, int Shift)
{
    if (KeyCode == 65 && Shift == 2)
        cmdSelectAll_Click();
}

void frmGroupOperations::cmdClose_KeyDown(int KeyCode, int Shift)
{
    lv_KeyDown(KeyCode, Shift);
}

void frmGroupOperations::lv_MouseDown(int, int, float x, float y)
{
    const int tx = program().system().twipsPerPixelX();
    const int ty = program().system().twipsPerPixelY();
    const QPoint at(mainwindow::twipsToPixels(x, tx), mainwindow::twipsToPixels(y, ty));
    if (lv->itemAt(at))
        return;
    lv->clearSelection();
    lv->setCurrentItem(nullptr);
}

QList<int> frmGroupOperations::rowTags() const
{
    QList<int> tags;
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
        tags.append(lv->topLevelItem(i)->data(0, Qt::UserRole).toInt());
    return tags;
}

void frmGroupOperations::runOnSelected(int operation)
{
    // 1.
    QList<int> chosen;
    for (int i = 0; i < lv->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = lv->topLevelItem(i);
        if (row->isSelected())
            chosen.append(row->data(0, Qt::UserRole).toInt());
    }
    // 2.
    if (chosen.isEmpty())
        return;
    // The list is a snapshot: a tab closed since then is passed over, so the
    // last one still open gets the closing rule of the close command.
    auto &main = program().mainWindow();
    chosen.removeIf([&](int n) {
        bool open = false;
        step([&] { open = main.web(n) && main.Tabstrip1->tabVisible(n); });
        return !open;
    });
    // 3.
    for (int i = 0; i < chosen.size(); ++i) {
        const int n = chosen.at(i);
        hide();
        step([&] {
            switch (operation) {
            case RefreshTabs:
                main.web(n)->Refresh();
                break;
            case StopTabs:
                main.web(n)->Stop();
                break;
            case CloseTabs:
                closeTab(main, n, i == chosen.size() - 1);
                break;
            default:
                break;
            }
        });
    }
    // The tab the window showed may be among the hidden ones while the last
    // chosen tab went home instead of closing: show an open one.
    if (operation == CloseTabs && !chosen.isEmpty()) {
        step([&] {
            if (main.Tabstrip1->tabVisible(main.currentTab))
                return;
            int next = services::findNextVisibleTab(*main.Tabstrip1, chosen.last());
            main.Tabstrip1->setValue(main.Tabstrip1->borderTab(next));
            main.Tabstrip1->setValue(next);
        });
    }
    // 4.
    unload();
}

void frmGroupOperations::closeTab(mainwindow::frmMain &main, int n, bool last)
{
    kelvane::TabstripP &row = *main.Tabstrip1;
    platform::WebBrowser *browser = main.web(n);
    const int v = services::countVisibleTabs(row);
    const QString home = program().files().getHomePage();
    if (v == 1 && browser->LocationURL() == home)
        return;
    if (v < 2) {
        browser->Navigate2(home);
        return;
    }
    if (last)
        step([&] { row.Tabstrip1()->setFocus(); });
    main.discardPage(n);
    step([&] { row.setTabVisible(n, false); });
    if (!last)
        return;
    int next = n;
    step([&] { next = services::findNextVisibleTab(row, n); });
    step([&] {
        int index = next;
        row.setValue(row.borderTab(index));
    });
    step([&] { row.setValue(next); });
}

void frmGroupOperations::unload()
{
    close();
}

void frmGroupOperations::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmGroupOperations::resizeEvent(QResizeEvent *event)
{
    SecondaryWindow::resizeEvent(event);
    Form_Resize();
}

void frmGroupOperations::paintEvent(QPaintEvent *event)
{
    // No closing guard here: the window goes with the others at shutdown.
    QWidget::paintEvent(event);
}

bool frmGroupOperations::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == lv || watched == cmdClose)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int code = mainwindow::frmMain::keyCodeOf(key->key());
        const int shift = services::shiftCode(key->modifiers());
        if (watched == lv)
            lv_KeyDown(code, shift);
        else
            cmdClose_KeyDown(code, shift);
        // The list's own select-all must not run a second time.
        return code == 65 && shift == 2;
    }
    if (event->type() == QEvent::MouseButtonPress && watched == lv->viewport()) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const int tx = program().system().twipsPerPixelX();
        const int ty = program().system().twipsPerPixelY();
        const QPointF p = mouse->position();
        lv_MouseDown(services::buttonCode(mouse->button()), services::shiftCode(mouse->modifiers()),
                     float(p.x() * tx), float(p.y() * ty));
    }
    return SecondaryWindow::eventFilter(watched, event);
}

} // namespace velmora::windows
