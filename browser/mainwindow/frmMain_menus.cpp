#include "frmMain.h"

#include "Language.h"
#include "Program.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <utility>

namespace velmora::mainwindow {

namespace {

enum Flag { None = 0, Hidden = 1, Ticked = 2, Disabled = 4, Checkable = 8 };

struct MenuItem
{
    int depth; // 0 top level, 1 submenu item, 2 sub-submenu item
    const char *name;
    const char *caption; // UTF-8; "-" is a separator
    int flags;
    const char *shortcut;
    bool submenu;
};

// The menu tree in form order, with the window's compiled captions.
const MenuItem menuTree[] = {
    {0, "mnuFile", "&Файл", None, nullptr, true},
    {1, "mnuNew", "&Новый", None, "Ctrl+Q", false},
    {1, "mnuProp", "&Свойства", None, nullptr, false},
    {1, "mnuS", "-", None, nullptr, false},
    {1, "mnuSave", "С&охранить как...", None, nullptr, false},
    {1, "mnuOpen", "О&ткрыть...", None, nullptr, false},
    {1, "mnuPrint", "&Печать", None, nullptr, true},
    {2, "mnuPrint_p", "&Печатать", None, nullptr, false},
    {2, "mnuSetPrint", "Н&астройки", None, nullptr, false},
    {1, "se", "-", None, nullptr, false},
    {1, "wOffLineToAll", "Раб. &автономно (для всех)", Hidden, nullptr, false},
    {1, "mnuOffline", "&Работать автономно", Ticked, nullptr, false},
    {1, "mnuSeparator1", "-", None, nullptr, false},
    {1, "mnuClose", "За&крыть вкладку", None, "Ctrl+M", false},
    {1, "mnuCloseAllTabs", "Закрыть &все вкладки", None, nullptr, false},
    {1, "s12", "-", None, nullptr, false},
    {1, "mnuSaveTabs", "Со&хранить вкладки", None, nullptr, false},
    {1, "mnuLoadTabs", "За&грузить вкладки", None, nullptr, false},
    {1, "mnuLoadAutosave", "Загр&узить автосохранение", None, nullptr, false},
    {1, "s13", "-", None, nullptr, false},
    {1, "mnuLoadTabsSelective", "За&грузить вкладки (вы&борочно)", None, nullptr, false},
    {1, "mnuLoadAutosaveSelective", "Загруз&ить автосохранение (выборочно)", None, nullptr,
     false},
    {1, "mnuSeparat", "-", None, nullptr, false},
    {1, "mnuExit", "В&ыход", None, nullptr, false},
    {0, "mnuEdit", "&Правка", None, nullptr, true},
    {1, "mnuCut", "&Вырезать", None, nullptr, false},
    {1, "mnuCopy", "&Копировать", None, nullptr, false},
    {1, "mnuPaste", "В&ставить", None, nullptr, false},
    {1, "mnuSelAll", "В&ыделить всё", None, nullptr, false},
    {0, "Favorites", "&Избранное", None, nullptr, true},
    {1, "mnuAddToFavoites", "&Добавить в избранное", None, nullptr, false},
    {1, "mnuEditFavorites", "&Упорядочить избранное", None, nullptr, false},
    {1, "mnusep", "-", None, nullptr, false},
    {1, "FavItem_0", "", Hidden, nullptr, false},
    {1, "mnuShowFavorites", "&Просмотр избранного", Ticked, "Ctrl+W", false},
    {1, "mnuFavImport", "&Импорт избранного предыдущих версий", None, nullptr, false},
    {0, "mnuNav", "&Навигация", None, nullptr, true},
    {1, "mnuBack", "&Назад", None, nullptr, false},
    {1, "mnuForward", "&Вперед", None, nullptr, false},
    {1, "mnuStop", "&Стоп", None, nullptr, false},
    {1, "mnuRefresh", "&Обновить", None, nullptr, false},
    {1, "mnuHome", "&Домой", None, nullptr, false},
    {1, "mnuStopAll", "Ос&тановить все", None, nullptr, false},
    {0, "mnuTools", "&Мелочи", None, nullptr, true},
    {1, "mnuTop", "&Поверх всех окон", Ticked, nullptr, false},
    {1, "mnuOptions", "&Настройки", None, nullptr, false},
    {1, "sep17", "-", None, nullptr, false},
    {1, "mnuMem", "&Свободная память", None, nullptr, false},
    {1, "mnuMemMesOff", "&Откл. предупреждения о нехватке памяти", Checkable, nullptr, false},
    {1, "sep19", "-", None, nullptr, false},
    {1, "mnuBatch", "Групповые операции", None, nullptr, false},
    {1, "mnusepsepsep", "-", None, nullptr, false},
    {1, "mnuDisplay", "Отображение", None, nullptr, true},
    {2, "mnuShowPictures", "Отображать картинки", Ticked, nullptr, false},
    {2, "mnuShowVideos", "Отображать видео", Ticked, nullptr, false},
    {2, "mnuEnableSounds", "Проигрывать звуки", Ticked, nullptr, false},
    {2, "mnuShowAnimations", "Проигрывать анимацию", Ticked, nullptr, false},
    {2, "mnuShowFlash", "Проигрывать Flash-анимацию", Ticked, nullptr, false},
    {1, "sep14", "-", None, nullptr, false},
    {1, "mnuConnect", "&Подключиться к интернету", None, nullptr, true},
    {2, "MnuConnections_0", "(нет соединений)", Disabled, nullptr, false},
    {1, "mnuHangUp", "О&тключится от интернета", None, nullptr, false},
    {1, "sep15", "-", None, nullptr, false},
    {1, "mnuWinCatch", "&Фильтр окон", Ticked, nullptr, false},
    {1, "CAutosave", "&Разрешить автосохранение", Ticked, nullptr, false},
    {1, "sep16", "-", None, nullptr, false},
    {1, "mnuTabCatch", "Ло&вец вкладок", Hidden | Ticked, nullptr, false},
    {1, "mnuIE", "О&ткрывать все новые окна в IE", Ticked, nullptr, false},
    {1, "mnuFormFiller", "Формграббер", Hidden, nullptr, false},
    {1, "mnuNoLabels", "Без подписей к кнопкам", Hidden | Ticked, nullptr, false},
    {1, "mnuIECpl", "Свойства интернета (IE)", None, nullptr, false},
    {1, "sep20", "-", None, nullptr, false},
    {1, "mnuLanguage", "Language", None, nullptr, true},
    {2, "mnulng_0", "English", None, nullptr, false},
    {0, "mnuHelp", "&Справка", None, nullptr, true},
    {1, "mnuCallHelp", "&Вызов справки", None, "F1", false},
    {1, "mnuAbout", "&О программе", None, nullptr, false},
    {1, "msnus934", "-", None, nullptr, false},
    {1, "mnuHPage", "&Домашняя страничка Velmora", None, nullptr, false},
};

// Items no language file captions, in English.
const std::pair<const char *, const char16_t *> englishCaptions[] = {
    {"mnuLoadTabsSelective", u"Load tabs (&selectively)"},
    {"mnuLoadAutosaveSelective", u"Load auto&save (selectively)"},
    {"mnuStopAll", u"S&top all"},
    {"mnuBatch", u"&Group operations"},
    {"mnuFormFiller", u"Form filler"},
    {"mnuNoLabels", u"No button captions"},
};

QString englishCaption(const char *name)
{
    for (const auto &[item, english] : englishCaptions) {
        if (qstrcmp(item, name) == 0)
            return QString::fromUtf16(english);
    }
    return {};
}

} // namespace

void frmMain::createMenus()
{
    QMenu *parents[3] = {nullptr, nullptr, nullptr};
    for (const MenuItem &item : menuTree) {
        const QString name = QString::fromLatin1(item.name);
        QString caption = QString::fromUtf8(item.caption);
        if (const QString english = englishCaption(item.name); !english.isEmpty())
            caption = m_program.language().own(caption, english);
        if (item.submenu) {
            QMenu *menu = item.depth == 0 ? menuBar()->addMenu(caption)
                                          : parents[item.depth - 1]->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name + QStringLiteral("_menu"));
            parents[item.depth] = menu;
            continue;
        }
        QMenu *parent = parents[item.depth - 1];
        QAction *action = caption == QStringLiteral("-") ? parent->addSeparator()
                                                         : parent->addAction(caption);
        action->setObjectName(name);
        // Design-time check marks; the load clears them or sets them from settings.
        if (item.flags & (Ticked | Checkable)) {
            action->setCheckable(true);
            action->setChecked(item.flags & Ticked);
        }
        if (item.flags & Hidden)
            action->setVisible(false);
        if (item.flags & Disabled)
            action->setEnabled(false);
        if (item.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
    }

    mnuNew = actionNamed(QStringLiteral("mnuNew"));
    mnuClose = actionNamed(QStringLiteral("mnuClose"));
    mnuCloseAllTabs = actionNamed(QStringLiteral("mnuCloseAllTabs"));
    mnuBack = actionNamed(QStringLiteral("mnuBack"));
    mnuForward = actionNamed(QStringLiteral("mnuForward"));
    mnuStop = actionNamed(QStringLiteral("mnuStop"));
    mnuRefresh = actionNamed(QStringLiteral("mnuRefresh"));
    mnuHome = actionNamed(QStringLiteral("mnuHome"));
    mnuTop = actionNamed(QStringLiteral("mnuTop"));
    mnuOffline = actionNamed(QStringLiteral("mnuOffline"));
    mnuTabCatch = actionNamed(QStringLiteral("mnuTabCatch"));
    mnuWinCatch = actionNamed(QStringLiteral("mnuWinCatch"));
    CAutosave = actionNamed(QStringLiteral("CAutosave"));
    mnuIE = actionNamed(QStringLiteral("mnuIE"));
    mnuNoLabels = actionNamed(QStringLiteral("mnuNoLabels"));
    mnuMemMesOff = actionNamed(QStringLiteral("mnuMemMesOff"));
    mnuShowFavorites = actionNamed(QStringLiteral("mnuShowFavorites"));
    mnuLanguage = menuNamed(QStringLiteral("mnuLanguage"));
    mnulng.push_back(actionNamed(QStringLiteral("mnulng_0")));

    connect(mnuNew, &QAction::triggered, this, &frmMain::cmdNew_Click);
    connect(mnuClose, &QAction::triggered, this, &frmMain::cmdClose_Click);
    connect(mnuCloseAllTabs, &QAction::triggered, this, &frmMain::mnuCloseAllTabs_Click);
    connect(mnuBack, &QAction::triggered, this, &frmMain::goBack);
    connect(mnuForward, &QAction::triggered, this, &frmMain::goForward);
    connect(mnuHome, &QAction::triggered, this, &frmMain::goHome);
    connect(mnuStop, &QAction::triggered, this, &frmMain::stopLoading);
}

QMenu *frmMain::menuNamed(const QString &name) const
{
    return findChild<QMenu *>(name);
}

QAction *frmMain::actionNamed(const QString &name) const
{
    return findChild<QAction *>(name);
}

} // namespace velmora::mainwindow
