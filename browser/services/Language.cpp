#include "Language.h"

#include "ProgramFolder.h"

#include "CaptionTargets.h"
#include "RuntimeError.h"
#include "RuntimeFiles.h"
#include "Steps.h"

#include <QDir>
#include <QObject>

#include <span>
#include <string>
#include <utility>

namespace velmora::services {

namespace {

const QString Russian = QStringLiteral("Russian");
const QString English = QStringLiteral("English");

// Caption lines 0..101 come first in every Language file.
constexpr int CaptionLineCount = 102;
// Message entries 0..33 follow them.
constexpr int FirstTextCount = 34;

// One captioned object of a window: its entry and its object name; an empty
// name is the window itself.
struct Binding
{
    int entry;
    const char *name;
};

constexpr Binding mainBindings[] = {
    {0, "mnuFile"},
    {1, "mnuEdit"},
    {2, "Favorites"},
    {3, "mnuNav"},
    {4, "mnuTools"},
    {5, "mnuHelp"},
    {6, "mnuNew"},
    {7, "mnuProp"},
    {8, "mnuSave"},
    {9, "mnuOpen"},
    {10, "mnuPrint"},
    {11, "mnuPrint_p"},
    {12, "mnuSetPrint"},
    {13, "wOffLineToAll"},
    {14, "mnuOffline"},
    {15, "mnuSaveTabs"},
    {16, "mnuLoadTabs"},
    {17, "mnuClose"},
    {18, "mnuCloseAllTabs"},
    {19, "mnuLoadAutosave"},
    {20, "mnuExit"},
    {21, "mnuCut"},
    {22, "mnuCopy"},
    {23, "mnuPaste"},
    {24, "mnuSelAll"},
    {25, "mnuAddToFavoites"},
    {26, "mnuEditFavorites"},
    {27, "FavItem_0"},
    {28, "mnuBack"},
    {29, "mnuForward"},
    {30, "mnuStop"},
    {31, "mnuRefresh"},
    {32, "mnuHome"},
    {33, "mnuTop"},
    {34, "mnuOptions"},
    {35, "mnuMem"},
    {36, "CAutosave"},
    {37, "mnuMemMesOff"},
    {38, "mnuWinCatch"},
    {39, "mnuTabCatch"},
    {40, "mnuIE"},
    {41, "mnuCallHelp"},
    {42, "mnuAbout"},
    {43, "Toolbar1_Button1"},
    {44, "Toolbar1_Button2"},
    {45, "Toolbar1_Button3"},
    {46, "Toolbar1_Button4"},
    {47, "Toolbar1_Button5"},
    {48, "Toolbar1_Button6"},
    {49, "Toolbar1_Button7"},
    {50, "Toolbar1_Button8"},
    {51, "Toolbar1_Button9"},
    {52, "Toolbar1_Button10"},
    {53, "lblAddress"},
    {54, "lblGo"},
    {134, "mnuDisplay"},
    {135, "mnuShowPictures"},
    {136, "mnuShowVideos"},
    {137, "mnuEnableSounds"},
    {138, "mnuShowAnimations"},
    {139, "mnuShowFlash"},
    {140, "mnuShowFavorites"},
    {141, "mnuFavImport"},
};

constexpr Binding optionsBindings[] = {
    {55, ""},           {56, "lblRemove"},   {57, "cmdRemove"},   {58, "lblHW"},
    {59, "cmdSetHW"},   {60, "lblNW"},       {61, "Option2"},     {62, "Option1"},
    {63, "lblConfExit"}, {64, "Option3"},     {65, "Option4"},     {66, "lblSaveMode"},
    {67, "Option5"},    {68, "Option6"},     {69, "lblHomePage"}, {70, "cmdReset"},
    {71, "cmdCurrent"}, {72, "cmdBlank"},    {73, "cmdOk"},       {74, "cmdCancel"},
    {75, "cmdApply"},
};

constexpr Binding removeBindings[] = {
    {76, ""}, {77, "cmdRemAll"}, {78, "cmdRemove"}, {79, "cmdExWO"}, {80, "cmdClose"},
};

constexpr Binding hotWordsBindings[] = {
    {81, ""}, {82, "Label1"}, {83, "Label2"}, {84, "cmdRemove"}, {85, "cmdCreate"}, {86, "cmdOk"},
};

constexpr Binding favAddBindings[] = {
    {87, ""}, {88, "Label1"}, {89, "cmdAdd"}, {90, "cmdCancel"}, {91, "Label2"}, {92, "cmdReset"},
};

constexpr Binding favEditBindings[] = {
    {93, ""}, {94, "cmdRemove"}, {95, "cmdRename"}, {96, "cmdChURL"},
};

constexpr Binding memSaveBindings[] = {
    {97, ""}, {98, "Label1"},
};

constexpr Binding favoritesTreeBindings[] = {
    {128, ""},           {129, "lblCapt"},           {130, "cmdLoad"},
    {131, "cmdOpenInNewWindow"}, {132, "cmdFavEdit"}, {133, "cmdCancel"},
};

std::span<const Binding> bindingsOf(int id)
{
    switch (id) {
    case Language::MainWindow:
        return mainBindings;
    case Language::OptionsWindow:
        return optionsBindings;
    case Language::RemoveWindow:
        return removeBindings;
    case Language::HotWordsWindow:
        return hotWordsBindings;
    case Language::FavAddWindow:
        return favAddBindings;
    case Language::FavEditWindow:
        return favEditBindings;
    case Language::MemSaveWindow:
        return memSaveBindings;
    case Language::FavoritesTreeWindow:
        return favoritesTreeBindings;
    default:
        return {};
    }
}

// The main window's targets of lines 150..154, read in this order.
constexpr const char *mainExtraCaptions[] = {
    "popCloseIt", "mnuHPage", "mnuHangUp", "mnuConnect", "MnuConnections_0",
};

void checkIndex(int i, int count)
{
    if (i < 0 || i >= count)
        throw RuntimeError(RuntimeError::SubscriptOutOfRange,
                           "Subscript out of range: " + std::to_string(i));
}

QObject *named(const QObject *window, const char *name)
{
    return findNamed(window, QString::fromLatin1(name));
}

// Raw lines taken one at a time; running out is the runtime's end-of-file error.
class LineCursor
{
public:
    explicit LineCursor(QStringList lines) : m_lines(std::move(lines)) {}

