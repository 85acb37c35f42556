#include "frmFavoritesShow.h"

#include "TextFit.h"
#include "Twips.h"
#include "frmMain.h"

#include "Language.h"
#include "Program.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "StoredGeometry.h"
#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace velmora::windows {

using mainwindow::setTwipsGeometry;
using mainwindow::TwipsRect;
using services::step;

namespace {

constexpr int DesignWidth = 8580;
constexpr int DesignHeight = 5520;
constexpr TwipsRect designImage1{120, 120, 480, 480};
constexpr TwipsRect designShape1{0, 0, 600, 720};
constexpr TwipsRect designLblCapt{675, 60, 7483, 900};
constexpr TwipsRect designTvFav{180, 1005, 8220, 3420};
constexpr double buttonHeight = 375;
struct ButtonPlace
{
    double left;
    double width;
};
constexpr ButtonPlace placeLoad{180, 1500};
constexpr ButtonPlace placeOpenInNewWindow{1800, 2280};
constexpr ButtonPlace placeFavEdit{4200, 2280};
constexpr ButtonPlace placeCancel{6600, 1272};

constexpr int TagRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;

const QString folderImage()
{
    return QStringLiteral("Folder");
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

const GeometryKeys geometryKeys{QStringLiteral("FavTop"), QStringLiteral("FavLeft"),
                                QStringLiteral("FavHeight"), QStringLiteral("FavWidth")};

} // namespace

void setStaysOnTop(QWidget *window, bool on)
{
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = window->isVisible();
    const bool noActivate = window->testAttribute(Qt::WA_ShowWithoutActivating);
    window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        window->show();
    window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
}

frmFavoritesShow::frmFavoritesShow(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmFavoritesShow"), parent)
{
    setAttribute(Qt::WA_DeleteOnClose, true);
    setWindowTitle(QStringLiteral("Избранное"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    const int t = this->program().system().twipsPerPixelX();
    const int ty = this->program().system().twipsPerPixelY();

    imlIcons.insert(folderImage(), style()->standardIcon(QStyle::SP_DirIcon));
    imlIcons.insert(QStringLiteral("Item"), style()->standardIcon(QStyle::SP_FileLinkIcon));

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAutoFillBackground(true);
    Shape1->setBackgroundRole(QPalette::Base);
    setTwipsGeometry(Shape1, designShape1, t);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    setTwipsGeometry(Image1, designImage1, t);
    Image1->setPixmap(imlIcons.value(folderImage()).pixmap(Image1->size()));
    lblCapt = new QLabel(
        QStringLiteral("В этом окне осуществляется переход на избранные страницы интернета. Для "
                       "того, чтобы загрузить избранную страницу, выделите ее галочкой и нажмите "
                       "кнопку Загрузить в нижней части окна. Чтобы загрузить страницу в новой "
                       "вкладке нажмите кнопку Открыть в новом окне."),
        this);
    lblCapt->setObjectName(QStringLiteral("lblCapt"));
    lblCapt->setWordWrap(true);
    lblCapt->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTwipsGeometry(lblCapt, designLblCapt, t);
    tvFav = new QTreeWidget(this);
    tvFav->setObjectName(QStringLiteral("tvFav"));
    tvFav->setHeaderHidden(true);
    tvFav->setSelectionMode(QAbstractItemView::SingleSelection);
    tvFav->setExpandsOnDoubleClick(true);
    setTwipsGeometry(tvFav, designTvFav, t);
    cmdLoad = makeButton(this, "cmdLoad", QStringLiteral("Загрузить"));
    cmdOpenInNewWindow =
        makeButton(this, "cmdOpenInNewWindow", QStringLiteral("Открыть в новом окне"));
    cmdFavEdit = makeButton(this, "cmdFavEdit", QStringLiteral("Редактировать избранное"));
    cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("Отмена"));
    // Enter opens the ticked pages, Escape closes (see keyPressEvent).
    cmdLoad->setDefault(true);
    resize(mainwindow::twipsToPixels(DesignWidth, t), mainwindow::twipsToPixels(DesignHeight, ty));

    connect(cmdLoad, &QPushButton::clicked, this, &frmFavoritesShow::cmdLoad_Click);
    connect(cmdOpenInNewWindow, &QPushButton::clicked, this,
            &frmFavoritesShow::cmdOpenInNewWindow_Click);
    connect(cmdFavEdit, &QPushButton::clicked, this, &frmFavoritesShow::cmdFavEdit_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFavoritesShow::cmdCancel_Click);
    connect(tvFav, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *node, int) { tvFav_NodeClick(node); });
    connect(tvFav, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *, int) { tvFav_DblClick(); });
    connect(tvFav, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *node, int) {
        if (!m_filling)
            tvFav_NodeCheck(node);
    });
}

