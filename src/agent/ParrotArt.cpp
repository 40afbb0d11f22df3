#include "agent/ParrotArt.h"

#include "agent/AlphaRegion.h"
#include "agent/BandedPainting.h"
#include "agent/PixelBlend.h"

#include <QPainter>
#include <cmath>
#include <cstring>

namespace {

const QString kArtFile = QStringLiteral(":/agent/art/parrot.svg");
// Below this the eye is drawn as a closed lid rather than a squashed eye.
constexpr double kEyeShut = 0.45;
// Pixel ratios are told apart to a hundredth.
constexpr int kRatioKeyScale = 100;
// Fine enough that no gap opens between two wing positions of the sweep.
constexpr double kSweepStepDegrees = 3.0;

QString elementId(ParrotArt::Part part)
{
    switch (part) {
    case ParrotArt::Part::Figure:
        return QStringLiteral("figure");
    case ParrotArt::Part::Wing:
        return QStringLiteral("wing");
    case ParrotArt::Part::Eye:
        return QStringLiteral("eye");
    case ParrotArt::Part::EyeClosed:
        return QStringLiteral("eye-closed");
    }
    return {};
}

// A transform in logical pixels, made to work on device pixels.
QTransform onDevice(const QTransform& logical, qreal ratio)
{
    return QTransform::fromScale(1.0 / ratio, 1.0 / ratio) * logical *
           QTransform::fromScale(ratio, ratio);
}

QTransform turnedAbout(const QPointF& pivot, double degrees)
{
    QTransform t;
    t.translate(pivot.x(), pivot.y());
    t.rotate(degrees);
    t.translate(-pivot.x(), -pivot.y());
    return t;
}

} // namespace

ParrotArt::ParrotArt() : m_renderer(kArtFile)
{
    // Looked up once: every frame asks where the wing and the eye are.
    for (const Part part : {Part::Figure, Part::Wing, Part::Eye, Part::EyeClosed})
        m_bounds[std::size_t(part)] = m_renderer.boundsOnElement(elementId(part));
}

QRectF ParrotArt::bounds(Part part) const
{
    return m_bounds[std::size_t(part)];
}

const ParrotArt::Layer& ParrotArt::layer(Part part, qreal devicePixelRatio) const
{
    const QString id = elementId(part);
    Layer& layer = m_layers[id + QLatin1Char('@') +
                            QString::number(qRound(devicePixelRatio * kRatioKeyScale))];
    if (layer.image.isNull()) {
        // Parts are top-level groups without transforms, so their bounds are
        // in the drawing's own units, which are logical pixels. A pixel of
        // margin keeps the antialiased edge.
        const QRectF bounds = this->bounds(part);
        const QRect onDevice =
            QRectF(bounds.topLeft() * devicePixelRatio, bounds.size() * devicePixelRatio)
                .toAlignedRect()
                .adjusted(-1, -1, 1, 1);
        layer.offset = onDevice.topLeft();
        layer.image = QImage(onDevice.size(), kFormat);
        layer.image.setDevicePixelRatio(devicePixelRatio);
        layer.image.fill(Qt::transparent);
        paintInBands(layer.image, [&](QPainter& painter) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.translate(-QPointF(layer.offset) / devicePixelRatio);
            m_renderer.render(&painter, id, bounds);
        });
    }
    return layer;
}

void ParrotArt::compose(QImage& frame, const ParrotPose& pose, qreal devicePixelRatio) const
{
    const QSize pixels = size() * devicePixelRatio;
    if (frame.size() != pixels || frame.format() != kFormat ||
        frame.devicePixelRatio() != devicePixelRatio) {
        frame = QImage(pixels, kFormat);
        frame.setDevicePixelRatio(devicePixelRatio);
    }
    redraw(frame, pose, QRect(QPoint(0, 0), size()));
}

