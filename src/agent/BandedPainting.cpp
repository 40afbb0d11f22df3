#include "agent/BandedPainting.h"

#include <QPainter>

namespace {

// Device rows per band: antialiased shapes and shaped windows give a few
// spans a row, well below the engine's threshold of 96 spans.
constexpr int kBandRows = 16;

} // namespace

void paintInBands(QPainter& painter, const QRectF& area,
                  const std::function<void(QPainter&)>& paint)
{
    const qreal bandHeight = kBandRows / painter.device()->devicePixelRatioF();
    for (qreal top = area.top(); top < area.bottom(); top += bandHeight) {
        painter.save();
        painter.setClipRect(QRectF(area.left(), top, area.width(), bandHeight));
        paint(painter);
        painter.restore();
    }
}

void paintInBands(QImage& image, const std::function<void(QPainter&)>& paint)
{
    QPainter painter(&image);
    paintInBands(painter, QRectF(QPointF(0, 0), image.deviceIndependentSize()), paint);
}
