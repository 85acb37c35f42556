#include "frmMemSave.h"

#include "Program.h"
#include "frmMain.h"

#include "Language.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "Steps.h"
#include "WebBrowser.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace velmora::windows {

namespace {

// The runtime's rounding of a number to an integer: halves go to the even one.
qint64 roundHalfEven(double value)
{
    return qint64(std::nearbyint(value));
}

} // namespace

std::optional<MemoryFigures> memoryFigures(const platform::MemoryStatus &status)
{
    MemoryFigures figures;
    figures.freeMB = roundHalfEven(double(status.availablePhysical) / 1024.0 / 1024.0);
    figures.totalMB = roundHalfEven(double(status.totalPhysical) / 1024.0 / 1024.0);
    if (figures.totalMB <= 0)
        return std::nullopt;
    figures.percent = roundHalfEven(double(figures.freeMB) / double(figures.totalMB) * 100.0);
    return figures;
}

frmMemSave::frmMemSave(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmMemSave"), parent)
{
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Работа всех вкладок остановлена!"));

    Label1 = new QLabel(
        QStringLiteral("Осталось менее пяти процентов памяти. Работа всех процессов Velmora "
                       "была остановлена из-за серьёзного риска потерять важную информацию. "
                       "Закройте ненужные окна/вкладки и продолжите свою работу."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    auto *pictures = new QHBoxLayout;
    const QPixmap warning =
        style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(QSize(32, 32));
    for (QLabel **image : {&Image1, &Image2, &Image3}) {
        *image = new QLabel(this);
        (*image)->setPixmap(warning);
        pictures->addWidget(*image);
    }
    Image1->setObjectName(QStringLiteral("Image1"));
    Image2->setObjectName(QStringLiteral("Image2"));
    Image3->setObjectName(QStringLiteral("Image3"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(pictures);
    layout->addWidget(Label1);
    resize(420, 160);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(FirstTickMs);
    connect(Timer1, &QTimer::timeout, this, &frmMemSave::Timer1_Timer);

    // Loading the window is showing it.
    Form_Load();
    Timer1->start();
}

void frmMemSave::Form_Load()
{
    services::step([&] {
        auto &lang = program().language();
        const QString dir = program().folder().path();
        const QString language = program().settings().GetSetting(
            QStringLiteral("general"), QStringLiteral("language"), lang.getDefaultLanguage(dir));
        lang.applyLanguage(dir, language, services::Language::MemSaveWindow, this);
    });
    show();
    if (!program().mainLoaded)
        hide();
}

void frmMemSave::Timer1_Timer()
{
    if (!isVisible())
        return;
    Timer1->setInterval(TickMs);
    if (!program().hasMainWindow())
        return;
    const mainwindow::frmMain &main = program().mainWindow();
    // Hidden tabs are stopped too.
    for (int i = 0; i < main.webCount(); ++i) {
        services::step([&] {
            if (platform::WebBrowser *browser = main.web(i))
                browser->Stop();
        });
    }
}

void frmMemSave::Form_Unload()
{
    if (program().hasMainWindow())
        program().mainWindow().memSaveTag = false;
}

bool frmMemSave::Form_QueryUnload()
{
    return true;
}

void frmMemSave::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    Timer1->stop();
    event->accept();
    deleteLater();
}

} // namespace velmora::windows
