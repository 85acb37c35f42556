#include "frmAbout.h"

#include "frmMain.h"

#include "Language.h"
#include "MouseCodes.h"
#include "ProgramFolder.h"
#include "Program.h"
#include "Twips.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVersionNumber>
#include <QWindow>

#include <cmath>

namespace velmora::windows {

namespace {

constexpr int WindowWidth = 619;
constexpr int WindowHeight = 297;
constexpr int PictureHeight = 306;

} // namespace

QString frmAbout::versionText(const QString &applicationVersion)
{
    const QVersionNumber version = QVersionNumber::fromString(applicationVersion);
    return QString::number(version.majorVersion()) + QLatin1Char('.')
           + QString::number(version.minorVersion()) + QLatin1Char('.')
           + QString::number(version.microVersion());
}

QPixmap frmAbout::aboutPicture()
{
    QImage image(WindowWidth, PictureHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 0, PictureHeight);
    sky.setColorAt(0, QColor(0xB8, 0xD8, 0xFF));
    sky.setColorAt(1, QColor(0x6C, 0xAE, 0xFF));
    painter.fillRect(image.rect(), sky);

    // A row of tabs over a page, the product's one idea.
    painter.setPen(QPen(QColor(0x1F, 0x4E, 0x9A), 2));
    const QColor tabColours[] = {QColor(0xFF, 0xFF, 0xFF), QColor(0xDD, 0xEB, 0xFF),
                                 QColor(0xC4, 0xDC, 0xFF)};
    for (int k = 2; k >= 0; --k) {
        QPainterPath tab;
        const double left = 352 + k * 70;
        tab.moveTo(left, 96);
        tab.lineTo(left + 12, 58);
        tab.lineTo(left + 84, 58);
        tab.lineTo(left + 96, 96);
        painter.setBrush(tabColours[k]);
        painter.drawPath(tab);
    }
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(340, 95, 250, 150), 6, 6);
    painter.setPen(QPen(QColor(0x9C, 0xC3, 0xF5), 6, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 5; ++line) {
        const double y = 122 + line * 24;
        painter.drawLine(QPointF(362, y), QPointF(line % 2 ? 520 : 566, y));
    }

    painter.setPen(QColor(0x0B, 0x2E, 0x6B));
    QFont name(QStringLiteral("Verdana"));
    name.setPixelSize(54);
    name.setBold(true);
    painter.setFont(name);
    painter.drawText(QRectF(28, 30, 320, 70), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Velmora"));
    QFont line(QStringLiteral("Verdana"));
    line.setPixelSize(15);
    painter.setFont(line);
    painter.drawText(QRectF(30, 100, 290, 60), Qt::AlignLeft | Qt::TextWordWrap,
                     QStringLiteral("Браузер с вкладками: много страниц в одном окне"));
    // The version number follows this word.
    painter.drawText(QRectF(30, 168, 116, 26), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Версия"));
    painter.end();
    return QPixmap::fromImage(image);
}

frmAbout::frmAbout(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmAbout"), parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x6C, 0xAE, 0xFF));
    setPalette(colours);
    setAutoFillBackground(true);

    imgAbout = new QLabel(this);
    imgAbout->setObjectName(QStringLiteral("imgAbout"));
    imgAbout->setPixmap(aboutPicture());
    imgAbout->installEventFilter(this);

    lblVersion = new QLabel(QStringLiteral("1.3.12"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(10);
    font.setBold(true);
    lblVersion->setFont(font);
    QPalette text = lblVersion->palette();
    text.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    lblVersion->setPalette(text);
    lblVersion->resize(lblVersion->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000")),
                       lblVersion->fontMetrics().height() + 2);
    // The picture carries the drag; the label does not stand in its way.
    lblVersion->setAttribute(Qt::WA_TransparentForMouseEvents);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setStyleSheet(QStringLiteral("background-color: #95C5FF;"));
    Command1->resize(81, 25);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);

    Form_Load();
}

void frmAbout::Form_Load()
{
    const int ty = program().system().twipsPerPixelY();
    // 1. and 2.: the picture reaches 9 pixels below the window's edge.
    setFixedSize(WindowWidth, WindowHeight);
    imgAbout->setGeometry(0, 0, WindowWidth, PictureHeight);
    // 3. and 4.
    lblVersion->move(
        static_cast<int>(std::lround(imgAbout->width() * 0.24232633279483)),
        static_cast<int>(std::lround(imgAbout->height() * 0.5901416122004360387
                                     - lblVersion->height() / 2.0)));
    // 5.
    Command1->move(width() / 2 - Command1->width() / 2,
                   mainwindow::twipsToPixels(double(height()) * ty - 514, ty));
    const QSize screen = program().system().screenPixels();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
    // 6. A language that cannot be applied still leaves the box its version.
    services::step([&] {
        auto &lang = program().language();
        const QString dir = program().folder().path();
        const QString language = program().settings().GetSetting(
            QStringLiteral("general"), QStringLiteral("language"), lang.getDefaultLanguage(dir));
        lang.applyLanguage(dir, language, services::Language::StartWindow, this);
    });
    // 7.
    lblVersion->setText(versionText(QCoreApplication::applicationVersion()));
}

void frmAbout::Command1_Click()
{
    hide();
}

void frmAbout::showModal(QWidget *owner)
{
    setWindowModality(Qt::ApplicationModal);
    if (owner) {
        winId();
        owner->window()->winId();
        windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    show();
    raise();
    activateWindow();
    if (m_modalLoop)
        return;
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
}

void frmAbout::hideEvent(QHideEvent *event)
{
    SecondaryWindow::hideEvent(event);
    m_dragging = false;
    if (m_modalLoop)
        m_modalLoop->quit();
}

void frmAbout::Form_MouseDown(int Button, int, float, float)
{
    if (Button == 1)
        startDrag();
}

void frmAbout::imgAbout_MouseDown(int Button, int, float, float)
{
    if (Button == 1)
        startDrag();
}

void frmAbout::startDrag()
{
    // The window system moves the window where it can; elsewhere the window
    // follows the mouse until the button is let go.
    if (QWindow *handle = windowHandle(); handle && handle->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = m_pressedAt - pos();
}

void frmAbout::mouseDownAt(QWidget *source, QMouseEvent *event)
{
    const int tx = program().system().twipsPerPixelX();
    const int ty = program().system().twipsPerPixelY();
    const QPointF p = event->position();
    const int shift = services::shiftCode(event->modifiers());
    const int button = services::buttonCode(event->button());
    m_pressedAt = event->globalPosition().toPoint();
    if (source == imgAbout)
        imgAbout_MouseDown(button, shift, float(p.x() * tx), float(p.y() * ty));
    else
        Form_MouseDown(button, shift, float(p.x() * tx), float(p.y() * ty));
}

bool frmAbout::dragByHand(QMouseEvent *event)
{
    if (!m_dragging)
        return false;
    if (event->type() == QEvent::MouseMove && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    else if (event->type() == QEvent::MouseButtonRelease && event->button() == Qt::LeftButton)
        m_dragging = false;
    return true;
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == imgAbout) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            mouseDownAt(imgAbout, static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            if (dragByHand(static_cast<QMouseEvent *>(event)))
                return true;
            break;
        default:
            break;
        }
    }
    return SecondaryWindow::eventFilter(watched, event);
}

void frmAbout::mousePressEvent(QMouseEvent *event)
{
    mouseDownAt(this, event);
}

void frmAbout::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragByHand(event))
        SecondaryWindow::mouseMoveEvent(event);
}

void frmAbout::mouseReleaseEvent(QMouseEvent *event)
{
    if (!dragByHand(event))
        SecondaryWindow::mouseReleaseEvent(event);
}

} // namespace velmora::windows