frmFavoritesShow::~frmFavoritesShow() = default;

void frmFavoritesShow::Form_Load()
{
    Program &p = program();
    m_unloaded = false;
    m_painted = false;
    // 1.
    step([&] {
        const QString dir = p.folder().path();
        const QString language = p.settings().GetSetting(
            QStringLiteral("general"), QStringLiteral("language"),
            p.language().getDefaultLanguage(dir));
        p.language().applyLanguage(dir, language, services::Language::FavoritesTreeWindow, this);
    });
    // 2.
    QCoreApplication::processEvents();
    // 3.
    m_tree.loadShellFavorites(p.platform().favorites->favoritesFolder());
    // 4., 5.
    m_filling = true;
    m_lastNode = nullptr;
    tvFav->clear();
    QTreeWidgetItem *root =
        addNode(nullptr, program().language().own(u"Избранное", u"Favorites"), folderImage(), 0);
    root->setExpanded(true);
    fillTree(m_tree.favFolders().front(), root);
    m_filling = false;
    // 6.
    const int tx = p.system().twipsPerPixelX();
    const int ty = p.system().twipsPerPixelY();
    const QSize screenPixels = p.system().screenPixels();
    const double screenWidth = double(screenPixels.width()) * tx;
    const double screenHeight = double(screenPixels.height()) * ty;
    double height = double(this->height()) * ty;
    double width = double(this->width()) * tx;
    double top = (screenHeight - height) / 2;
    double left = (screenWidth - width) / 2;
    // 7. Stored geometry counts only as a whole and only when it fits the screen.
    step([&] {
        const StoredGeometry stored =
            readStoredGeometry(p.settings(), geometryKeys, {top, left, height, width});
        if (storedGeometryFits(stored, screenWidth, screenHeight)) {
            top = stored.top;
            left = stored.left;
            height = stored.height;
            width = stored.width;
        }
    });
    resize(mainwindow::twipsToPixels(width, tx), mainwindow::twipsToPixels(height, ty));
    move(mainwindow::twipsToPixels(left, tx), mainwindow::twipsToPixels(top, ty));
    // 8. Above every window, as long as it is open.
    setStaysOnTop(this, true);
    setVisible(true);
}

QTreeWidgetItem *frmFavoritesShow::addNode(QTreeWidgetItem *parent, const QString &text,
                                           const QString &image, int tag)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvFav);
    node->setText(0, text);
    node->setIcon(0, imlIcons.value(image));
    node->setData(0, TagRole, tag);
    node->setData(0, ImageRole, image);
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    node->setCheckState(0, Qt::Unchecked);
    return node;
}

void frmFavoritesShow::fillTree(const services::FavoriteFolder &folder, QTreeWidgetItem *parent)
{
    const auto &children = folder.children;
    // Subfolders first, each with its whole subtree, then the pages.
    for (size_t i = 1; i < children.size(); ++i) {
        if (children[i].kind != services::FavoriteChild::Folder)
            continue;
        const auto &sub = m_tree.favFolders().at(static_cast<size_t>(children[i].index));
        fillTree(sub, addNode(parent, sub.name, folderImage(), static_cast<int>(i)));
    }
    for (size_t i = 1; i < children.size(); ++i) {
        if (children[i].kind != services::FavoriteChild::Link)
            continue;
        const auto &link = m_tree.favLinks().at(static_cast<size_t>(children[i].index));
        addNode(parent, link.name, QStringLiteral("Item"), static_cast<int>(i));
    }
    addNotes(folder.leftOut, parent);
}

