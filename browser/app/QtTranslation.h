#pragma once

#include <QString>

#include <memory>

class QTranslator;

namespace velmora {

// Qt's own texts (standard buttons, file dialogs, message boxes) in the
// interface language: the system's qtbase translation for that language is
// installed into the application while this object holds it.
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

    // "ru" for "Russian"; "" for English and names Qt does not know.
    static QString localeCode(const QString &languageName);

private:
    void remove();

    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<QTranslator> m_fileTypes;
    QString m_code;
};

} // namespace velmora
