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
    // The engine takes its locale (error pages, its own dialogs) once, when
    // it starts: so the locale follows the interface, never the system's.
    QLocale::setDefault(localeFor(code));
    m_localeSet = true;
    if (code == m_code)
        return !m_code.isEmpty();
    removeTranslators();
    if (code.isEmpty())
        return false;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + code, folder))
        return false;
    if (!QCoreApplication::installTranslator(translator.get()))
        return false;
    m_translator = std::move(translator);
    m_fileTypes = std::make_unique<FileTypeTexts>();
    QCoreApplication::installTranslator(m_fileTypes.get());
    // The engine's page menu and its dialogs; a missing file leaves them English.
    auto engine = std::make_unique<QTranslator>();
    if (engine->load(QStringLiteral("qtwebengine_") + code, folder)
        && QCoreApplication::installTranslator(engine.get()))
        m_engine = std::move(engine);
    m_code = code;
    return true;
}

QString QtTranslation::localeName() const
{
    return localeFor(m_code).name();
}

QLocale QtTranslation::localeFor(const QString &code)
{
    return code.isEmpty() ? QLocale(QLocale::English, QLocale::UnitedStates) : QLocale(code);
}

void QtTranslation::removeTranslators()
{
    for (std::unique_ptr<QTranslator> *t : {&m_engine, &m_fileTypes, &m_translator}) {
        if (*t)
            QCoreApplication::removeTranslator(t->get());
        t->reset();
    }
    m_code.clear();
}

void QtTranslation::remove()
{
    removeTranslators();
    if (m_localeSet)
        QLocale::setDefault(QLocale::system());
    m_localeSet = false;
}

} // namespace velmora
