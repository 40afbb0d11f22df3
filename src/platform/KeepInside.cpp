#include "platform/KeepInside.h"

#include <algorithm>

namespace {

int keepSpanInside(int start, int length, int areaStart, int areaLength)
{
    const int last = std::max(areaStart, areaStart + areaLength - length);
    return std::clamp(start, areaStart, last);
}

} // namespace

QRect keepInside(const QRect& rect, const QRect& area)
{
    if (area.isEmpty())
        return rect;
    const QPoint topLeft(keepSpanInside(rect.x(), rect.width(), area.x(), area.width()),
                         keepSpanInside(rect.y(), rect.height(), area.y(), area.height()));
    return {topLeft, rect.size()};
}
