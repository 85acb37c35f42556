// The page's properties as the dialog shows them.

#include "ProgramFixture.h"

#include "Language.h"
#include "Program.h"
#include "SettingsStore.h"
#include "frmPageProperties.h"

#include <QTest>

using velmora::platform::PageFacts;
using velmora::test::ProgramFixture;
using velmora::windows::frmPageProperties;
using Row = frmPageProperties::Row;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(velmora::platform::PageFacts)

namespace {

PageFacts httpsPage()
{
    PageFacts facts;
    facts.address = u"https://example.com/a"_s;
    facts.title = u"Example"_s;
    facts.scheme = u"https"_s;
    facts.wireProtocol = u"h2"_s;
    facts.mimeType = u"text/html"_s;
    facts.size = 12345;
    facts.encrypted = true;
    facts.certificateRead = true;
    facts.certificate.subject = u"example.com; Example Ltd"_s;
    facts.certificate.issuer = u"Example CA"_s;
    facts.certificate.validFrom = QDateTime(QDate(2025, 1, 2), QTime(3, 4), Qt::UTC);
    facts.certificate.validTo = QDateTime(QDate(2027, 5, 6), QTime(7, 8), Qt::UTC);
    facts.certificate.trusted = true;
    facts.modified = QDateTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC);
    facts.serverDate = QDateTime(QDate(2026, 12, 10), QTime(9, 30), Qt::UTC);
    return facts;
}

struct Shown
{
    ProgramFixture fx;
    std::unique_ptr<frmPageProperties> dialog;
    explicit Shown(const QString &language, const PageFacts &facts, bool reading = false)
    {
        fx.program().settings().SaveSetting(u"general"_s, u"language"_s, language);
        fx.start();
        dialog = std::make_unique<frmPageProperties>(fx.program().language());
        dialog->showFacts(facts, reading);
    }
    QString row(Row r) const { return dialog->rowText(r); }
};

} // namespace

class tst_PageProperties : public QObject
{
    Q_OBJECT

private slots:
    void securePageInBothLanguages_data();
    void securePageInBothLanguages();
    void plainPageShowsNoCertificate();
    void certificateThatCouldNotBeRead_data();
    void certificateThatCouldNotBeRead();
    void exceptedCertificateIsSaid();
    void failedPageClaimsNoConnection();
    void localFileShowsItsDates();
    void unknownFactsAreSaidSo_data();
    void unknownFactsAreSaidSo();
};

void tst_PageProperties::securePageInBothLanguages_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("issuer");
    QTest::newRow("Russian") << u"Russian"_s << u"Свойства"_s << u"HTTPS"_s << u"байт"_s
                             << u"Зашифровано (TLS)"_s << u"Example CA (центр сертификации системы)"_s;
    QTest::newRow("English") << u"English"_s << u"Properties"_s << u"HTTPS"_s << u"12,345 bytes"_s
                             << u"Encrypted (TLS)"_s << u"Example CA (an authority the system trusts)"_s;
}

void tst_PageProperties::securePageInBothLanguages()
{
    QFETCH(QString, language);
    QFETCH(QString, title);
    QFETCH(QString, protocol);
    QFETCH(QString, size);
    QFETCH(QString, connection);
    QFETCH(QString, issuer);
    const Shown shown(language, httpsPage());
    QCOMPARE(shown.dialog->windowTitle(), title);
    QCOMPARE(shown.row(Row::Address), u"https://example.com/a"_s);
    QCOMPARE(shown.row(Row::Title), u"Example"_s);
    QVERIFY(shown.row(Row::Protocol).startsWith(protocol));
    QVERIFY2(shown.row(Row::Protocol).endsWith(u", h2"_s), qPrintable(shown.row(Row::Protocol)));
    QCOMPARE(shown.row(Row::Type), u"text/html"_s);
    QVERIFY2(shown.row(Row::Size).contains(size), qPrintable(shown.row(Row::Size)));
    QCOMPARE(shown.row(Row::Connection), connection);
    QCOMPARE(shown.row(Row::Certificate), u"example.com; Example Ltd"_s);
    QCOMPARE(shown.row(Row::Issuer), issuer);
    QVERIFY2(shown.row(Row::Validity).contains(u"2027"_s), qPrintable(shown.row(Row::Validity)));
    QVERIFY2(shown.row(Row::Modified).contains(u"2024"_s), qPrintable(shown.row(Row::Modified)));
    QVERIFY2(shown.row(Row::ServerDate).contains(u"2026"_s),
             qPrintable(shown.row(Row::ServerDate)));
    // Only files have a creation date to give.
    QCOMPARE(shown.row(Row::Created), QString());
}

