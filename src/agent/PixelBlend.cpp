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

// The source's pixels, read without a call per pixel.
class Texels {
public:
    explicit Texels(const QImage& image)
        : m_bits(image.constBits()), m_stride(image.bytesPerLine()), m_width(image.width()),
          m_height(image.height())
    {
    }

    // The premultiplied pixel at (x, y), transparent outside the picture.
    QRgb at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return 0;
        return reinterpret_cast<const QRgb*>(m_bits + qsizetype(y) * m_stride)[x];
    }

    QRgb bilinear(double x, double y) const
    {
        const double left = std::floor(x);
        const double top = std::floor(y);
        const int fx = int((x - left) * kFullWeight);
        const int fy = int((y - top) * kFullWeight);
        const int ix = int(left);
        const int iy = int(top);
        const QRgb upper = scaled(at(ix, iy), kFullWeight - fx) + scaled(at(ix + 1, iy), fx);
        const QRgb lower =
            scaled(at(ix, iy + 1), kFullWeight - fx) + scaled(at(ix + 1, iy + 1), fx);
        return scaled(upper, kFullWeight - fy) + scaled(lower, fy);
    }

private:
    const uchar* m_bits;
    qsizetype m_stride;
    int m_width;
    int m_height;
};

bool isWholePixelShift(const QTransform& transform)
{
    return transform.type() <= QTransform::TxTranslate &&
           transform.dx() == std::round(transform.dx()) &&
           transform.dy() == std::round(transform.dy());
}

} // namespace

void blendImage(QImage& target, const QImage& source, const QTransform& transform, double opacity,
                const QRect& clip)
{
    Q_ASSERT(target.format() == QImage::Format_ARGB32_Premultiplied);
    Q_ASSERT(source.format() == QImage::Format_ARGB32_Premultiplied);
    const int weight = std::clamp(int(std::lround(opacity * kFullWeight)), 0, kFullWeight);
    if (weight == 0 || source.isNull())
        return;
    const QRect area = transform.mapRect(QRectF(source.rect()))
                           .toAlignedRect()
                           .intersected(clip.isNull() ? target.rect() : clip & target.rect());
    if (area.isEmpty())
        return;

    if (isWholePixelShift(transform)) {
        const int dx = int(transform.dx());
        const int dy = int(transform.dy());
        for (int y = area.top(); y <= area.bottom(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
            const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y - dy));
            for (int x = area.left(); x <= area.right(); ++x) {
                if (from[x - dx] != 0)
                    line[x] = over(scaled(from[x - dx], weight), line[x]);
            }
        }
        return;
    }

    // The transform is affine, so one step right in the target is the same
    // step in the source everywhere.
    Q_ASSERT(transform.isAffine());
    const QTransform back = transform.inverted();
    const Texels texels(source);
    const QPointF step = back.map(QPointF(1, 0)) - back.map(QPointF(0, 0));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        // Pixel centres map to pixel centres.
        QPointF at = back.map(QPointF(area.left() + 0.5, y + 0.5)) - QPointF(0.5, 0.5);
        for (int x = area.left(); x <= area.right(); ++x, at += step) {
            const QRgb pixel = texels.bilinear(at.x(), at.y());
            if (pixel != 0)
                line[x] = over(scaled(pixel, weight), line[x]);
        }
    }
}
