#include "agent/PixelBlend.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFullWeight = 256; // fixed-point 1.0 for weights and opacity
constexpr int kMaxChannel = 255;

// Multiplies every channel of a premultiplied pixel by weight / 256.
QRgb scaled(QRgb pixel, int weight)
{
    constexpr QRgb kRedBlue = 0x00ff00ff;
    const QRgb redBlue = ((pixel & kRedBlue) * weight >> 8) & kRedBlue;
    const QRgb alphaGreen = ((pixel >> 8 & kRedBlue) * weight) & ~kRedBlue;
    return redBlue | alphaGreen;
}

QRgb over(QRgb source, QRgb target)
{
    const int alpha = qAlpha(source);
    if (alpha == kMaxChannel)
        return source;
    if (alpha == 0)
        return target;
    // 255 - alpha as a weight out of 256, rounded the way Qt's BYTE_MUL is.
    return source + scaled(target, kMaxChannel - alpha + 1);
}

// The premultiplied pixel at (x, y), transparent outside the picture.
QRgb texel(const QImage& image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return 0;
    return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
}

QRgb bilinear(const QImage& image, double x, double y)
{
    const double left = std::floor(x);
    const double top = std::floor(y);
    const int fx = int((x - left) * kFullWeight);
    const int fy = int((y - top) * kFullWeight);
    const int ix = int(left);
    const int iy = int(top);
    const QRgb upper =
        scaled(texel(image, ix, iy), kFullWeight - fx) + scaled(texel(image, ix + 1, iy), fx);
    const QRgb lower = scaled(texel(image, ix, iy + 1), kFullWeight - fx) +
                       scaled(texel(image, ix + 1, iy + 1), fx);
    return scaled(upper, kFullWeight - fy) + scaled(lower, fy);
}

bool isWholePixelShift(const QTransform& transform)
{
    return transform.type() <= QTransform::TxTranslate &&
           transform.dx() == std::round(transform.dx()) &&
           transform.dy() == std::round(transform.dy());
}

} // namespace

void blendImage(QImage& target, const QImage& source, const QTransform& transform, double opacity)
{
    Q_ASSERT(target.format() == QImage::Format_ARGB32_Premultiplied);
    Q_ASSERT(source.format() == QImage::Format_ARGB32_Premultiplied);
    const int weight = std::clamp(int(std::lround(opacity * kFullWeight)), 0, kFullWeight);
    if (weight == 0 || source.isNull())
        return;
    const QRect area =
        transform.mapRect(QRectF(source.rect())).toAlignedRect().intersected(target.rect());
    if (area.isEmpty())
        return;

    if (isWholePixelShift(transform)) {
        const int dx = int(transform.dx());
        const int dy = int(transform.dy());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
            const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y - dy));
            for (int x = area.left(); x <= area.right(); ++x)
                line[x] = over(scaled(from[x - dx], weight), line[x]);
        }
        return;
    }

    const QTransform back = transform.inverted();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            // Pixel centres map to pixel centres.
            const QPointF at = back.map(QPointF(x + 0.5, y + 0.5)) - QPointF(0.5, 0.5);
            line[x] = over(scaled(bilinear(source, at.x(), at.y()), weight), line[x]);
        }
    }
}
