#include "AppIcon.h"
#include "EndSignals.h"
#include "EngineSetup.h"
#include "Program.h"
#include "RealServices.h"
#include "UnloadMode.h"
#include "X11Windows.h"

#include <QApplication>
#include <QSessionManager>
#include <QByteArray>
#include <QList>
#include <QStringList>

#include <csignal>

int main(int argc, char *argv[])
{
    velmora::platform::prepareEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    velmora::setApplicationIcon();
    velmora::platform::fillWindowsBeforePaint();
    // The main window ends the process itself a second after it unloads.
    QApplication::setQuitOnLastWindowClosed(false);

    // The command line carries at most one address; the rest is its text.
    const QStringList args = QApplication::arguments().mid(1);
    velmora::Program program(velmora::platform::makeRealServices());

    // Told to end from outside, or the desktop session ending: the program
    // closes as it does when its window closes, with no question.
    using namespace velmora::mainwindow;
    const velmora::EndSignals endSignals(
        [&program](int) { program.closeFromOutside(unload::AppTaskManager); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&program](QSessionManager &) {
                         program.closeFromOutside(unload::AppWindows);
                     });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&program] {
        program.closeFromOutside(unload::AppWindows, true);
    });

    // For tests of the ending: "step:signal" raises the signal when the
    // start-up reaches that step, as if it came from outside just then.
    const QByteArray signalAt = qgetenv("VELMORA_SIGNAL_AT");
    if (!signalAt.isEmpty()) {
        const QList<QByteArray> parts = signalAt.split(':');
        const QByteArray step = parts.first();
        const int signal = parts.size() > 1 ? parts.at(1).toInt() : SIGTERM;
        program.setStartStepHook([step, signal](const char *name) {
            if (step == name)
                std::raise(signal);
        });
    }

    program.start(args.join(QLatin1Char(' ')));
    return QApplication::exec();
}
