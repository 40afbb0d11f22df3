#include "strip/StripPlacement.h"

namespace StripPlacement {

float clampLeft(float leftTwips, float screenWidthTwips)
{
    float left = leftTwips;
    if (left <= 0.0F)
        left = 0.0F;
    // A screen narrower than the strip puts the edge left of 0; the right
    // end, where the menu picture sits, stays reachable.
    if (left + kReachTwips > screenWidthTwips)
        left = screenWidthTwips - kReachTwips;
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
