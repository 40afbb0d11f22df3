#include "agent/ParrotArt.h"

#include "agent/AlphaRegion.h"

#include <QPainter>

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

const QPixmap& ParrotArt::figure(qreal devicePixelRatio) const
{
    QPixmap& figure = m_figures[qRound(devicePixelRatio * 100)];
    if (figure.isNull()) {
        figure = QPixmap(size() * devicePixelRatio);
        figure.setDevicePixelRatio(devicePixelRatio);
        figure.fill(Qt::transparent);
        QPainter painter(&figure);
        painter.setRenderHint(QPainter::Antialiasing);
        paintPart(painter, kFigure);
    }
    return figure;
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

    painter.drawPixmap(0, 0, figure(painter.device()->devicePixelRatioF()));

    painter.save();
    painter.translate(kShoulder);
    painter.rotate(pose.wingAngle);
    painter.translate(-kShoulder);
    paintPart(painter, kWing);
    painter.restore();

    if (pose.eyeOpen < kEyeShut) {
        paintPart(painter, kEyeClosed);
    } else {
        const QPointF eye = m_renderer.boundsOnElement(kEye).center();
        painter.translate(eye);
        painter.scale(1.0, pose.eyeOpen);
        painter.translate(-eye);
        paintPart(painter, kEye);
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

QRegion ParrotArt::shape(const ParrotPose& pose) const
{
    ParrotPose full = pose;
    full.opacity = 1.0;
    full.scale = 1.0;
    return alphaRegion(image(full, 1.0));
}
