#include "agent/ParrotWindow.h"

#include "agent/BandedPainting.h"
#include "agent/ParrotMotion.h"
#include "platform/DesktopHints.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A shape outside the window: nothing of it shows. (An empty region would
// take the shape away and show the whole square.)
constexpr QRect kNothingShown{-1, -1, 1, 1};

} // namespace

ParrotWindow::ParrotWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      m_compositing(DesktopHints::isCompositing)
{
    setObjectName(QStringLiteral("Peedy"));
    setWindowTitle(QStringLiteral("Peedy"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    DesktopHints::keepOffTaskbar(this);
    setFixedSize(m_art.size());
    setCursor(Qt::OpenHandCursor);
    m_restMask = m_art.shape(m_pose);
    m_composited = m_compositing();
    updateMask(false);
}

void ParrotWindow::setCompositingCheck(CompositingCheck check)
{
    m_compositing = std::move(check);
    m_composited = m_compositing();
    updateMask(m_pose.wingAngle != 0.0);
}

void ParrotWindow::setPose(const ParrotPose& pose)
{
    if (pose == m_pose)
        return;
    const bool wasWaving = m_pose.wingAngle != 0.0;
    // A compositor may come or go while the tutor runs; ask once per motion.
    if (m_pose == ParrotPose{})
        m_composited = m_compositing();
    m_pose = pose;
    updateMask(wasWaving);
    // Without a compositor the new shape shows black wherever it grows until
    // the new frame arrives: paint and flush it at once, so that the server
    // gets the two together.
    if (m_composited)
        update();
    else
        repaint();
}

void ParrotWindow::updateMask(bool wasWaving)
{
    if (!m_composited) {
        // See-through pixels would come out black: the shape follows every
        // frame, so nothing but the parrot is drawn.
        const QRegion shape = m_art.drawnShape(m_pose, kSolidAlpha);
        applyMask(shape.isEmpty() ? QRegion(kNothingShown) : shape);
        return;
    }
    const bool waving = m_pose.wingAngle != 0.0;
    // While the wing moves, one mask covers its whole sweep: cutting a new
    // outline for every frame would cost more than drawing the wave.
    if (waving && !wasWaving) {
        if (m_waveMask.isEmpty())
            m_waveMask = m_art.sweptShape(ParrotMotion::kWaveLift - ParrotMotion::kWaveSwing);
        applyMask(m_waveMask);
    } else if (!waving) {
        applyMask(m_restMask);
    }
}

void ParrotWindow::applyMask(const QRegion& mask)
{
    if (mask != this->mask())
        setMask(mask);
}

void ParrotWindow::paintEvent(QPaintEvent*)
{
    // The frame matches the backing store's format and pixel ratio, so it is
    // copied as it is: no conversion, no scaling, no blending; in bands,
    // because the window's shape makes the clip no rectangle.
    m_art.compose(m_frame, m_pose, devicePixelRatioF());
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    paintInBands(painter, rect(),
                 [this](QPainter& band) { band.drawImage(QPointF(0, 0), m_frame); });
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

// Reading aloud off hides the parrot; a window manager's close would only
// strand its balloon and leave no way back.
void ParrotWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
}
