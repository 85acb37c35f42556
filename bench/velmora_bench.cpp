// Measures start-up, new tabs, memory, idle load and tab switches of a real
// browser instance on this machine and prints one line per figure.

#include "EventLoop.h"
#include "SettingsBench.h"
#include "HttpServer.h"
#include "OfflineBench.h"
#include "TestEnvironment.h"

#include "Program.h"
#include "frmMain.h"

#include "TabstripP.h"
#include "WebBrowser.h"

#include <QAction>
#include <QComboBox>
#include <QTimer>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>

#include <functional>
#include <limits>
#include <unistd.h>

using velmora::mainwindow::frmMain;

namespace {

// Runs the event loop until done() holds, polling without spinning, so the
// benchmark's own waiting costs no processor time.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 30000)
{
    return velmora::test::spinUntil(done, timeoutMs);
}

QList<int> childrenOf(int pid)
{
    QList<int> result;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs)) {
        bool ok = false;
        const int candidate = entry.toInt(&ok);
        if (!ok)
            continue;
        QFile stat(proc.filePath(entry + QStringLiteral("/stat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toInt() == pid)
            result.append(candidate);
    }
    return result;
}

QList<int> processTree()
{
    QList<int> tree{static_cast<int>(getpid())};
    for (int i = 0; i < tree.size(); ++i)
        tree.append(childrenOf(tree.at(i)));
    return tree;
}

// Proportional set size of the whole tree, so shared pages count once.
double treeMemoryMB()
{
    qint64 kb = 0;
    for (int pid : processTree()) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss:"))
                kb += line.mid(4).trimmed().split(' ').first().toLongLong();
        }
    }
    return kb / 1024.0;
}

// CPU time of the whole tree in clock ticks.
qint64 treeCpuTicks()
{
    qint64 ticks = 0;
    for (int pid : processTree()) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            ticks += fields.at(11).toLongLong() + fields.at(12).toLongLong();
    }
    return ticks;
}

