#pragma once

#include <QImage>
#include <QRegion>

// The area of an image whose alpha is at least `minAlpha` (1 to 255), in the
// image's pixels, looked for only inside `within` (the whole image when it is
// null). Used as a window mask: clicks on the transparent rest pass through.
QRegion alphaRegion(const QImage& image, int minAlpha = 1, const QRect& within = QRect());

// A window mask outside the window, so that nothing of it shows. (An empty
// region would take the mask away and show the whole window.)
inline constexpr QRect kMaskShowingNothing{-1, -1, 1, 1};
