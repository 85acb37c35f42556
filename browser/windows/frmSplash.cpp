#include "frmSplash.h"

#include "Language.h"
#include "Program.h"

#include <QFont>
#include <QFrame>
#include <QLabel>

#include <cmath>

namespace velmora::windows {

namespace {
constexpr int InnerWidth = 4920;
constexpr int InnerHeight = 1176;
constexpr int ShapeWidth = 4692;
constexpr int ShapeHeight = 972;

int pixels(int twips, int twipsPerPixel)
{
    return static_cast<int>(std::lround(double(twips) / (twipsPerPixel > 0 ? twipsPerPixel : 15)));
}
} // namespace

WaitWindow::WaitWindow(Program &program, const QString &name, const QString &designText,
                       int shapeLeft, int shapeTop, int message, QWidget *parent)
    : SecondaryWindow(program, name, parent), m_message(message)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    auto &system = program.system();
    const int tx = system.twipsPerPixelX();
    const int ty = system.twipsPerPixelY();
    setFixedSize(pixels(InnerWidth, tx), pixels(InnerHeight, ty));
    const QSize screen = system.screenPixels();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setGeometry(pixels(shapeLeft, tx), pixels(shapeTop, ty), pixels(ShapeWidth, tx),
                        pixels(ShapeHeight, ty));

    lblText = new QLabel(designText, this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(12);
    lblText->setFont(font);
    // Inside the frame, clear of its line.
    lblText->setGeometry(Shape1->geometry().adjusted(2, 2, -2, -2));
}

void WaitWindow::Form_Load()
{
    lblText->setText(program().language().langText(m_message));
}

frmSplash::frmSplash(Program &program, QWidget *parent)
    : WaitWindow(program, QStringLiteral("frmSplash"), QStringLiteral("Применение параметров..."),
                 120, 120, 37, parent)
{
    Form_Load();
}

} // namespace velmora::windows
