#pragma once

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

namespace velmora {

// Qt's own texts (standard buttons, file dialogs, message boxes, the web
// engine's page menu) in the interface language: the system's qtbase and
// qtwebengine translations for that language are installed into the
// application while this object holds them, and the interface language is
// the default locale, which the engine takes for its error pages.
class QtTranslation
{
public:
    QtTranslation();
    ~QtTranslation();
    QtTranslation(const QtTranslation &) = delete;
    QtTranslation &operator=(const QtTranslation &) = delete;

    // Installs the translation of the language named as in the language
    // list ("Russian", "English"); English and names without a translation
    // leave Qt's built-in English. True when a translation was installed.
    bool use(const QString &languageName);
    // The locale code of the installed translation, "" when none.
    QString installed() const { return m_code; }
    // The interface language's locale ("ru_RU", "en_US").
    QString localeName() const;

    // "ru" for "Russian"; "" for English and names Qt does not know.
    static QString localeCode(const QString &languageName);

private:
    static QLocale localeFor(const QString &code);
    void removeTranslators();
    void remove();

    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<QTranslator> m_fileTypes;
    std::unique_ptr<QTranslator> m_engine;
    QString m_code;
    bool m_localeSet = false;
};

} // namespace velmora
