// The engine speaks the interface language, not the system's: its page
// menu, its error pages and the language pages are told the user reads.
// The engine takes its locale once per process, so each language runs in a
// process of its own: this suite starts itself once per language, with the
// system's language set to the other one.

#include "EventLoop.h"
#include "HttpServer.h"
#include "PageScript.h"
#include "ProgramFixture.h"
#include "TabPage.h"

#include "Program.h"
#include "SettingsStore.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <QWebEnginePage>

using velmora::mainwindow::frmMain;
using velmora::test::HttpServer;
using velmora::test::ProgramFixture;
using velmora::test::runScript;
using velmora::test::spinUntil;
using namespace Qt::StringLiterals;

namespace {

const char *const ChildVariable = "VELMORA_ENGINE_LANGUAGE_CHILD";

bool hasCyrillic(const QString &text)
{
    static const QRegularExpression cyrillic(u"[\u0400-\u04FF]"_s);
    return text.contains(cyrillic);
}

// A port nothing listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

// Runs in the child, in the language it was given.
class tst_EngineLanguageRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void acceptLanguageNamesTheInterfaceLanguage();
    void pageMenuSpeaksTheInterfaceLanguage();
    void errorPageSpeaksTheInterfaceLanguage();

private:
    bool russian() const { return m_language == "Russian"_L1; }
    bool load(const QUrl &url);

    QString m_language;
    std::unique_ptr<ProgramFixture> m_fx;
    frmMain *m_main = nullptr;
    HttpServer m_server;
};

void tst_EngineLanguageRun::initTestCase()
{
    m_language = qEnvironmentVariable(ChildVariable);
    QVERIFY(!m_language.isEmpty());
    QVERIFY(m_server.isListening());
    m_server.setPage(u"/"_s, u"Page"_s, u"<p>text</p>"_s);
    m_fx = std::make_unique<ProgramFixture>(true, ProgramFixture::Pages::Engine);
    m_fx->program().settings().SaveSetting(u"general"_s, u"language"_s, m_language);
    m_main = &m_fx->start();
}

bool tst_EngineLanguageRun::load(const QUrl &url)
{
    m_main->web(1)->Navigate2(url.toString());
    return spinUntil([&] {
        QWebEnginePage *page = velmora::test::tabPage(*m_main, 1);
        return page && page->url() == url && !m_main->web(1)->Busy();
    }, 60000);
}

void tst_EngineLanguageRun::acceptLanguageNamesTheInterfaceLanguage()
{
    QVERIFY(load(m_server.url(u"/"_s)));
    const QByteArray head = m_server.lastHead(u"/"_s);
    const qsizetype at = head.indexOf("\r\nAccept-Language: ");
    QVERIFY2(at >= 0, head.constData());
    const QByteArray value = head.mid(at + 19, head.indexOf("\r\n", at + 2) - at - 19);
    QVERIFY2(value.startsWith(russian() ? "ru" : "en"), value.constData());
}

void tst_EngineLanguageRun::pageMenuSpeaksTheInterfaceLanguage()
{
    QWebEnginePage *page = velmora::test::tabPage(*m_main, 1);
    QVERIFY(page);
    const std::pair<QWebEnginePage::WebAction, const char *> items[] = {
        {QWebEnginePage::Back, "Back"},
        {QWebEnginePage::Reload, "Reload"},
        {QWebEnginePage::SavePage, "Save page"},
        {QWebEnginePage::ViewSource, "View page source"},
    };
    for (const auto &[action, english] : items) {
        const QString text = page->action(action)->text();
        if (russian())
            QVERIFY2(hasCyrillic(text), qPrintable(text));
        else
            QCOMPARE(text, QString::fromLatin1(english));
    }
}

void tst_EngineLanguageRun::errorPageSpeaksTheInterfaceLanguage()
{
    const QUrl refused(u"http://127.0.0.1:%1/"_s.arg(closedPort()));
    m_main->web(1)->Navigate2(refused.toString());
    QString text;
    QVERIFY(spinUntil([&] {
        QWebEnginePage *page = velmora::test::tabPage(*m_main, 1);
        if (!page || m_main->web(1)->Busy())
            return false;
        text = runScript(page, u"document.body ? document.body.innerText : ''"_s).toString();
        return text.contains(u"127.0.0.1"_s);
    }, 60000));
    if (russian()) {
        QVERIFY2(hasCyrillic(text), qPrintable(text));
        QVERIFY2(!text.contains(u"refused"_s), qPrintable(text));
    } else {
        QVERIFY2(text.contains(u"refused to connect"_s), qPrintable(text));
        QVERIFY2(!hasCyrillic(text), qPrintable(text));
    }
}

// Starts the run of each language in a process of its own.
class tst_EngineLanguage : public QObject
{
    Q_OBJECT

private slots:
    void engineFollowsTheInterfaceNotTheSystem_data();
    void engineFollowsTheInterfaceNotTheSystem();
};

void tst_EngineLanguage::engineFollowsTheInterfaceNotTheSystem_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("systemLocale");
    QTest::newRow("Russian interface, English system") << u"Russian"_s << u"en_US.UTF-8"_s;
    QTest::newRow("English interface, Russian system") << u"English"_s << u"ru_RU.UTF-8"_s;
}

void tst_EngineLanguage::engineFollowsTheInterfaceNotTheSystem()
{
    QFETCH(QString, language);
    QFETCH(QString, systemLocale);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(ChildVariable), language);
    env.insert(u"VELMORA_TEST_ENVIRONMENT"_s, u"1"_s);
    for (const QString &name : {u"LANG"_s, u"LC_ALL"_s, u"LC_MESSAGES"_s})
        env.insert(name, systemLocale);
    env.insert(u"LANGUAGE"_s, systemLocale.left(2));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    const bool ended = child.waitForFinished(240000);
    const QByteArray output = child.readAll();
    if (!ended)
        child.kill();
    QVERIFY2(ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             output.constData());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    if (qEnvironmentVariableIsSet(ChildVariable)) {
        tst_EngineLanguageRun run;
        return QTest::qExec(&run, argc, argv);
    }
    tst_EngineLanguage suite;
    return QTest::qExec(&suite, argc, argv);
}

#include "tst_engine_language.moc"
