#pragma once

#include <QRect>

// `rect` moved the least so that it lies inside `area`. A rect larger than
// the area keeps its top-left corner on the area's. Menus, the parrot and its
// balloon all stay on screen this way.
QRect keepInside(const QRect& rect, const QRect& area);
