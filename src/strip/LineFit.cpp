#include "strip/LineFit.h"

#include <QFontMetricsF>

namespace LineFit {

QFont fitted(const QFont& font, const QString& text, int width)
{
    QFont candidate = font;
    while (QFontMetricsF(candidate).horizontalAdvance(text) > width &&
           candidate.pointSizeF() - kStepPoints >= kSmallestPoints)
        candidate.setPointSizeF(candidate.pointSizeF() - kStepPoints);
    return candidate;
}

} // namespace LineFit