void tst_PageProperties::plainPageShowsNoCertificate()
{
    PageFacts facts = httpsPage();
    facts.address = u"http://example.com/a"_s;
    facts.scheme = u"http"_s;
    facts.encrypted = false;
    const Shown shown(u"Russian"_s, facts);
    QCOMPARE(shown.row(Row::Connection), u"Не зашифровано"_s);
    QCOMPARE(shown.row(Row::Certificate), QString());
    QCOMPARE(shown.row(Row::Issuer), QString());
    QCOMPARE(shown.row(Row::Validity), QString());
}

void tst_PageProperties::certificateThatCouldNotBeRead_data()
{
    QTest::addColumn<bool>("reading");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<QString>("certificate");
    QTest::newRow("still reading") << true << false << u"reading…"_s;
    QTest::newRow("read failed") << false << false << u"could not be had from the site"_s;
    QTest::newRow("offline") << false << true << u"not asked for while working offline"_s;
}

void tst_PageProperties::certificateThatCouldNotBeRead()
{
    QFETCH(bool, reading);
    QFETCH(bool, offline);
    QFETCH(QString, certificate);
    PageFacts facts = httpsPage();
    facts.certificateRead = false;
    facts.offline = offline;
    const Shown shown(u"English"_s, facts, reading);
    QCOMPARE(shown.row(Row::Certificate), certificate);
    QCOMPARE(shown.row(Row::Issuer), QString());
}

void tst_PageProperties::exceptedCertificateIsSaid()
{
    PageFacts facts = httpsPage();
    facts.certificateExcepted = true;
    facts.certificate.trusted = false;
    const Shown shown(u"Russian"_s, facts);
    QVERIFY2(shown.row(Row::Connection).contains(u"вы разрешили этот сайт"_s),
             qPrintable(shown.row(Row::Connection)));
    QVERIFY2(shown.row(Row::Issuer).endsWith(u"(системе не известен)"_s),
             qPrintable(shown.row(Row::Issuer)));
}

void tst_PageProperties::failedPageClaimsNoConnection()
{
    PageFacts facts;
    facts.address = u"https://example.com/"_s;
    facts.scheme = u"https"_s;
    facts.failed = true;
    const Shown shown(u"English"_s, facts);
    QCOMPARE(shown.row(Row::Connection), u"The page did not load"_s);
    QCOMPARE(shown.row(Row::Certificate), QString());
}

void tst_PageProperties::localFileShowsItsDates()
{
    PageFacts facts;
    facts.address = u"file:///home/u/page.htm"_s;
    facts.scheme = u"file"_s;
    facts.size = 10;
    facts.modified = QDateTime(QDate(2023, 3, 4), QTime(5, 6));
    facts.created = QDateTime(QDate(2022, 3, 4), QTime(5, 6));
    const Shown shown(u"English"_s, facts);
    QCOMPARE(shown.row(Row::Protocol), u"File on this computer"_s);
    QCOMPARE(shown.row(Row::Title), u"(none)"_s);
    QVERIFY(shown.row(Row::Created).contains(u"2022"_s));
    QVERIFY(shown.row(Row::Modified).contains(u"2023"_s));
    // No connection, no server.
    QCOMPARE(shown.row(Row::Connection), QString());
    QCOMPARE(shown.row(Row::ServerDate), QString());
}

void tst_PageProperties::unknownFactsAreSaidSo_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("reading");
    QTest::addColumn<QString>("unknown");
    QTest::newRow("Russian, read") << u"Russian"_s << false << u"неизвестно"_s;
    QTest::newRow("Russian, reading") << u"Russian"_s << true << u"читается…"_s;
    QTest::newRow("English, read") << u"English"_s << false << u"unknown"_s;
}

void tst_PageProperties::unknownFactsAreSaidSo()
{
    QFETCH(QString, language);
    QFETCH(bool, reading);
    QFETCH(QString, unknown);
    PageFacts facts;
    facts.address = u"http://example.com/"_s;
    facts.title = u"T"_s;
    facts.scheme = u"http"_s;
    const Shown shown(language, facts, reading);
    for (const Row row : {Row::Type, Row::Size, Row::Modified, Row::ServerDate})
        QCOMPARE(shown.row(row), unknown);
    // Nothing is said of the connection before it is known.
    QCOMPARE(shown.row(Row::Connection), reading ? unknown : language == "Russian"_L1
                                                                 ? u"Не зашифровано"_s
                                                                 : u"Not encrypted"_s);
    // No wire protocol known: the scheme's name alone.
    QVERIFY(!shown.row(Row::Protocol).contains(u','));
}

QTEST_MAIN(tst_PageProperties)
#include "tst_pageproperties.moc"