    QString next()
    {
        if (m_pos >= m_lines.size())
            throw RuntimeError(RuntimeError::InputPastEnd, "Input past end of file");
        return m_lines.at(m_pos++);
    }

    void skip(int count)
    {
        for (int k = 0; k < count; ++k)
            next();
    }

private:
    QStringList m_lines;
    qsizetype m_pos = 0;
};

QString helpName(const QString &programDir, const QString &base, const QString &language)
{
    const QString suffix = language == Russian ? QString() : language.left(2);
    // The help files here are web pages.
    return shippedFile(programDir, base % suffix % u".html");
}

} // namespace

QString Language::langText(int i) const
{
    checkIndex(i, TextCount);
    return m_langText[size_t(i)];
}

void Language::setLangText(int i, const QString &text)
{
    checkIndex(i, TextCount);
    m_langText[size_t(i)] = text;
}

QObject *Language::langControl(int i) const
{
    checkIndex(i, ControlCount);
    return m_controls[size_t(i)].data();
}

int Language::firstCaptionLine(int id)
{
    switch (id) {
    case MainWindow:
        return 0;
    case OptionsWindow:
        return 55;
    case RemoveWindow:
        return 76;
    case HotWordsWindow:
        return 81;
    case FavAddWindow:
        return 87;
    case FavEditWindow:
        return 93;
    case MemSaveWindow:
        return 97;
    case FavoritesTreeWindow:
        return 128;
    default:
        return -1;
    }
}

int Language::lastCaptionLine(int id)
{
    switch (id) {
    case MainWindow:
        return 54;
    case OptionsWindow:
        return 75;
    case RemoveWindow:
        return 80;
    case HotWordsWindow:
        return 86;
    case FavAddWindow:
        return 92;
    case FavEditWindow:
        return 96;
    case MemSaveWindow:
        return 98;
    case FavoritesTreeWindow:
        return 133;
    default:
        return -1;
    }
}

void Language::bindFormControls(int id, QObject *window)
{
    for (const Binding &binding : bindingsOf(id)) {
        const QString name = QString::fromLatin1(binding.name);
        QObject *object = name.isEmpty() ? window : findNamed(window, name);
        m_controls[size_t(binding.entry)] = object;
    }
}

void Language::applyLanguage(const QString &programDir, const QString &language, int id,
                             QObject *window)
{
    bindFormControls(id, window);
    LineCursor in(runtime::readRawLines(
        runtime::readWholeFile(languageFileName(programDir, language))));

    const int first = firstCaptionLine(id);
    const int last = lastCaptionLine(id);
    for (int i = 0; i < CaptionLineCount; ++i) {
        const QString line = in.next();
        if (first <= i && i <= last)
            setCaption(m_controls[size_t(i)], line);
    }
    for (int j = 0; j < FirstTextCount; ++j)
        m_langText[size_t(j)] = in.next();
    m_current = language;

    if (id == MainWindow) {
        in.skip(2);
        for (int j = 43; j <= 52; ++j)
            setToolTip(m_controls[size_t(j)], in.next());
        QObject *dialog = named(window, "cdlOpen");
        const QString title = in.next();
        const QString filter = in.next();
        if (dialog) {
            dialog->setProperty("DialogTitle", title);
            dialog->setProperty("Filter", filter);
        }
        for (const char *name : mainExtraCaptions)
            setCaption(named(window, name), in.next());
        m_langText[46] = in.next();
        setCaption(named(window, "mnuIECpl"), in.next());
        if (language != Russian)
            setPicture(named(window, "MB"), alternativeBadgePicture());
        if (dialog)
            dialog->setProperty("HelpFile", dialogHelpFileName(programDir, language));
    }

    if (language != Russian && m_startLangLoading)
        setPicture(named(window, "imgAbout"), alternativeStartPicture());
    else if (language != Russian && id == StartWindow)
        setPicture(named(window, "imgAbout"), alternativeAboutPicture());

    if (language == English && id == OptionsWindow)
        realignOptionsWindow(window);

    if (id == FavoritesTreeWindow) {
        in.skip(55);
        for (int e = 128; e <= 133; ++e)
            setCaption(m_controls[size_t(e)], in.next());
    }

    if (id == MainWindow) {
        in.skip(40);
        for (int e = 134; e <= 141; ++e)
            setCaption(m_controls[size_t(e)], in.next());
        for (int j = 34; j <= 46; ++j)
            m_langText[size_t(j)] = in.next();
    }
}

void Language::realignOptionsWindow(QObject *window) const
{
    const double t = m_twipsPerPixel;
    centreText(named(window, "lblRemove"));
    setTopTwips(named(window, "lblConfExit"), 2400, t);
    setHeightTwips(named(window, "Frame2"), 400, t);
    setTopTwips(named(window, "Option4"), 120, t);
    setTopTwips(named(window, "Option3"), 120, t);
    setLeftTwips(named(window, "Option5"), 1150, t);
    setLeftTwips(named(window, "Option6"), 2530, t);
    setTopTwips(named(window, "lblRemove"), 175, t);
    setTopTwips(named(window, "cmdRemove"), 650, t);
    centreText(named(window, "lblHW"));
    setTopTwips(named(window, "lblHW"), 1190, t);
    setTopTwips(named(window, "cmdSetHW"), 1455, t);
}

QString Language::getDefaultLanguage(const QString &programDir) const
{
    runtime::ValueReader reader(runtime::readWholeFile(languageListFileName(programDir)));
    // A list of blank lines names no language either.
    if (reader.atEnd())
        throw RuntimeError(RuntimeError::InputPastEnd, "Input past end of file");
    return reader.readText();
}

QStringList Language::loadLanguageList(const QString &programDir) const
{
    runtime::ValueReader reader(runtime::readWholeFile(languageListFileName(programDir)));
    QStringList names;
    step([&] {
        while (!reader.atEnd())
            names.append(reader.readText());
    });
    return names;
}

int Language::countLanguageLines(const QString &programDir) const
{
    runtime::ValueReader reader(runtime::readWholeFile(
        languageFileName(programDir, QStringLiteral("russian"))));
    int count = 0;
    while (!reader.atEnd()) {
        reader.readText();
        ++count;
    }
    return count;
}

QString Language::own(const char16_t *russian, const char16_t *english) const
{
    return own(QString::fromUtf16(russian), QString::fromUtf16(english));
}

QString Language::own(const QString &russian, const QString &english) const
{
    const bool isRussian = m_current.isEmpty() || m_current.compare(Russian, Qt::CaseInsensitive) == 0;
    return isRussian ? russian : english;
}

QString Language::languageListFileName(const QString &programDir)
{
    return shippedFile(programDir, QStringLiteral("lang.lng"));
}

QString Language::languageFileName(const QString &programDir, const QString &language)
{
    const QString name = language % u".lng";
    const auto find = [&name](const QDir &dir) -> QString {
        if (dir.exists(name))
            return dir.filePath(name);
        // The names come from the list and the settings, written by people
        // who expect a file system that ignores letter case.
        const QStringList present = dir.entryList(QDir::Files);
        for (const QString &candidate : present) {
            if (candidate.compare(name, Qt::CaseInsensitive) == 0)
                return dir.filePath(candidate);
        }
        return {};
    };
    if (QString found = find(QDir(programDir)); !found.isEmpty())
        return found;
    // An installed program reads the shipped files where they were installed.
    const QString installed = installedDataFolder();
    if (!installed.isEmpty()) {
        if (QString found = find(QDir(installed)); !found.isEmpty())
            return found;
    }
    return QDir(programDir).filePath(name);
}

QString Language::helpFileName(const QString &programDir, const QString &language)
{
    return helpName(programDir, QStringLiteral("WTHELP"), language);
}

QString Language::dialogHelpFileName(const QString &programDir, const QString &language)
{
    return helpName(programDir, QStringLiteral("help"), language);
}

} // namespace velmora::services
