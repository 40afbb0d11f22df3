#include "agent/AlphaRegion.h"

#include <QList>

namespace {

// The runs of one row whose alpha is at least `minAlpha`, as rectangles one
// pixel high.
QList<QRect> rowRuns(const QRgb* line, int left, int end, int y, int minAlpha)
{
    QList<QRect> runs;
    int x = left;
    while (x < end) {
        while (x < end && qAlpha(line[x]) < minAlpha)
            ++x;
        const int start = x;
        while (x < end && qAlpha(line[x]) >= minAlpha)
            ++x;
        if (x > start)
            runs.append(QRect(start, y, x - start, 1));
    }
    return runs;
}

bool sameColumns(const QList<QRect>& band, const QList<QRect>& row)
{
    return std::equal(band.begin(), band.end(), row.begin(), row.end(),
                      [](const QRect& a, const QRect& b) {
                          return a.left() == b.left() && a.right() == b.right();
                      });
}

} // namespace

QRegion alphaRegion(const QImage& image, int minAlpha, const QRect& within)
{
    // Premultiplying keeps alpha as it is, so such images need no copy.
    const bool direct = image.format() == QImage::Format_ARGB32 ||
                        image.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage argb = direct ? image : image.convertToFormat(QImage::Format_ARGB32);
    // Rows with the same runs grow one band, and the bands are handed over
    // sorted: building the region by adding rectangles one at a time costs
    // far more, and this happens for every frame of a wave.
    const QRect area = within.isNull() ? argb.rect() : within & argb.rect();
    QList<QRect> rects;
    QList<QRect> band;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const QList<QRect> row = rowRuns(reinterpret_cast<const QRgb*>(argb.constScanLine(y)),
                                         area.left(), area.right() + 1, y, minAlpha);
        if (!band.isEmpty() && !row.isEmpty() && band.constLast().bottom() == y - 1 &&
            sameColumns(band, row)) {
            for (QRect& rect : band)
                rect.setBottom(y);
            continue;
        }
        rects += band;
        band = row;
    }
    rects += band;
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}