void frmFavoritesShow::addNotes(const services::FavoritesLeftOut &left, QTreeWidgetItem *parent)
{
    const services::Language &language = program().language();
    QStringList notes;
    if (left.unread)
        notes << language.own(u"(Папка не прочитана: она лежит слишком глубоко или ссылается на "
                              u"папку, в которой сама лежит)",
                              u"(The folder was not read: it lies too deep or links to a folder "
                              u"it lies in)");
    if (left.folders > 0)
        notes << language.own(u"(Не показаны папки: %1, от «%2» до «%3»)",
                              u"(Folders not shown: %1, from \u201c%2\u201d to \u201c%3\u201d)")
                     .arg(left.folders)
                     .arg(left.firstFolder, left.lastFolder);
    if (left.links > 0)
        notes << language.own(u"(Не показаны ссылки: %1, от «%2» до «%3»)",
                              u"(Links not shown: %1, from \u201c%2\u201d to \u201c%3\u201d)")
                     .arg(left.links)
                     .arg(left.firstLink, left.lastLink);
    if (left.unlisted)
        notes << language.own(u"(Папка слишком велика: прочитаны только первые %1 имён)",
                              u"(The folder is too large: only its first %1 names were read)")
                     .arg(services::FavoritesTree::MaxNamesRead);
    for (const QString &text : std::as_const(notes)) {
        // A note, not a page: it cannot be checked or opened.
        QTreeWidgetItem *note = addNode(parent, text, QString(), -1);
        note->setFlags(Qt::ItemIsEnabled);
        note->setToolTip(0, text);
        note->setData(0, Qt::CheckStateRole, QVariant());
        note->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    }
}

QList<int> frmFavoritesShow::positionPath(const QTreeWidgetItem *node)
{
    QList<int> path{node->data(0, TagRole).toInt()};
    while (node->parent() && node->parent()->parent()) {
        node = node->parent();
        path.prepend(node->data(0, TagRole).toInt());
    }
    return path;
}

void frmFavoritesShow::openChecked(bool newTab)
{
    QList<QTreeWidgetItem *> nodes;
    for (QTreeWidgetItemIterator it(tvFav); *it; ++it) {
        if ((*it)->checkState(0) == Qt::Checked && (*it)->childCount() == 0)
            nodes.append(*it);
    }
    if (nodes.isEmpty()) {
        const QList<QTreeWidgetItem *> selected = tvFav->selectedItems();
        if (selected.isEmpty())
            return;
        nodes.append(selected.first());
    }
    mainwindow::frmMain &main = program().mainWindow();
    int opened = 0;
    bool full = false;
    for (QTreeWidgetItem *node : std::as_const(nodes)) {
        // A folder, even an empty one, names no page; nor does a note.
        if (node->data(0, ImageRole).toString() != QLatin1String("Item"))
            continue;
        step([&] {
            const services::FavoriteLink link = m_tree.getLinkByPath(positionPath(node));
            if (newTab || opened > 0) {
                const int before = main.Tabstrip1->tabs().toInt();
                main.cmdNew_Click();
                // The row is full and the user was told once: the other
                // pages would only repeat the notice.
                if (main.Tabstrip1->tabs().toInt() == before) {
                    full = true;
                    return;
                }
                // The last number comes with the notice already.
                full = before >= mainwindow::frmMain::MaxTab;
            }
            ++opened;
            main.web(main.currentTabNumber())->Navigate2(link.url);
        });
        if (full)
            break;
    }
}

void frmFavoritesShow::checkChildren(QTreeWidgetItem *node, Qt::CheckState state)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem *child = node->child(i);
        if (!(child->flags() & Qt::ItemIsUserCheckable))
            continue;
        if (child->childCount() == 0)
            child->setCheckState(0, state);
        else
            checkChildren(child, state);
    }
}

void frmFavoritesShow::cmdLoad_Click()
{
    openChecked(false);
    close();
}

void frmFavoritesShow::cmdOpenInNewWindow_Click()
{
    openChecked(true);
    close();
}

void frmFavoritesShow::cmdFavEdit_Click()
{
    Program &p = program();
    close();
    p.mainWindow().mnuEditFavorites_Click();
}

void frmFavoritesShow::cmdCancel_Click()
{
    close();
}

void frmFavoritesShow::tvFav_NodeClick(QTreeWidgetItem *node)
{
    m_lastNode = node;
}

