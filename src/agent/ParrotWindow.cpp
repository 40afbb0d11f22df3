#include "agent/ParrotWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

// Cutting a new mask costs a render and a region: only when the wing has
// moved far enough to change the outline visibly.
constexpr double kMaskAngleStep = 4.0;

} // namespace

ParrotWindow::ParrotWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint)
{
    setObjectName(QStringLiteral("Peedy"));
    setWindowTitle(QStringLiteral("Peedy"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(m_art.size());
    setCursor(Qt::OpenHandCursor);
    setMask(m_art.shape(m_pose));
}

void ParrotWindow::setPose(const ParrotPose& pose)
{
    if (pose == m_pose)
        return;
    m_pose = pose;
    if (std::abs(m_pose.wingAngle - m_maskAngle) >= kMaskAngleStep ||
        (m_pose.wingAngle == 0.0 && m_maskAngle != 0.0))
        updateMask();
    update();
}

void ParrotWindow::updateMask()
{
    m_maskAngle = m_pose.wingAngle;
    setMask(m_art.shape(m_pose));
}

void ParrotWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_art.paint(painter, m_pose);
}

void ParrotWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_grabOffset = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
}

void ParrotWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        Q_EMIT dragRequested(event->globalPosition().toPoint() - m_grabOffset);
}

void ParrotWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    setCursor(Qt::OpenHandCursor);
}
