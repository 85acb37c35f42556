#include "frmPageProperties.h"

#include "Language.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace velmora::windows {

using platform::PageFacts;

namespace {

// Long addresses and titles wrap in a dialog that fits the screen.
constexpr int ValueWidth = 460;

} // namespace

frmPageProperties::frmPageProperties(const services::Language &language, QWidget *parent)
    : QDialog(parent)
    , m_lang(language)
{
    setObjectName(u"frmPageProperties"_s);
    setWindowTitle(m_lang.own(u"Свойства", u"Properties"));
    auto *layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    m_form->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addLayout(m_form);
    const std::pair<Row, QString> rows[] = {
        {Row::Title, m_lang.own(u"Заголовок:", u"Title:")},
        {Row::Address, m_lang.own(u"Адрес:", u"Address:")},
        {Row::Protocol, m_lang.own(u"Протокол:", u"Protocol:")},
        {Row::Type, m_lang.own(u"Тип:", u"Type:")},
        {Row::Size, m_lang.own(u"Размер:", u"Size:")},
        {Row::Connection, m_lang.own(u"Соединение:", u"Connection:")},
        {Row::Certificate, m_lang.own(u"Сертификат выдан:", u"Certificate issued to:")},
        {Row::Issuer, m_lang.own(u"Кем выдан:", u"Issued by:")},
        {Row::Validity, m_lang.own(u"Действителен:", u"Valid:")},
        {Row::Modified, m_lang.own(u"Изменён:", u"Modified:")},
        {Row::Created, m_lang.own(u"Создан:", u"Created:")},
        {Row::ServerDate, m_lang.own(u"Дата ответа сервера:", u"Server's date:")},
    };
    for (const auto &[row, caption] : rows) {
        auto *value = new QLabel(this);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setTextFormat(Qt::PlainText);
        value->setMinimumWidth(ValueWidth);
        m_form->addRow(caption, value);
        m_values.insert(row, value);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

frmPageProperties *frmPageProperties::showFor(platform::WebBrowser &browser,
                                              const services::Language &language, QWidget *owner)
{
    auto *dialog = new frmPageProperties(language, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    PageFacts known;
    known.address = browser.LocationURL();
    known.title = browser.Document() ? browser.Document()->title() : QString();
    known.scheme = QUrl(known.address).scheme();
    dialog->showFacts(known, true);
    dialog->open();
    const QPointer<frmPageProperties> guarded(dialog);
    browser.readPageFacts([guarded](const PageFacts &facts) {
        if (guarded)
            guarded->showFacts(facts);
    });
    return dialog;
}

QString frmPageProperties::rowText(Row row) const
{
    QLabel *value = m_values.value(row);
    return value && m_form->isRowVisible(value) ? value->text() : QString();
}

void frmPageProperties::setRow(Row row, const QString &text)
{
    QLabel *value = m_values.value(row);
    value->setText(text);
    m_form->setRowVisible(value, !text.isEmpty());
}

void frmPageProperties::showFacts(const PageFacts &facts, bool reading)
{
    const QLocale locale;
    const QString unknown = reading ? m_lang.own(u"читается…", u"reading…")
                                    : m_lang.own(u"неизвестно", u"unknown");
    const auto date = [&](const QDateTime &when) {
        return when.isValid() ? locale.toString(when.toLocalTime(), QLocale::LongFormat) : unknown;
    };
    const QString scheme = facts.scheme.toLower();
    const bool web = scheme == "http"_L1 || scheme == "https"_L1;
    const bool file = scheme == "file"_L1;

    setRow(Row::Title, facts.title.isEmpty() ? m_lang.own(u"(нет)", u"(none)") : facts.title);
    setRow(Row::Address, facts.address);

    QString protocol;
    if (scheme == "http"_L1)
        protocol = m_lang.own(u"HTTP (протокол передачи гипертекста)",
                              u"HTTP (HyperText Transfer Protocol)");
    else if (scheme == "https"_L1)
        protocol = m_lang.own(u"HTTPS (HTTP через защищённое соединение TLS)",
                              u"HTTPS (HTTP over a secure TLS connection)");
    else if (file)
        protocol = m_lang.own(u"Файл на этом компьютере", u"File on this computer");
    else
        protocol = scheme.isEmpty() ? unknown : scheme.toUpper();
    if (web && !facts.wireProtocol.isEmpty())
        protocol += ", "_L1 + facts.wireProtocol;
    setRow(Row::Protocol, protocol);

    setRow(Row::Type, facts.mimeType.isEmpty() ? unknown : facts.mimeType);
    setRow(Row::Size, facts.size < 0 ? unknown
                                      : m_lang.own(u"%1 байт", u"%1 bytes")
                                            .arg(locale.toString(facts.size)));

    QString connection;
    if (facts.failed) {
        connection = m_lang.own(u"Страница не загружена", u"The page did not load");
    } else if (reading && web) {
        connection = unknown;
    } else if (facts.encrypted) {
        connection = m_lang.own(u"Зашифровано (TLS)", u"Encrypted (TLS)");
        if (facts.certificateExcepted)
            connection += m_lang.own(
                u"; сертификат сайта не прошёл проверку, вы разрешили этот сайт до конца работы",
                u"; the site's certificate failed its check, you let this site pass for this run");
    } else if (web) {
        connection = m_lang.own(u"Не зашифровано", u"Not encrypted");
    }
    setRow(Row::Connection, connection);

    if (facts.encrypted) {
        const PageFacts::Certificate &cert = facts.certificate;
        if (facts.certificateRead) {
            setRow(Row::Certificate, cert.subject.isEmpty() ? unknown : cert.subject);
            setRow(Row::Issuer,
                   (cert.issuer.isEmpty() ? unknown : cert.issuer)
                       + (cert.trusted
                              ? m_lang.own(u" (центр сертификации системы)",
                                           u" (an authority the system trusts)")
                              : m_lang.own(u" (системе не известен)",
                                           u" (not known to the system)")));
            setRow(Row::Validity,
                   m_lang.own(u"с %1 по %2", u"from %1 to %2")
                       .arg(date(cert.validFrom), date(cert.validTo)));
        } else {
            // Read over a connection of its own to the site.
            QString why = m_lang.own(u"не удалось получить от сайта",
                                     u"could not be had from the site");
            if (facts.offline)
                why = m_lang.own(u"не запрашивается в автономном режиме",
                                 u"not asked for while working offline");
            setRow(Row::Certificate, reading ? unknown : why);
            setRow(Row::Issuer, {});
            setRow(Row::Validity, {});
        }
    } else {
        setRow(Row::Certificate, {});
        setRow(Row::Issuer, {});
        setRow(Row::Validity, {});
    }

    setRow(Row::Modified, date(facts.modified));
    setRow(Row::Created, file ? date(facts.created) : QString());
    setRow(Row::ServerDate, web ? date(facts.serverDate) : QString());
    adjustSize();
}

} // namespace velmora::windows
