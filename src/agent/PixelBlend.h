#pragma once

#include <QImage>
#include <QTransform>

// Draws `source` over `target` (both QImage::Format_ARGB32_Premultiplied)
// through `transform`, an affine map of source pixels to target pixels, at
// `opacity`, changing only the target pixels inside `clip` (all of them when
// `clip` is null). Turned or scaled pictures are sampled bilinearly.
//
// The parrot is drawn with this instead of QPainter because Qt's raster
// engine hands every turned, scaled or clipped image blend to its thread
// pool, waking two threads for every frame of a wave.
void blendImage(QImage& target, const QImage& source, const QTransform& transform,
                double opacity = 1.0, const QRect& clip = QRect());
