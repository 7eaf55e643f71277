#pragma once

#include <QRect>
#include <cmath>

// Design sizes are kept in twips; Qt scales logical pixels on high-DPI screens itself.
constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline double pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

inline QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}