void ParrotArt::redraw(QImage& frame, const ParrotPose& pose, const QRect& area) const
{
    const qreal ratio = frame.devicePixelRatio();
    const QRect cleared =
        QRectF(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio).toAlignedRect() &
        frame.rect();
    if (cleared.isEmpty())
        return;
    const auto rowBytes = std::size_t(cleared.width()) * sizeof(QRgb);
    for (int y = cleared.top(); y <= cleared.bottom(); ++y)
        std::memset(reinterpret_cast<QRgb*>(frame.scanLine(y)) + cleared.left(), 0, rowBytes);
    if (pose.opacity <= 0.0)
        return;

    for (const Part part : {Part::Figure, Part::Wing, eyePart(pose)}) {
        const Layer& drawn = layer(part, ratio);
        blendImage(frame, drawn.image,
                   QTransform::fromTranslate(drawn.offset.x(), drawn.offset.y()) *
                       onDevice(placement(part, pose), ratio),
                   pose.opacity, cleared);
    }
}

ParrotArt::Part ParrotArt::eyePart(const ParrotPose& pose)
{
    return pose.eyeOpen < kEyeShut ? Part::EyeClosed : Part::Eye;
}

QTransform ParrotArt::placement(Part part, const ParrotPose& pose) const
{
    QTransform body;
    body.translate(kFeet.x(), kFeet.y());
    body.scale(pose.scale, pose.scale);
    body.translate(-kFeet.x(), -kFeet.y());
    switch (part) {
    case Part::Figure:
    case Part::EyeClosed:
        return body;
    case Part::Wing:
        return turnedAbout(kShoulder, pose.wingAngle) * body;
    case Part::Eye: {
        const QPointF eye = bounds(Part::Eye).center();
        QTransform squashed;
        squashed.translate(eye.x(), eye.y());
        squashed.scale(1.0, pose.eyeOpen);
        squashed.translate(-eye.x(), -eye.y());
        return squashed * body;
    }
    }
    return body;
}

QRect ParrotArt::partArea(Part part, const ParrotPose& pose) const
{
    // A pixel more each way for the antialiased edge.
    return placement(part, pose).mapRect(bounds(part)).toAlignedRect().adjusted(-1, -1, 1, 1);
}

QRect ParrotArt::changedArea(const ParrotPose& from, const ParrotPose& to) const
{
    if (from.scale != to.scale || from.opacity != to.opacity)
        return QRect(QPoint(0, 0), size());
    QRect changed;
    if (from.wingAngle != to.wingAngle)
        changed |= partArea(Part::Wing, from) | partArea(Part::Wing, to);
    if (from.eyeOpen != to.eyeOpen)
        changed |= partArea(eyePart(from), from) | partArea(eyePart(to), to);
    return changed.intersected(QRect(QPoint(0, 0), size()));
}

QImage ParrotArt::image(const ParrotPose& pose, qreal devicePixelRatio) const
{
    QImage frame;
    compose(frame, pose, devicePixelRatio);
    return frame;
}

QRegion ParrotArt::sweptShape(double farthestAngle) const
{
    QImage swept = image(ParrotPose{}, 1.0);
    const Layer& wing = layer(Part::Wing, 1.0);
    const QTransform placed = QTransform::fromTranslate(wing.offset.x(), wing.offset.y());
    const double direction = farthestAngle < 0 ? -1.0 : 1.0;
    for (double angle = 0.0; std::abs(angle) <= std::abs(farthestAngle);
         angle += direction * kSweepStepDegrees)
        blendImage(swept, wing.image, placed * turnedAbout(kShoulder, angle));
    return alphaRegion(swept);
}

QRegion ParrotArt::shape(const ParrotPose& pose, int minAlpha) const
{
    ParrotPose full = pose;
    full.opacity = 1.0;
    full.scale = 1.0;
    return alphaRegion(image(full, 1.0), minAlpha);
}

QRegion ParrotArt::drawnShape(const ParrotPose& pose, int minAlpha) const
{
    return alphaRegion(image(pose, 1.0), minAlpha);
}
