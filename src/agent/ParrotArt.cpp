#include "agent/ParrotArt.h"

#include "agent/AlphaRegion.h"

#include <QPainter>
#include <cmath>

namespace {

const QString kArtFile = QStringLiteral(":/agent/art/parrot.svg");
const QString kFigure = QStringLiteral("figure");
const QString kWing = QStringLiteral("wing");
const QString kEye = QStringLiteral("eye");
const QString kEyeClosed = QStringLiteral("eye-closed");
// Below this the eye is drawn as a closed lid rather than a squashed eye.
constexpr double kEyeShut = 0.45;

} // namespace

ParrotArt::ParrotArt() : m_renderer(kArtFile) {}

void ParrotArt::paintPart(QPainter& painter, const QString& id) const
{
    // Parts are top-level groups without transforms, so their bounds are in
    // the drawing's own units, which are logical pixels.
    m_renderer.render(&painter, id, m_renderer.boundsOnElement(id));
}

const QPixmap& ParrotArt::layer(const QString& id, qreal devicePixelRatio) const
{
    QPixmap& layer =
        m_layers[id + QLatin1Char('@') + QString::number(qRound(devicePixelRatio * 100))];
    if (layer.isNull()) {
        layer = QPixmap(size() * devicePixelRatio);
        layer.setDevicePixelRatio(devicePixelRatio);
        layer.fill(Qt::transparent);
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        paintPart(painter, id);
    }
    return layer;
}

void ParrotArt::paint(QPainter& painter, const ParrotPose& pose) const
{
    if (pose.opacity <= 0.0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(painter.opacity() * pose.opacity);
    painter.translate(kFeet);
    painter.scale(pose.scale, pose.scale);
    painter.translate(-kFeet);

    const qreal ratio = painter.device()->devicePixelRatioF();
    painter.drawPixmap(0, 0, layer(kFigure, ratio));

    painter.save();
    painter.translate(kShoulder);
    painter.rotate(pose.wingAngle);
    painter.translate(-kShoulder);
    painter.drawPixmap(0, 0, layer(kWing, ratio));
    painter.restore();

    if (pose.eyeOpen < kEyeShut) {
        painter.drawPixmap(0, 0, layer(kEyeClosed, ratio));
    } else {
        const QPointF eye = m_renderer.boundsOnElement(kEye).center();
        painter.translate(eye);
        painter.scale(1.0, pose.eyeOpen);
        painter.translate(-eye);
        painter.drawPixmap(0, 0, layer(kEye, ratio));
    }
    painter.restore();
}

QImage ParrotArt::image(const ParrotPose& pose, qreal devicePixelRatio) const
{
    QImage image(size() * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, pose);
    return image;
}

QRegion ParrotArt::sweptShape(double farthestAngle) const
{
    constexpr double kStep = 3.0; // fine enough that no gap opens between two wing positions
    QImage image = this->image(ParrotPose{}, 1.0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double direction = farthestAngle < 0 ? -1.0 : 1.0;
    for (double angle = 0.0; std::abs(angle) <= std::abs(farthestAngle);
         angle += direction * kStep) {
        painter.save();
        painter.translate(kShoulder);
        painter.rotate(angle);
        painter.translate(-kShoulder);
        paintPart(painter, kWing);
        painter.restore();
    }
    painter.end();
    return alphaRegion(image);
}

QRegion ParrotArt::shape(const ParrotPose& pose) const
{
    ParrotPose full = pose;
    full.opacity = 1.0;
    full.scale = 1.0;
    return alphaRegion(image(full, 1.0));
}
