// Runs Velmora and a bare Qt WebEngine program (velmora-baseline) alternately
// as whole processes against a local server, and prints every figure for
// both with the median of the per-pair ratios as a markdown table.
//
//   velmora-bench [--quick] [--runs N] [--idle S] [--no-thousand] [--only PROGRAM]
//                 [--input-only] [--start-only] [--sections-only]
//
// Tab switch and session loading are driven by clicks and keys (xdotool);
// the rest by the start page's scripts.
//
// Run it on an X display (Xvfb with a window manager); without DISPLAY both
// programs run on the offscreen platform.

#include "EventLoop.h"
#include "SettingsBench.h"
#include "HttpServer.h"
#include "OfflineBench.h"
#include "TestEnvironment.h"
#include "BenchServer.h"
#include "BenchTable.h"
#include "ProcessTree.h"
#include "Clicks.h"

#include "EngineSetup.h"
#include "SessionFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <optional>
#include <signal.h>
#include <unistd.h>

namespace velmora::bench {

namespace {

struct Options
{
    int runs = 3;
    int idleSeconds = 30;
    bool thousand = true;
    // Empty: both programs; else only this one.
    QString only;
    // Only the figures driven by clicks and keys: tab switch and session.
    bool inputOnly = false;
    // Only start-up and the memory of one tab.
    bool startOnly = false;
    // Only the sections after the comparison (settings store, offline work).
    bool sectionsOnly = false;
};

constexpr int burstSize = 20;
constexpr int hundred = 100;
// Tab numbers 2..1000 are pop-ups: the start page's tab and the hidden tab 0
// of Velmora take the first two.
constexpr int allPopups = 999;

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(BenchServer &server, const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        QObject::connect(&server, &BenchServer::beacon, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// PSS of each process of the tree, in MB, for the log.
QString breakdown(int root)
{
    QStringList parts;
    for (int pid : processTree(root))
        parts << QString::number(qRound(treeMemoryMB(-pid)));
    return parts.join(u' ') + QStringLiteral(" MB");
}

QString pageName(const QString &prefix, int i)
{
    return prefix + QString::number(i);
}

// The next "<page>-shown<k>" beacon not come yet: a page counts the times it
// became visible.
QString nextShown(const BenchServer &server, const QString &page)
{
    for (int k = 1;; ++k) {
        const QString name = page + QStringLiteral("-shown") + QString::number(k);
        if (server.beaconTime(name) < 0)
            return name;
    }
}

// Where the two tabs of a window are clicked: Velmora's tab row is under the
// pages, the baseline's tab bar over them. Measured on screenshots of both
// windows with the two bench pages' titles.
struct TabPoints
{
    QPoint first;
    QPoint second;
};

// Velmora's File menu in its menu bar.
const QPoint velmoraFileMenu(25, 8);

TabPoints tabPoints(bool velmora)
{
    if (velmora)
        return {QPoint(45, -30), QPoint(123, -30)};
    return {QPoint(46, 14), QPoint(134, 14)};
}

// Clicks the first tab and the second in turn, three times, and gives the
// median milliseconds from the click to the page's visibility beacon.
std::optional<double> switchTabs(BenchServer &server, int pid, bool velmora,
                                 const QString &secondPage, QTextStream &log)
{
    if (!xdotoolAvailable()) {
        log << "  tab switch needs xdotool and an X display" << Qt::endl;
        return std::nullopt;
    }
    const Window window = mainWindowOf(pid);
    if (window.id.isEmpty())
        return std::nullopt;
    const TabPoints points = tabPoints(velmora);
    QList<double> times;
    for (int k = 0; k < 6; ++k) {
        const bool toFirst = k % 2 == 0;
        const QString beacon =
            nextShown(server, toFirst ? QStringLiteral("start") : secondPage);
        const qint64 before = server.now();
        clickIn(window, toFirst ? points.first : points.second);
        if (!waitFor(server, [&] { return server.beaconTime(beacon) >= 0; }, 10000)) {
            log << "  no " << beacon << " beacon after a click on the tab" << Qt::endl;
            return std::nullopt;
        }
        times.append(double(server.beaconTime(beacon) - before));
        settle(300);
    }
    return median(times);
}

// One program under test, from its start to its end.
class Session
{
public:
    Session(BenchServer &server, const QString &program, const QProcessEnvironment &base)
        : m_server(server)
    {
        const QString programDir = m_home.filePath(QStringLiteral("program"));
        QDir().mkpath(programDir);
        const QDir bin(QCoreApplication::applicationDirPath());
        for (const QString &name : bin.entryList({QStringLiteral("*.lng")}, QDir::Files))
            QFile::copy(bin.filePath(name), QDir(programDir).filePath(name));
        QProcessEnvironment env = base;
        for (const char *name : {"config", "data", "cache", "home"}) {
            const QString dir = m_home.filePath(QString::fromLatin1(name));
            QDir().mkpath(dir);
        }
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("HOME"), m_home.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("VELMORA_PROGRAM_DIR"), programDir);
        // The update check must not leave this machine.
        env.insert(QStringLiteral("VELMORA_UPDATE_URL"),
                   server.url(QStringLiteral("/version.txt")));
        if (getuid() == 0)
            env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
        m_process.setProgram(bin.filePath(program));
        m_process.setArguments({server.url(QStringLiteral("/start.html"))});
        m_process.setStandardOutputFile(m_home.filePath(QStringLiteral("output.log")));
        m_process.setStandardErrorFile(m_home.filePath(QStringLiteral("output.log")),
                                       QIODevice::Append);
    }

    ~Session() { stop(); }

    // Arguments given before the start page's address.
    void prependArguments(const QStringList &args)
    {
        m_process.setArguments(args + m_process.arguments());
    }
    QString file(const QString &name) const { return m_home.filePath(name); }

    // Milliseconds from exec to the start page's load beacon.
    std::optional<double> start()
    {
        m_server.reset();
        const qint64 before = m_server.now();
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return std::nullopt;
        m_pid = static_cast<int>(m_process.processId());
        if (!waitFor(m_server, [&] { return m_server.beaconTime(QStringLiteral("start")) >= 0; },
                     60000))
            return std::nullopt;
        return double(m_server.beaconTime(QStringLiteral("start")) - before);
    }

    // Opens count pop-ups from the start page and waits for all their beacons;
    // milliseconds from the command to the last beacon, or nothing on timeout.
    std::optional<double> open(const QString &prefix, int from, int count, int timeoutMs)
    {
        const qint64 before = m_server.now();
        m_server.command(QStringLiteral("openPages('%1', %2, %3)").arg(prefix).arg(from).arg(count));
        for (int i = from; i < from + count; ++i)
            m_open.append(pageName(prefix, i));
        const bool all = waitFor(
            m_server,
            [&] {
                for (int i = from; i < from + count; ++i) {
                    if (m_server.beaconTime(pageName(prefix, i)) < 0)
                        return false;
                }
                return true;
            },
            timeoutMs);
        if (!all)
            return std::nullopt;
        qint64 last = before;
        for (int i = from; i < from + count; ++i)
            last = std::max(last, m_server.beaconTime(pageName(prefix, i)));
        return double(last - before);
    }

    // Closes the count pop-ups opened last.
    void close(int count)
    {
        QStringList names;
        for (int i = 0; i < count && !m_open.isEmpty(); ++i)
            names << u'\'' + m_open.takeLast() + u'\'';
        m_server.command(QStringLiteral("closeNames([%1])").arg(names.join(u',')));
    }

    double memory() const { return treeMemoryMB(m_pid); }
    double cpu() const { return treeCpuSeconds(m_pid); }
    int processes() const { return processTree(m_pid).size(); }
    int pid() const { return m_pid; }

    void stop()
    {
        if (m_pid <= 0)
            return;
        const QList<int> tree = processTree(m_pid);
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        for (int pid : tree) {
            if (pid != m_pid)
                ::kill(pid, SIGKILL);
        }
        m_pid = 0;
        m_server.reset();
        // The programs' own output, kept for a look when asked.
        const QString keep = qEnvironmentVariable("VELMORA_BENCH_LOGS");
        if (!keep.isEmpty()) {
            QFile::remove(QDir(keep).filePath(m_process.program().section(u'/', -1) + u".log"));
            QFile::copy(m_home.filePath(QStringLiteral("output.log")),
                        QDir(keep).filePath(m_process.program().section(u'/', -1) + u".log"));
        }
    }

    QString logTail() const
    {
        QFile file(m_home.filePath(QStringLiteral("output.log")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLocal8Bit(file.readAll().right(2000));
    }

private:
    BenchServer &m_server;
    QTemporaryDir m_home;
    QProcess m_process;
    int m_pid = 0;
    // Pop-ups open, oldest first.
    QStringList m_open;
};

// One whole run of one program; figures by key, missing when not reached.
Figures runOnce(BenchServer &server, const QString &program, const QProcessEnvironment &env,
                const Options &options, QTextStream &log)
{
    Figures f;
    Session s(server, program, env);
    const auto started = s.start();
    if (!started) {
        log << "  " << program << " did not load its first page\n" << s.logTail() << Qt::endl;
        return f;
    }
    f[Figure::StartUp] = *started;
    settle(2000);
    f[Figure::Memory1] = s.memory();
    log << "  " << program << ", 1 tab: " << breakdown(s.pid()) << Qt::endl;
    if (options.startOnly)
        return f;

    if (const auto t = s.open(QStringLiteral("n"), 0, 1, 30000))
        f[Figure::NewTab] = *t;
    s.close(1);
    settle(1000);

    const double cpuBefore = s.cpu();
    if (const auto t = s.open(QStringLiteral("b"), 0, burstSize, 60000)) {
        f[Figure::BurstTime] = *t;
        settle(1000);
        f[Figure::BurstCpu] = s.cpu() - cpuBefore;
    } else {
        // The figures with 20 and more tabs would be of fewer tabs.
        log << "  " << program << ": the 20 pop-ups did not all load" << Qt::endl;
        return f;
    }
    // The start page and 19 pop-ups.
    s.close(1);
    settle(2000);
    f[Figure::Memory20] = s.memory();
    log << "  " << program << ": " << s.processes() << " processes with 20 tabs" << Qt::endl;

    const double idleBefore = s.cpu();
    QElapsedTimer idle;
    idle.start();
    settle(options.idleSeconds * 1000);
    f[Figure::IdleCpu] = (s.cpu() - idleBefore) / (idle.elapsed() / 1000.0) * 100.0;

    if (!s.open(QStringLiteral("h"), 0, hundred - 20, 180000)) {
        log << "  " << program << ": the 100 tabs did not all load" << Qt::endl;
        return f;
    }
    settle(2000);
    f[Figure::Memory100] = s.memory();
    s.close(hundred - 1);
    settle(2000);

    if (options.thousand) {
        int opened = 1 + burstSize + (hundred - 20);
        int index = 0;
        constexpr int batch = 20;
        bool complete = true;
        while (opened < allPopups) {
            const int count = std::min(batch, allPopups - opened);
            if (!s.open(QStringLiteral("t"), index, count, 60000)) {
                complete = false;
                break;
            }
            s.close(count);
            index += count;
            opened += count;
        }
        settle(4000);
        if (complete) {
            f[Figure::Memory1000] = s.memory();
            log << "  " << program << ", after 1000: " << breakdown(s.pid()) << Qt::endl;
            f[Figure::Above1] = f[Figure::Memory1000] - f[Figure::Memory1];
        } else {
            log << "  " << program << ": the 1000-tab cycle stopped at " << opened << Qt::endl;
        }
    }
    return f;
}

// A fresh process opens one pop-up from its start page; then its two tabs are
// clicked in turn.
std::optional<double> measureSwitch(BenchServer &server, const QString &program,
                                    const QProcessEnvironment &env, QTextStream &log)
{
    Session s(server, program, env);
    if (!s.start() || !s.open(QStringLiteral("s"), 0, 1, 30000))
        return std::nullopt;
    settle(1000);
    return switchTabs(server, s.pid(), program == QStringLiteral("velmora"), QStringLiteral("s0"),
                      log);
}

// The 100 records of the session figure.
QStringList sessionAddresses(const BenchServer &server)
{
    QStringList addresses;
    for (int i = 0; i < hundred; ++i)
        addresses << server.url(QStringLiteral("/p/") + pageName(QStringLiteral("r"), i)
                                + QStringLiteral(".html"));
    return addresses;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A fresh process loads 100 records to tabs: Velmora its saved tab list
// through the File menu ("load autosave", answering "No" to working
// offline), the baseline a list file through F9. Milliseconds from the last
// input to the 100th page's load beacon.
std::optional<double> loadSession(BenchServer &server, const QString &program,
                                  const QProcessEnvironment &env, QTextStream &log)
{
    if (!xdotoolAvailable())
        return std::nullopt;
    const bool velmora = program == QStringLiteral("velmora");
    Session s(server, program, env);
    const QStringList addresses = sessionAddresses(server);
    if (velmora) {
        writeFile(s.file(QStringLiteral("program/autosave.btl")),
                  velmora::services::sessions::writeTabList(addresses));
    } else {
        const QString list = s.file(QStringLiteral("list.txt"));
        writeFile(list, addresses.join(u'\n').toLatin1());
        s.prependArguments({QStringLiteral("--list"), list});
    }
    if (!s.start())
        return std::nullopt;
    settle(1500);
    const Window window = mainWindowOf(s.pid());
    if (window.id.isEmpty())
        return std::nullopt;
    // Keys go to the focused window: the menu, then the question box.
    const auto keys = [](const QStringList &names) {
        QProcess p;
        p.start(QStringLiteral("xdotool"),
                QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")}
                    + names);
        p.waitForFinished(10000);
    };
    qint64 before = 0;
    if (velmora) {
        // The File menu, its 11th item, then "No" in the question box.
        clickIn(window, velmoraFileMenu);
        settle(400);
        QStringList down;
        for (int i = 0; i < 11; ++i)
            down << QStringLiteral("Down");
        keys(down + QStringList{QStringLiteral("Return")});
        settle(800);
        keys({QStringLiteral("Tab")});
        settle(200);
        before = server.now();
        keys({QStringLiteral("space")});
    } else {
        before = server.now();
        keys({QStringLiteral("F9")});
    }
    const bool all = waitFor(
        server,
        [&] {
            for (int i = 0; i < hundred; ++i) {
                if (server.beaconTime(pageName(QStringLiteral("r"), i)) < 0)
                    return false;
            }
            return true;
        },
        120000);
    if (!all) {
        int loaded = 0;
        for (int i = 0; i < hundred; ++i)
            loaded += server.beaconTime(pageName(QStringLiteral("r"), i)) >= 0 ? 1 : 0;
        log << "  " << program << ": " << loaded << " of the 100 records loaded" << Qt::endl;
        return std::nullopt;
    }
    qint64 last = before;
    for (int i = 0; i < hundred; ++i)
        last = std::max(last, server.beaconTime(pageName(QStringLiteral("r"), i)));
    return double(last - before);
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).section(u' ', 0, 2);
}

} // namespace

} // namespace velmora::bench

int main(int argc, char *argv[])
{
    using namespace velmora::bench;
    // The children get the display the benchmark was started on.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (env.value(QStringLiteral("DISPLAY")).isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    else if (env.value(QStringLiteral("QT_QPA_PLATFORM")) == QStringLiteral("offscreen"))
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (getuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    velmora::platform::prepareEngine();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QTextStream out(stdout);

    Options options;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QStringLiteral("--quick")) {
            options.runs = 1;
            options.idleSeconds = 10;
        } else if (a == QStringLiteral("--runs") && i + 1 < args.size()) {
            options.runs = std::max(1, args.at(++i).toInt());
        } else if (a == QStringLiteral("--idle") && i + 1 < args.size()) {
            options.idleSeconds = std::max(1, args.at(++i).toInt());
        } else if (a == QStringLiteral("--only") && i + 1 < args.size()) {
            options.only = args.at(++i);
        } else if (a == QStringLiteral("--start-only")) {
            options.startOnly = true;
        } else if (a == QStringLiteral("--input-only")) {
            options.inputOnly = true;
        } else if (a == QStringLiteral("--sections-only")) {
            options.sectionsOnly = true;
        } else if (a == QStringLiteral("--no-thousand")) {
            options.thousand = false;
        } else {
            out << "usage: velmora-bench [--quick] [--runs N] [--idle S] [--no-thousand] [--only PROGRAM] [--input-only] [--start-only] [--sections-only]"
                << Qt::endl;
            return 2;
        }
    }

    BenchServer server;
    if (!server.isListening()) {
        out << "no local port for the benchmark server" << Qt::endl;
        return 1;
    }
    if (options.sectionsOnly) {
        velmora::bench::printSettingsBench(out);
        runOfflineBench(out);
        out.flush();
        return 0;
    }
    const QString before = loadAverage();
    out << "Velmora against the bare engine, " << options.runs << " run(s) each, alternating; "
        << (env.value(QStringLiteral("QT_QPA_PLATFORM")) == QStringLiteral("offscreen")
                ? QStringLiteral("offscreen")
                : QStringLiteral("display ") + env.value(QStringLiteral("DISPLAY")))
        << "; load average " << before << Qt::endl;

    QList<Figures> velmora;
    QList<Figures> baseline;
    for (int run = 0; run < options.runs; ++run) {
        // ABBA order, so a drift of the machine's load favours neither.
        const bool velmoraFirst = run % 2 == 0;
        for (int k = 0; k < 2; ++k) {
            const bool isVelmora = (k == 0) == velmoraFirst;
            const QString program =
                isVelmora ? QStringLiteral("velmora") : QStringLiteral("velmora-baseline");
            if (!options.only.isEmpty() && options.only != program)
                continue;
            out << "run " << run + 1 << ": " << program << "..." << Qt::endl;
            Figures figures;
            if (!options.inputOnly)
                figures = runOnce(server, program, env, options, out);
            if (!options.startOnly) {
                if (const auto t = measureSwitch(server, program, env, out))
                    figures[Figure::TabSwitch] = *t;
                if (const auto t = loadSession(server, program, env, out))
                    figures[Figure::Session] = *t;
            }
            (isVelmora ? velmora : baseline).append(figures);
            out << "  " << describe(figures) << Qt::endl;
        }
    }

    out << Qt::endl;
    printTable(out, velmora, baseline, options.idleSeconds);
    out << Qt::endl
        << "Machine load (1, 5, 15 min) before: " << before << ", after: " << loadAverage()
        << "; " << QThread::idealThreadCount() << " cores." << Qt::endl;

    // Further sections are printed here.
    velmora::bench::printSettingsBench(out);
    runOfflineBench(out);
    out.flush();
    return 0;
}
