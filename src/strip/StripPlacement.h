#pragma once

#include <QPoint>
#include <QRect>

// Where the caption strip may rest and how it follows the pointer while a
// label is held. Pure arithmetic: no window needed.
namespace StripPlacement {

// Width taken for the strip when its left edge is limited on release, and the
// right end under which the popup menu hangs (twips).
inline constexpr float kReachTwips = 7110.0F;

// The left edge after a release or at start-up, in twips of the desktop:
// never left of the monitor's area, and the strip's reach never past its
// right edge; on an area narrower than the strip the right end, with the
// menu picture, stays in view. Single precision, as the edge is stored.
float clampLeft(float leftTwips, float areaLeftTwips, float areaWidthTwips);

// Pointer position relative to the window's top-left corner (pixels).
QPoint dragOffset(const QPoint& cursor, const QRect& window);

// Where the window goes while dragged: the pointer minus the offset taken at
// the press, with the size of the rectangle captured before the drag.
QRect dragTarget(const QPoint& cursor, const QPoint& offset, const QRect& window);

} // namespace StripPlacement
