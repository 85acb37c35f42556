#include "start.h"

#include "ShowPainted.h"

#include "Product.h"

#include "Program.h"
#include "frmHW.h"

#include "CaptionTargets.h"
#include "Language.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "Steps.h"

#include <QCoreApplication>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QVersionNumber>
#include <QWindow>

#include <cmath>

namespace velmora::windows {

using services::step;

namespace {

// Where the version text sits on the picture: the centre of its line at
// this share of the picture's height, its left edge at this share of the
// width. The picture leaves that place free.
constexpr double VersionCentreY = 0.5901416122004360387;
constexpr double VersionLeftX = 0.24232633279483;

QFont verdana(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

start::start(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("start"), parent)
{
    // Above the main window while that one makes its first picture.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Unloading is for good: the window is never shown again in the run.
    setAttribute(Qt::WA_DeleteOnClose);

    imgAbout = new QLabel(this);
    imgAbout->setObjectName(QStringLiteral("imgAbout"));
    imgAbout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    services::setPicture(imgAbout, startPicture());

    lblVersion = new QLabel(QStringLiteral("1.3.12"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(verdana(14, true));
    QPalette palette = lblVersion->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 0x80));
    lblVersion->setPalette(palette);
    lblVersion->adjustSize();
}

void start::Form_Load()
{
    prepare();
    exit_load();
}

void start::prepare()
{
    Program &p = program();
    services::Language &lang = p.language();
    const QString dir = p.folder().path();
    auto languageSetting = [&] {
        return p.settings().GetSetting(QStringLiteral("general"), QStringLiteral("language"),
                                       lang.getDefaultLanguage(dir));
    };

    // The sizes are whole pixels on every screen; in twips they scale with it.
    step([&] {
        const QSize screen = p.system().screenPixels();
        setGeometry((screen.width() - WindowWidth) / 2, (screen.height() - WindowHeight) / 2,
                    WindowWidth, WindowHeight);
    });
    step([&] { imgAbout->setGeometry(0, 0, WindowWidth, PictureHeight); });
    step([&] {
        const double top = imgAbout->height() * VersionCentreY - lblVersion->height() / 2.0;
        lblVersion->move(int(std::lround(imgAbout->width() * VersionLeftX)),
                         int(std::lround(top)));
    });
    step([&] {
        // Window 7 is the about box too; the flag tells the language which
        // of the two pictures this one is.
        lang.setStartLangLoading(true);
        step([&] { lang.applyLanguage(dir, languageSetting(), services::Language::StartWindow,
                                      this); });
        lang.setStartLangLoading(false);
    });
    step([&] {
        lblVersion->setText(versionText(QCoreApplication::applicationVersion()));
        lblVersion->adjustSize();
    });
    QCoreApplication::processEvents();
    // One page serves every language.
    p.siteURL = productPage();
    step([&] { p.startOffline = p.internet().isOffline(); });
    // The start runs online; the main window puts the recorded state back.
    step([&] { p.internet().setOffline(false); });
}

void start::exit_load()
{
    // On screen with its picture before the slow part of the start.
    step([&] { showPainted(this); });
    program().startStep("start-window");
    // The rest of the start runs inside this step: the hot-word table's
    // load goes on to the main window's, which unloads this window.
    step([&] { frmHW::loadAtStart(program()); });
}

QString start::versionText(const QString &version)
{
    const QVersionNumber number = QVersionNumber::fromString(version);
    return QString::number(number.majorVersion()) % u'.' % QString::number(number.minorVersion())
           % u'.' % QString::number(number.microVersion());
}

QString start::productPage()
{
    return QString::fromUtf16(services::product::Page);
}

QPixmap start::startPicture()
{
    QImage image(WindowWidth, PictureHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, WindowWidth, PictureHeight);
    sky.setColorAt(0.0, QColor(0xF4, 0xF7, 0xFF));
    sky.setColorAt(0.55, QColor(0xC9, 0xD8, 0xF5));
    sky.setColorAt(1.0, QColor(0x7F, 0x9C, 0xD6));
    painter.fillRect(image.rect(), sky);

    // A browser window with three tabs on the right.
    const QRectF frame(392, 24, 200, 132);
    painter.setPen(QPen(QColor(0x2B, 0x3F, 0x8C), 2));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(frame, 6, 6);
    for (int k = 0; k < 3; ++k) {
        const QRectF tab(frame.left() + 8 + k * 62, frame.top() - 14, 56, 20);
        painter.setBrush(k == 0 ? QColor(0x2B, 0x3F, 0x8C) : QColor(0xE3, 0xEA, 0xFA));
        painter.drawRoundedRect(tab, 4, 4);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xC9, 0xD8, 0xF5));
    for (int line = 0; line < 5; ++line)
        painter.drawRect(QRectF(frame.left() + 14, frame.top() + 20 + line * 20,
                                line % 2 ? 120 : 168, 8));

    painter.setPen(QColor(0x1A, 0x27, 0x5E));
    painter.setFont(verdana(52, true));
    painter.drawText(QRect(26, 34, 360, 70), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Velmora"));
    painter.setFont(verdana(18, false));
    painter.drawText(QRect(30, 104, 360, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Браузер с вкладками"));

    // The band the version label is laid on.
    const int centre = int(std::lround(PictureHeight * VersionCentreY));
    const int left = int(std::lround(WindowWidth * VersionLeftX));
    painter.fillRect(QRect(0, centre - 15, WindowWidth, 30), QColor(255, 255, 255, 120));
    painter.setFont(verdana(14, true));
    painter.setPen(QColor(0, 0, 0x80));
    painter.drawText(QRect(0, centre - 15, left - 8, 30), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Версия"));
    painter.end();
    return QPixmap::fromImage(image);
}

void start::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        SecondaryWindow::mousePressEvent(event);
        return;
    }
    // The window manager moves the window when it can; elsewhere the window
    // follows the mouse itself.
    QWindow *handle = windowHandle();
    if (!handle || !handle->startSystemMove()) {
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - pos();
    }
    event->accept();
}

void start::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    SecondaryWindow::mouseMoveEvent(event);
}

void start::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    SecondaryWindow::mouseReleaseEvent(event);
}

} // namespace velmora::windows