bool blankLoaded(frmMain &main, int n)
{
    auto *web = main.web(n);
    return web && web->hasPage() && !web->Busy() &&
           web->LocationURL() == QStringLiteral("about:blank");
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (getuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    velmora::platform::prepareEngine();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QTextStream out(stdout);

    velmora::test::TestEnvironment env;
    env.installLanguageFiles();
    velmora::test::HttpServer server;
    server.setPage(QStringLiteral("/a.html"), QStringLiteral("Page A"),
                   QStringLiteral("Benchmark page"));
    const QString url = server.url(QStringLiteral("/a.html")).toString();

    velmora::Program program(velmora::platform::makeRealServices());
    program.start(url);
    frmMain &main = program.mainWindow();
    const bool started = waitFor([&] {
        auto *web = main.web(1);
        return web && web->LocationURL() == url && !web->Busy();
    });
    out << "start-up to first page loaded: " << sinceStart.elapsed() << " ms"
        << (started ? "" : " (timed out)") << Qt::endl;

    QElapsedTimer timer;
    timer.start();
    main.cmdNew_Click();
    const int first = main.currentTabNumber();
    waitFor([&] { return blankLoaded(main, first); });
    out << "one new tab to about:blank loaded: " << timer.elapsed() << " ms" << Qt::endl;
    main.cmdClose_Click();
    velmora::test::settle(1000);

    out << "memory, 1 open tab: " << qRound(treeMemoryMB()) << " MB" << Qt::endl;
    const double oneTab = treeMemoryMB();
    for (int i = 1; i < 20; ++i) {
        main.cmdNew_Click();
        const int n = main.currentTabNumber();
        waitFor([&] { return blankLoaded(main, n); });
    }
    velmora::test::settle(2000);
    const double twentyTabs = treeMemoryMB();
    out << "memory, 20 open tabs: " << qRound(twentyTabs) << " MB ("
        << QString::number((twentyTabs - oneTab) / 19, 'f', 1) << " MB per further tab)"
        << Qt::endl;

    // Idle load with 20 open tabs.
    const qint64 ticksBefore = treeCpuTicks();
    timer.restart();
    velmora::test::settle(30000);
    const double seconds = timer.elapsed() / 1000.0;
    const double cpu = (treeCpuTicks() - ticksBefore) / double(sysconf(_SC_CLK_TCK)) / seconds;
    out << "idle CPU with 20 open tabs over " << qRound(seconds)
        << " s: " << QString::number(cpu * 100, 'f', 2) << " % of one core" << Qt::endl;

    // Tab switch: the row's handlers and one pass of the event loop.
    qint64 worst = 0;
    qint64 total = 0;
    const int switches = 50;
    for (int i = 0; i < switches; ++i) {
        const int target = 2 + (i * 7) % 19;
        QElapsedTimer one;
        one.start();
        main.Tabstrip1->setValue(target);
        QCoreApplication::processEvents();
        const qint64 ns = one.nsecsElapsed();
        total += ns;
        worst = std::max(worst, ns);
    }
    out << "tab switch: " << QString::number(total / switches / 1e6, 'f', 2) << " ms average, "
        << QString::number(worst / 1e6, 'f', 2) << " ms worst" << Qt::endl;

    // Suggestions over 100,000 history rows: the builder alone and the
    // window's whole build, best of five.
    {
        QStringList history;
        history.reserve(100000);
        for (int i = 0; i < 100000; ++i) {
            const QString host = QStringLiteral("host%1.example.com").arg(i);
            history.append(i % 2 ? QStringLiteral("www.") + host : host);
        }
        const auto bestOf = [](const std::function<void()> &build) {
            qint64 best = std::numeric_limits<qint64>::max();
            for (int i = 0; i < 5; ++i) {
                QElapsedTimer one;
                one.start();
                build();
                best = std::min(best, one.nsecsElapsed());
            }
            return best / 1e6;
        };
        const double pure = bestOf(
            [&] { frmMain::buildSuggestions(history, QStringLiteral("host9999")); });
        const QStringList saved = [&] {
            QStringList items;
            for (int i = 0; i < main.Combo1->count(); ++i)
                items.append(main.Combo1->itemText(i));
            return items;
        }();
        main.chang->stop();
        main.Combo1->clear();
        main.Combo1->addItems(history);
        main.Combo1->setEditText(QStringLiteral("host9999"));
        const double window = bestOf([&] {
            main.addressEdited = true;
            main.hintRebuild = true;
            main.chang_Timer();
        });
        out << "suggestion build over 100000 history rows: " << QString::number(pure, 'f', 2)
            << " ms (builder), " << QString::number(window, 'f', 2) << " ms (window)"
            << Qt::endl;
        main.Combo1->clear();
        main.Combo1->addItems(saved);
        main.Combo1->setEditText(QString());
        main.chang->start();
    }

    for (int i = 20; i < 100; ++i) {
        main.cmdNew_Click();
        const int n = main.currentTabNumber();
        waitFor([&] { return blankLoaded(main, n); });
    }
    velmora::test::settle(2000);
    out << "memory, 100 open tabs: " << qRound(treeMemoryMB()) << " MB" << Qt::endl;

    // Close all but one, then open and close tabs until 1000 numbers were used.
    // Closing the newest tab lowers the row's count, so follow the numbers.
    int unloaded = 0;
    int last = main.currentTabNumber();
    while (last < 1000) {
        main.cmdNew_Click();
        const int n = main.currentTabNumber();
        if (n <= last)
            break;
        last = n;
        if (!waitFor([&] { return blankLoaded(main, n); }, 5000))
            ++unloaded;
        main.cmdClose_Click();
    }
    if (unloaded)
        out << "(" << unloaded << " tabs did not finish loading)" << Qt::endl;
    for (int i = 0; i < 120; ++i) {
        if (main.Tabstrip1->tabs().toInt() <= 0)
            break;
        const int before = main.currentTabNumber();
        main.cmdClose_Click();
        if (main.currentTabNumber() == before)
            break;
    }
    velmora::test::settle(3000);
    int pages = 0;
    int open = 0;
    for (int i = 0; i < main.webCount(); ++i) {
        if (main.web(i) && main.web(i)->hasPage())
            ++pages;
    }
    for (int n = 0; n < main.Tabstrip1->tabs().toInt(); ++n)
        open += main.Tabstrip1->tabVisible(n) ? 1 : 0;
    out << "(" << open << " open tabs, " << pages << " engine pages, "
        << processTree().size() - 1 << " helper processes)" << Qt::endl;
    const double afterThousand = treeMemoryMB();
    out << "memory after 1000 tabs opened and closed (1 open): " << qRound(afterThousand)
        << " MB (" << QString::number(afterThousand - oneTab, 'f', 0)
        << " MB above one open tab)" << Qt::endl;

    velmora::bench::printSettingsBench(out);
    runOfflineBench(out);
    out.flush();
    _exit(0);
}
