#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>

class QObject;

namespace velmora::services {

// The interface texts of the run: the message table read by every window
// and the captioned objects each window has bound so far. The program owns
// one instance for the whole run; windows are looked up by object name.
class Language
{
public:
    static constexpr int TextCount = 101;
    static constexpr int ControlCount = 142;
    // Lines the main window reads from a Language file (the most of any window).
    static constexpr int FileLineCount = 218;

    // The identifier each window passes when it applies the language.
    enum WindowId {
        RemoveWindow = 1,
        OptionsWindow = 2,
        MemSaveWindow = 3,
        MainWindow = 4,
        HotWordsWindow = 6,
        StartWindow = 7, // also the about box
        FavEditWindow = 8,
        FavAddWindow = 9,
        FavoritesTreeWindow = 15,
    };

    Language() = default;
    Language(const Language &) = delete;
    Language &operator=(const Language &) = delete;

    // Throws RuntimeError(SubscriptOutOfRange) outside 0..100.
    QString langText(int i) const;
    void setLangText(int i, const QString &text);
    // The object bound to entry i (0..141), null when unbound or gone.
    // Throws RuntimeError(SubscriptOutOfRange) outside 0..141.
    QObject *langControl(int i) const;

    // The entries a window captions; -1 for windows without captions.
    static int firstCaptionLine(int id);
    static int lastCaptionLine(int id);

    // Points the entries of window id at the window's objects. The whole
    // window is window itself; an object missing from it leaves its entry
    // empty. Ids without entries bind nothing.
    void bindFormControls(int id, QObject *window);

    // Reads the Language file of language and captions window (identifier
    // id) from it, fills the message table and swaps the pictures of other
    // languages. Throws RuntimeError when the file is missing (nothing
    // applied) or ends early (what was read stays applied).
    void applyLanguage(const QString &programDir, const QString &language, int id,
                       QObject *window);

    // First name of the Language list; throws when the list is missing or empty.
    QString getDefaultLanguage(const QString &programDir) const;
    // Every name of the Language list, for the language menu. Throws only
    // when the list cannot be opened; a damaged rest ends the list early.
    QStringList loadLanguageList(const QString &programDir) const;
    // Diagnostic: the number of values the Russian file yields when read as
    // values (commas split lines). Throws when the file is missing.
    int countLanguageLines(const QString &programDir) const;

    static QString languageListFileName(const QString &programDir);
    // The file of language in programDir, found ignoring letter case.
    static QString languageFileName(const QString &programDir, const QString &language);
    // The program's help file (WTHELP*.html) and the open dialog's (help*.html):
    // the base name alone for Russian, else followed by the first two
    // characters of the language name.
    static QString helpFileName(const QString &programDir, const QString &language);
    static QString dialogHelpFileName(const QString &programDir, const QString &language);

    // Set by the start-up window around its own call of applyLanguage, so
    // that window 7 gets the start-up picture rather than the about picture.
    void setStartLangLoading(bool on) { m_startLangLoading = on; }
    bool startLangLoading() const { return m_startLangLoading; }

    // The language whose file was applied last; empty before the first.
    QString currentLanguage() const { return m_current; }
    // A text of our own that no language file holds, compiled in for the
    // shipped languages: Russian while the interface is Russian (or before
    // any file was read), English for every other language.
    QString own(const char16_t *russian, const char16_t *english) const;
    QString own(const QString &russian, const QString &english) const;

    // Screen scale used when the options window is re-aligned for English.
    void setTwipsPerPixel(double twipsPerPixel) { m_twipsPerPixel = twipsPerPixel; }
    double twipsPerPixel() const { return m_twipsPerPixel; }

private:
    void realignOptionsWindow(QObject *window) const;

    std::array<QString, TextCount> m_langText;
    std::array<QPointer<QObject>, ControlCount> m_controls;
    QString m_current;
    bool m_startLangLoading = false;
    double m_twipsPerPixel = 15;
};

} // namespace velmora::services
