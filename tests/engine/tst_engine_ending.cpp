// The real program, run as a process, told to end from outside: it closes
// the way its window closes and keeps what the closing saves.

#include "EventLoop.h"
#include "HttpServer.h"
#include "TestEnvironment.h"

#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;
using velmora::test::spinUntil;

class tst_EngineEnding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signalRunsTheClosing_data();
    void signalRunsTheClosing();
    void signalAtAStartStep_data();
    void signalAtAStartStep();
    void signalSoonAfterTheStart_data();
    void signalSoonAfterTheStart();

private:
    // Starts the program on the first page, its output forwarded.
    void startProgram(QProcess &program, const QProcessEnvironment &env);
    // Waits for the program's end: normal, exit code 0.
    static void expectCleanEnd(QProcess &program);

    velmora::test::HttpServer m_server;
};

void tst_EngineEnding::initTestCase()
{
    QVERIFY(m_server.isListening());
    // The first page opens the second in a new tab; the second tells the
    // test it is loading there by asking for its script. A fetch from the
    // page's onload is no such sign: under load the engine may drop it
    // before it reaches the server.
    m_server.setPage(u"/first.html"_s, u"First"_s, u"<script>window.open('second.html');</script>"_s);
    m_server.setPage(u"/second.html"_s, u"Second"_s, u"<script src=\"ready.js\"></script>"_s);
    m_server.setResource(u"/ready.js"_s, "text/javascript", "");
}

void tst_EngineEnding::signalRunsTheClosing_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void tst_EngineEnding::signalRunsTheClosing()
{
    QFETCH(int, signal);
    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    m_server.resetCounts();

    QProcess program;
    program.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString binary = QDir(qEnvironmentVariable("VELMORA_BIN_DIR")).filePath(u"velmora"_s);
    const QString first = m_server.url(u"/first.html"_s).toString();
    const QString second = m_server.url(u"/second.html"_s).toString();
    program.start(binary, {first});
    QVERIFY(program.waitForStarted());
    QVERIFY2(spinUntil([&] { return m_server.requestCount(u"/ready.js"_s) > 0; }, 60000),
             qPrintable(m_server.requestedPaths().join(u' ')));
    // The synchroniser ticks automatic saving once two tabs are open.
    velmora::test::settle(1000);
    QCOMPARE(program.state(), QProcess::Running);

    QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QFile autosave(QDir(env.programDir()).filePath(u"autosave.btl"_s));
    QVERIFY(autosave.open(QIODevice::ReadOnly));
    QCOMPARE(autosave.readAll(), '"' + first.toLatin1() + "\"\r\n\"" + second.toLatin1() + "\"\r\n");
    const velmora::services::SettingsStore settings(env.configHome());
    QVERIFY(!settings.GetSetting(u"general"_s, u"WindowState"_s).isEmpty());
    QCOMPARE(settings.GetSetting(u"general"_s, u"Favorites"_s), u"False"_s);
}

void tst_EngineEnding::startProgram(QProcess &program, const QProcessEnvironment &env)
{
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    const QString binary = QDir(qEnvironmentVariable("VELMORA_BIN_DIR")).filePath(u"velmora"_s);
    program.start(binary, {m_server.url(u"/second.html"_s).toString()});
}

void tst_EngineEnding::expectCleanEnd(QProcess &program)
{
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

void tst_EngineEnding::signalAtAStartStep_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<int>("signal");
    // Once the main window is loaded the close saves what it always saves;
    // a signal before that ends the run at once or, when no event is
    // handled before the load, with the same close.
    QTest::addColumn<bool>("closesTheWindow");
    QTest::newRow("start window shown") << u"start-window"_s << int(SIGTERM) << false;
    QTest::newRow("hot words read") << u"hot-words"_s << int(SIGHUP) << false;
    QTest::newRow("main window loaded") << u"main-loaded"_s << int(SIGTERM) << true;
    QTest::newRow("first tab made") << u"first-tab"_s << int(SIGINT) << true;
    QTest::newRow("main window shown") << u"main-shown"_s << int(SIGTERM) << true;
    QTest::newRow("address opened") << u"address"_s << int(SIGHUP) << true;
}

void tst_EngineEnding::signalAtAStartStep()
{
    QFETCH(QString, step);
    QFETCH(int, signal);
    QFETCH(bool, closesTheWindow);
    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"VELMORA_SIGNAL_AT"_s, step + u':' + QString::number(signal));

    QProcess program;
    startProgram(program, environment);
    QVERIFY(program.waitForStarted());
    expectCleanEnd(program);
    if (QTest::currentTestFailed() || !closesTheWindow)
        return;
    const velmora::services::SettingsStore settings(env.configHome());
    QCOMPARE(settings.GetSetting(u"general"_s, u"Favorites"_s), u"False"_s);
}

void tst_EngineEnding::signalSoonAfterTheStart_data()
{
    QTest::addColumn<int>("afterMs");
    QTest::newRow("0.35 s") << 350;
    QTest::newRow("0.5 s") << 500;
    QTest::newRow("0.65 s") << 650;
}

void tst_EngineEnding::signalSoonAfterTheStart()
{
    QFETCH(int, afterMs);
    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    QProcess program;
    startProgram(program, QProcessEnvironment::systemEnvironment());
    QVERIFY(program.waitForStarted());
    QTest::qWait(afterMs);
    QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
    // A second signal while the first one's close runs changes nothing.
    QTest::qWait(100);
    if (program.state() == QProcess::Running)
        ::kill(pid_t(program.processId()), SIGTERM);
    expectCleanEnd(program);
}

QTEST_MAIN(tst_EngineEnding)
#include "tst_engine_ending.moc"
