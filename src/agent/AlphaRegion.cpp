#include "agent/AlphaRegion.h"

QRegion alphaRegion(const QImage& image, int minAlpha)
{
    // Premultiplying keeps alpha as it is, so such images need no copy.
    const bool direct = image.format() == QImage::Format_ARGB32 ||
                        image.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage argb = direct ? image : image.convertToFormat(QImage::Format_ARGB32);
    QRegion region;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        int x = 0;
        while (x < argb.width()) {
            while (x < argb.width() && qAlpha(line[x]) < minAlpha)
                ++x;
            const int start = x;
            while (x < argb.width() && qAlpha(line[x]) >= minAlpha)
                ++x;
            if (x > start)
                region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}
