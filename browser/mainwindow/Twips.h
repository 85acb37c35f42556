#pragma once

#include <QWidget>

#include <cmath>

namespace velmora::mainwindow {

// The window's geometry is kept in twips, as its layout rules are written;
// widgets take pixels. t is the screen's twips per pixel.
inline int twipsToPixels(double twips, int t)
{
    // An unknown screen counts as the common 15 twips per pixel.
    return static_cast<int>(std::lround(twips / (t > 0 ? t : 15)));
}

inline double pixelsToTwips(int pixels, int t)
{
    return static_cast<double>(pixels) * t;
}

struct TwipsRect
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

inline TwipsRect twipsGeometry(const QWidget *w, int t)
{
    const QRect g = w->geometry();
    return {pixelsToTwips(g.x(), t), pixelsToTwips(g.y(), t), pixelsToTwips(g.width(), t),
            pixelsToTwips(g.height(), t)};
}

inline void setTwipsGeometry(QWidget *w, const TwipsRect &r, int t)
{
    w->setGeometry(twipsToPixels(r.left, t), twipsToPixels(r.top, t), twipsToPixels(r.width, t),
                   twipsToPixels(r.height, t));
}

} // namespace velmora::mainwindow
