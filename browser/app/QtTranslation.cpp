#include "QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

namespace {

// The file dialog's Type column ("Folder", "%1 File") asks its icon
// provider, whose context the system's translations lack; the file dialog's
// own context holds the same texts.
class FileTypeTexts : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation)
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        return QCoreApplication::translate("QFileDialog", sourceText, nullptr, n);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

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
    m_fileTypes = std::make_unique<FileTypeTexts>();
    QCoreApplication::installTranslator(m_fileTypes.get());
    m_code = code;
    return true;
}

void QtTranslation::remove()
{
    if (m_fileTypes)
        QCoreApplication::removeTranslator(m_fileTypes.get());
    m_fileTypes.reset();
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
    m_translator.reset();
    m_code.clear();
}

} // namespace velmora
