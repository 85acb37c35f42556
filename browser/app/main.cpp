#include "AppIcon.h"
#include "Program.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    velmora::platform::prepareEngine();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    velmora::setApplicationIcon();
    // The main window ends the process itself a second after it unloads.
    QApplication::setQuitOnLastWindowClosed(false);

    // The command line carries at most one address; the rest is its text.
    const QStringList args = QApplication::arguments().mid(1);
    velmora::Program program(velmora::platform::makeRealServices());
    program.start(args.join(QLatin1Char(' ')));
    return QApplication::exec();
}
