#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

QtTranslation::QtTranslation() = default;

QtTranslation::~QtTranslation()
{
    remove();
}

QString QtTranslation::localeCode(const QString &languageName)
{
    const QString name = languageName.trimmed();
    if (name.isEmpty())
        return {};
    // The language list names languages in English, as Qt does.
    for (int l = QLocale::AnyLanguage + 1; l <= QLocale::LastLanguage; ++l) {
        const auto language = static_cast<QLocale::Language>(l);
        if (QLocale::languageToString(language).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (language == QLocale::English)
            return {};
        const QString code = QLocale(language).name().section(u'_', 0, 0);
        return code == u"C" ? QString() : code;
    }
    return {};
}

bool QtTranslation::use(const QString &languageName)
{
    const QString code = localeCode(languageName);
    if (code == m_code)
        return !m_code.isEmpty();
    remove();
    if (code.isEmpty())
        return false;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_") + code, folder))
        return false;
    if (!QCoreApplication::installTranslator(translator.get()))
        return false;
    m_translator = std::move(translator);
    m_code = code;
    return true;
}

void QtTranslation::remove()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator.reset();
    m_code.clear();
}

} // namespace velmora
