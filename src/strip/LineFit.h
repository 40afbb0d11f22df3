#pragma once

#include <QFont>
#include <QString>

// A line of the strip must be read whole: one that is too wide for the room
// before the menu picture is set a little smaller, down to a size that still
// reads well.
namespace LineFit {

inline constexpr double kStepPoints = 0.5;
inline constexpr double kSmallestPoints = 8.0;

// `font`, or the largest smaller size in half points at which `text` fits
// `width` pixels; never below kSmallestPoints.
QFont fitted(const QFont& font, const QString& text, int width);

} // namespace LineFit
