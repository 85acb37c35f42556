#include "CaptionTargets.h"

#include <QAbstractButton>
#include <QAction>
#include <QFont>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMetaProperty>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace velmora::services {

namespace {

constexpr int BannerWidth = 619;
constexpr int BannerHeight = 306;

bool writeOwnProperty(QObject *target, const char *name, const QString &text)
{
    const QMetaObject *meta = target->metaObject();
    const int index = meta->indexOfProperty(name);
    if (index < 0 || !meta->property(index).isWritable())
        return false;
    return target->setProperty(name, text);
}

QFont bannerFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// One art for both banners; the tint tells the start-up picture from the
// about picture. The version label of the window sits on the empty band at
// about 59 % of the height, right of the "Version" word drawn here.
QPixmap drawBanner(const QColor &top, const QColor &bottom, const QString &subtitle)
{
    QImage image(BannerWidth, BannerHeight, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, BannerHeight);
    sky.setColorAt(0.0, top);
    sky.setColorAt(1.0, bottom);
    painter.fillRect(image.rect(), sky);

    // A row of tabs across the top, the second one selected.
    painter.setPen(Qt::NoPen);
    for (int k = 0; k < 5; ++k) {
        const QRectF tab(24 + k * 114, 22, 104, 28);
        painter.setBrush(k == 1 ? QColor(255, 255, 255, 230) : QColor(255, 255, 255, 80));
        painter.drawRoundedRect(tab, 7, 7);
    }
    painter.fillRect(QRectF(16, 48, BannerWidth - 32, 3), QColor(255, 255, 255, 230));

    painter.setPen(Qt::white);
    painter.setFont(bannerFont(56, true));
    painter.drawText(QRect(0, 62, BannerWidth, 70), Qt::AlignCenter, QStringLiteral("Velmora"));
    painter.setFont(bannerFont(19, false));
    painter.drawText(QRect(0, 128, BannerWidth, 28), Qt::AlignCenter, subtitle);

    // Band for the version text.
    const int versionCentre = qRound(BannerHeight * 0.5901416122004360387);
    const int versionLeft = qRound(BannerWidth * 0.24232633279483);
    painter.fillRect(QRect(0, versionCentre - 14, BannerWidth, 28), QColor(255, 255, 255, 60));
    painter.setFont(bannerFont(14, true));
    painter.setPen(QColor(0, 0, 0x80));
    painter.drawText(QRect(0, versionCentre - 14, versionLeft - 8, 28),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Version"));
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

void setCaption(QObject *target, const QString &text)
{
    if (!target)
        return;
    // A menu is a window of its own: test it before the window case.
    if (auto *menu = qobject_cast<QMenu *>(target)) {
        menu->setTitle(text);
    } else if (auto *action = qobject_cast<QAction *>(target)) {
        action->setText(text);
    } else if (auto *label = qobject_cast<QLabel *>(target)) {
        label->setText(text);
    } else if (auto *button = qobject_cast<QAbstractButton *>(target)) {
        button->setText(text);
    } else if (auto *box = qobject_cast<QGroupBox *>(target)) {
        box->setTitle(text);
    } else if (auto *widget = qobject_cast<QWidget *>(target); widget && widget->isWindow()) {
        widget->setWindowTitle(text);
    } else if (!writeOwnProperty(target, "text", text)
               && !writeOwnProperty(target, "title", text)) {
        target->setProperty("Caption", text);
    }
}

void setToolTip(QObject *target, const QString &text)
{
    if (!target)
        return;
    if (auto *action = qobject_cast<QAction *>(target))
        action->setToolTip(text);
    else if (auto *widget = qobject_cast<QWidget *>(target))
        widget->setToolTip(text);
    else
        target->setProperty("toolTip", text);
}

void setPicture(QObject *target, const QPixmap &picture)
{
    if (!target)
        return;
    target->setProperty("picture", QVariant::fromValue(picture));
    if (auto *label = qobject_cast<QLabel *>(target))
        label->setPixmap(picture);
}

QObject *findNamed(const QObject *window, const QString &name)
{
    if (!window || name.isEmpty())
        return nullptr;
    if (QObject *exact = window->findChild<QObject *>(name))
        return exact;
    const QList<QObject *> all = window->findChildren<QObject *>();
    for (QObject *candidate : all) {
        if (candidate->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return nullptr;
}

int twipsToPixels(int twips, double twipsPerPixel)
{
    if (twipsPerPixel <= 0)
        twipsPerPixel = 15;
    return qRound(twips / twipsPerPixel);
}

void setTopTwips(QObject *target, int twips, double twipsPerPixel)
{
    if (auto *widget = qobject_cast<QWidget *>(target))
        widget->move(widget->x(), twipsToPixels(twips, twipsPerPixel));
}

void setLeftTwips(QObject *target, int twips, double twipsPerPixel)
{
    if (auto *widget = qobject_cast<QWidget *>(target))
        widget->move(twipsToPixels(twips, twipsPerPixel), widget->y());
}

void setHeightTwips(QObject *target, int twips, double twipsPerPixel)
{
    if (auto *widget = qobject_cast<QWidget *>(target))
        widget->resize(widget->width(), twipsToPixels(twips, twipsPerPixel));
}

void centreText(QObject *target)
{
    if (auto *label = qobject_cast<QLabel *>(target))
        label->setAlignment((label->alignment() & Qt::AlignVertical_Mask) | Qt::AlignHCenter);
}

QPixmap alternativeBadgePicture()
{
    // The toolbar badge: a small tab over a bar, in the teal of the
    // non-Russian art.
    QImage image(24, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1E, 0x8C, 0x8C));
    QPainterPath tab;
    tab.addRoundedRect(QRectF(3, 2, 12, 9), 2.5, 2.5);
    painter.drawPath(tab);
    painter.drawRect(QRectF(1, 10, 22, 4));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(6, 5, 6, 2));
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap alternativeStartPicture()
{
    return drawBanner(QColor(0x1E, 0x8C, 0x8C), QColor(0x0B, 0x3D, 0x5C),
                      QStringLiteral("Tabbed web browser"));
}

QPixmap alternativeAboutPicture()
{
    return drawBanner(QColor(0x6C, 0xAE, 0xFF), QColor(0x1F, 0x4E, 0x9A),
                      QStringLiteral("Tabbed web browser - many pages in one window"));
}

} // namespace velmora::services
