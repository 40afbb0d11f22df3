#pragma once

#include "agent/ParrotPose.h"

#include <QHash>
#include <QPixmap>
#include <QPointF>
#include <QRegion>
#include <QSize>
#include <QSvgRenderer>

class QPainter;

// The parrot's picture: our SVG drawn part by part, so the wing can turn and
// the eye can close. Paints in logical pixels on a 128 x 128 square.
class ParrotArt {
public:
    static constexpr int kSize = 128;
    // Pivot of the wing (its shoulder) and the point the parrot grows from.
    static constexpr QPointF kShoulder{77.0, 58.0};
    static constexpr QPointF kFeet{70.0, 116.0};

    ParrotArt();

    bool isValid() const { return m_renderer.isValid(); }
    QSize size() const { return {kSize, kSize}; }

    void paint(QPainter& painter, const ParrotPose& pose) const;
    // The pose as an image at `devicePixelRatio` (2 for a 2x screen).
    QImage image(const ParrotPose& pose, qreal devicePixelRatio) const;
    // The opaque area of the pose at full size, for the window mask.
    QRegion shape(const ParrotPose& pose) const;

private:
    void paintPart(QPainter& painter, const QString& id) const;
    const QPixmap& figure(qreal devicePixelRatio) const;

    mutable QSvgRenderer m_renderer;
    // The parts that never move, drawn once per pixel ratio (in hundredths).
    mutable QHash<int, QPixmap> m_figures;
};