void frmFavoritesShow::tvFav_DblClick()
{
    if (!m_lastNode || m_lastNode->childCount() > 0)
        return;
    m_lastNode->setCheckState(
        0, m_lastNode->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void frmFavoritesShow::tvFav_NodeCheck(QTreeWidgetItem *node)
{
    checkChildren(node, node->checkState(0));
}

void frmFavoritesShow::paintEvent(QPaintEvent *event)
{
    // This window has no closing guard of its own: shutdown unloads it.
    QWidget::paintEvent(event);
    if (!m_painted && !m_unloaded) {
        m_painted = true;
        Form_Paint();
    }
}

void frmFavoritesShow::Form_Paint()
{
    step([&] { program().mainWindow().setEnabled(false); });
}

void frmFavoritesShow::resizeEvent(QResizeEvent *event)
{
    SecondaryWindow::resizeEvent(event);
    Form_Resize();
}

void frmFavoritesShow::Form_Resize()
{
    const int t = program().system().twipsPerPixelX();
    const int ty = program().system().twipsPerPixelY();
    const auto px = [t](double twips) { return mainwindow::twipsToPixels(twips, t); };
    double height = double(this->height()) * ty;
    double width = double(this->width()) * t;
    step([&] {
        if (height < MinHeight || width < MinWidth) {
            height = std::max<double>(height, MinHeight);
            width = std::max<double>(width, MinWidth);
            resize(px(width), mainwindow::twipsToPixels(height, ty));
        }
    });
    const TwipsRect image = mainwindow::twipsGeometry(Image1, t);
    TwipsRect shape = mainwindow::twipsGeometry(Shape1, t);
    step([&] {
        shape.width = image.left + image.width - shape.left;
        shape.height = image.height + 240;
        setTwipsGeometry(Shape1, shape, t);
    });
    step([&] {
        TwipsRect caption = mainwindow::twipsGeometry(lblCapt, t);
        caption.left = shape.left + shape.width + 5.0 * t;
        caption.width = width - 422 - shape.width;
        setTwipsGeometry(lblCapt, caption, t);
    });
    step([&] {
        const double top = height - 912;
        const std::pair<QPushButton *, ButtonPlace> buttons[] = {
            {cmdLoad, placeLoad},
            {cmdOpenInNewWindow, placeOpenInNewWindow},
            {cmdFavEdit, placeFavEdit},
            {cmdCancel, placeCancel},
        };
        for (const auto &[button, place] : buttons)
            setTwipsGeometry(button, {place.left, top, place.width, buttonHeight}, t);
        // Captions longer than the design's buttons widen them; the window
        // then keeps room for the whole row.
        if (services::fitRow({cmdLoad, cmdOpenInNewWindow, cmdFavEdit, cmdCancel}) > 0) {
            const int need = cmdCancel->geometry().right() + 1 + cmdLoad->x();
            if (need > minimumWidth())
                setMinimumWidth(need);
        }
    });
    step([&] {
        TwipsRect tree = mainwindow::twipsGeometry(tvFav, t);
        tree.top = 19.0 * t + shape.height;
        tree.width = width - 360;
        tree.height = height - 2100;
        setTwipsGeometry(tvFav, tree, t);
    });
}

void frmFavoritesShow::keyPressEvent(QKeyEvent *event)
{
    // Keys the focused control leaves alone.
    switch (event->key()) {
    case Qt::Key_Escape:
        cmdCancel->click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        cmdLoad->click();
        return;
    default:
        SecondaryWindow::keyPressEvent(event);
    }
}

void frmFavoritesShow::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

void frmFavoritesShow::Form_Unload()
{
    m_unloaded = true;
    Program &p = program();
    mainwindow::frmMain &main = p.mainWindow();
    step([&] { main.mnuShowFavorites->setChecked(false); });
    step([&] { main.setEnabled(true); });
    step([&] {
        const int tx = p.system().twipsPerPixelX();
        const int ty = p.system().twipsPerPixelY();
        saveStoredGeometry(p.settings(), geometryKeys,
                           {double(y()) * ty, double(x()) * tx, double(height()) * ty,
                            double(width()) * tx});
    });
}

} // namespace velmora::windows
