#pragma once

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

} // namespace Twips
