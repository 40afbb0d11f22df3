#include "strip/StripPlacement.h"

namespace StripPlacement {

float clampLeft(float leftTwips, float areaLeftTwips, float areaWidthTwips)
{
    float left = leftTwips;
    if (left <= areaLeftTwips)
        left = areaLeftTwips;
    // An area narrower than the strip puts the edge left of the area; the
    // right end, where the menu picture sits, stays reachable.
    if (left + kReachTwips > areaLeftTwips + areaWidthTwips)
        left = areaLeftTwips + areaWidthTwips - kReachTwips;
    return left;
}

QPoint dragOffset(const QPoint& cursor, const QRect& window)
{
    return cursor - window.topLeft();
}

QRect dragTarget(const QPoint& cursor, const QPoint& offset, const QRect& window)
{
    return QRect(cursor - offset, window.size());
}

} // namespace StripPlacement
