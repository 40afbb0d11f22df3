#pragma once

#include "agent/ParrotPose.h"

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRegion>
#include <QSize>
#include <QSvgRenderer>
#include <QTransform>
#include <array>

// The parrot's picture: our SVG drawn part by part, so the wing can turn and
// the eye can close. Works in logical pixels on a 128 x 128 square.
//
// Each part is rendered once per pixel ratio into an image in the format of a
// translucent window's backing store, and frames are put together from those
// with blendImage(): drawing a frame converts nothing and never goes through
// QPainter's threaded image paths.
class ParrotArt {
public:
    static constexpr int kSize = 128;
    // Pivot of the wing (its shoulder) and the point the parrot grows from.
    static constexpr QPointF kShoulder{77.0, 58.0};
    static constexpr QPointF kFeet{70.0, 116.0};
    // The format of a translucent window's backing store.
    static constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

    enum class Part { Figure, Wing, Eye, EyeClosed };

    ParrotArt();

    bool isValid() const { return m_renderer.isValid(); }
    QSize size() const { return {kSize, kSize}; }

    // Draws the pose into `frame`, replacing what it held. The frame is made
    // (again) when its size or pixel ratio does not fit `devicePixelRatio`.
    void compose(QImage& frame, const ParrotPose& pose, qreal devicePixelRatio) const;
    // Draws the pose again only inside `area` (logical pixels) of a frame
    // composed before, at the frame's own pixel ratio.
    void redraw(QImage& frame, const ParrotPose& pose, const QRect& area) const;
    // The pose as a new image at `devicePixelRatio` (2 for a 2x screen).
    QImage image(const ParrotPose& pose, qreal devicePixelRatio) const;
    // The part of the square that differs between two poses, in logical
    // pixels: all of it when the size or opacity changed.
    QRect changedArea(const ParrotPose& from, const ParrotPose& to) const;
    // Where the pose covers at least `minAlpha` (1 to 255) at full size and
    // opacity, for the window mask.
    QRegion shape(const ParrotPose& pose, int minAlpha = 1) const;
    // Where the pose as drawn (scaled and faded too) covers at least `minAlpha`.
    QRegion drawnShape(const ParrotPose& pose, int minAlpha) const;
    // The opaque area of the rest pose together with every place the wing
    // passes through while it turns from 0 to `farthestAngle` degrees.
    QRegion sweptShape(double farthestAngle) const;

    // A part drawn on its own at a pixel ratio, cut to the part's bounds:
    // `offset` is where its top-left corner sits on the square, in device
    // pixels. Rendered on first use and kept.
    struct Layer {
        QImage image;
        QPoint offset;
    };
    const Layer& layer(Part part, qreal devicePixelRatio) const;

private:
    static Part eyePart(const ParrotPose& pose);
    // Where `part` goes on the square for `pose`, in logical pixels.
    QTransform placement(Part part, const ParrotPose& pose) const;
    QRect partArea(Part part, const ParrotPose& pose) const;
    // A part's bounds in the drawing, which are logical pixels.
    QRectF bounds(Part part) const;

    mutable QSvgRenderer m_renderer;
    std::array<QRectF, 4> m_bounds; // by Part
    // Keyed by part and pixel ratio (in hundredths).
    mutable QHash<QString, Layer> m_layers;
};
