#pragma once

#include <QImage>
#include <QRectF>
#include <functional>

class QPainter;

// Runs `paint` once for each band of a few device rows of `area` (logical
// pixels), with the painter clipped to that band.
//
// Qt's raster engine splits a fill or image blend of more than about a
// hundred spans across its thread pool; so does every image blend into a
// shaped window, whose clip is not a rectangle. Painting in bands keeps each
// call below that, so drawing never wakes the pool's threads; the picture is
// the same.
void paintInBands(QPainter& painter, const QRectF& area,
                  const std::function<void(QPainter&)>& paint);
// The same on the whole of `image`, with a painter of its own.
void paintInBands(QImage& image, const std::function<void(QPainter&)>& paint);
