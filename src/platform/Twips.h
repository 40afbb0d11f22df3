#pragma once

#include <QRect>
#include <algorithm>
#include <cmath>

// Positions and sizes are kept in twips (1/1440 inch) where the layout gives
// them so; these convert to and from whole pixels.
namespace Twips {

inline int toPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

inline double fromPixels(int pixels, double twipsPerPixel)
{
    return pixels * twipsPerPixel;
}

// A control's place in the layout: left, top, width and height in twips.
struct Rect {
    int left;
    int top;
    int width;
    int height;
};

// Rounds the edges rather than the size, so that controls that meet in
// twips still meet in pixels; nothing shrinks below one pixel.
inline QRect toPixels(const Rect& r, double twipsPerPixelX, double twipsPerPixelY)
{
    const int left = toPixels(r.left, twipsPerPixelX);
    const int top = toPixels(r.top, twipsPerPixelY);
    const int right = toPixels(r.left + r.width, twipsPerPixelX);
    const int bottom = toPixels(r.top + r.height, twipsPerPixelY);
    return {left, top, std::max(1, right - left), std::max(1, bottom - top)};
}

} // namespace Twips
