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
    // The opaque area of the rest pose together with every place the wing
    // passes through while it turns from 0 to `farthestAngle` degrees.
    QRegion sweptShape(double farthestAngle) const;

private:
    void paintPart(QPainter& painter, const QString& id) const;
    // A part drawn once per pixel ratio on its own transparent square, so
    // frames only move pictures instead of drawing the SVG again.
    const QPixmap& layer(const QString& id, qreal devicePixelRatio) const;

    mutable QSvgRenderer m_renderer;
    // Keyed by part and pixel ratio (in hundredths).
    mutable QHash<QString, QPixmap> m_layers;
};
