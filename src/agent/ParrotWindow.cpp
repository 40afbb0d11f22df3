#include "agent/ParrotWindow.h"

#include "agent/ParrotMotion.h"

#include <QMouseEvent>
#include <QPainter>

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
    m_restMask = m_art.shape(m_pose);
    setMask(m_restMask);
}

void ParrotWindow::setPose(const ParrotPose& pose)
{
    if (pose == m_pose)
        return;
    const bool wasWaving = m_pose.wingAngle != 0.0;
    m_pose = pose;
    const bool waving = m_pose.wingAngle != 0.0;
    // While the wing moves, one mask covers its whole sweep: cutting a new
    // outline for every frame would cost more than drawing the wave.
    if (waving && !wasWaving) {
        if (m_waveMask.isEmpty())
            m_waveMask = m_art.sweptShape(ParrotMotion::kWaveLift - ParrotMotion::kWaveSwing);
        setMask(m_waveMask);
    } else if (wasWaving && !waving) {
        setMask(m_restMask);
    }
    update();
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
