#include "agent/ParrotWindow.h"

#include "agent/AlphaRegion.h"
#include "agent/BandedPainting.h"
#include "agent/ParrotMotion.h"
#include "platform/DesktopHints.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

ParrotWindow::ParrotWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint |
                          DesktopHints::selfPlacedFlags()),
      m_compositing(DesktopHints::isCompositing), m_quietReshape(this),
      m_shaped(DesktopHints::shapesHidePixels())
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
    // Only the moving wing or eye is painted and sent to the server again.
    const QRect changed = m_art.changedArea(m_pose, pose);
    // A compositor may come or go while the tutor runs; ask once per motion.
    if (m_pose == ParrotPose{}) {
        m_composited = m_compositing();
        if (!m_composited)
            m_quietReshape.refresh();
    }
    m_pose = pose;
    if (m_composited) {
        updateMask(wasWaving);
        update(changed);
    } else {
        // Back at rest the whole bird goes out once more: nothing the server
        // did not report during the motion can outlast it.
        reshapeAndPaint(pose == ParrotPose{} ? rect() : changed);
    }
}

// Without a compositor the server fills a part the shape grows into with
// black until pixels for it arrive, and a whole frame is too large to be sure
// to arrive with the shape. So the frame goes out while the shape is only
// what the old and new outlines share; then the grown part follows in the
// same batch as the shape that uncovers it, small enough to arrive with it.
// Being painted at once, the grown part needs no report from the server.
void ParrotWindow::reshapeAndPaint(const QRect& changed)
{
    const QRegion before = mask();
    const QRegion after = solidShape();
    applyMask(before & after);
    repaint(changed);
    const QRegion grown = after - before;
    // Until the window is on screen a repaint paints nothing.
    if (!grown.isEmpty() && windowHandle() && windowHandle()->isExposed())
        m_quietReshape.run([&] { applyMask(after); });
    else
        applyMask(after);
    if (!grown.isEmpty())
        repaint(grown);
}

QRegion ParrotWindow::solidShape()
{
    // At 1x the frame about to be painted gives the shape.
    if (devicePixelRatioF() != 1.0)
        return m_art.drawnShape(m_pose, kSolidAlpha);
    currentFrame();
    return m_frameShape;
}

const QImage& ParrotWindow::currentFrame()
{
    const qreal ratio = devicePixelRatioF();
    if (!m_frame.isNull() && m_frame.devicePixelRatio() == ratio) {
        if (m_framePose == m_pose)
            return m_frame;
        const QRect area = m_art.changedArea(m_framePose, m_pose);
        m_art.redraw(m_frame, m_pose, area);
        if (ratio == 1.0) // logical pixels are the frame's own
            m_frameShape = (m_frameShape - area) | alphaRegion(m_frame, kSolidAlpha, area);
    } else {
        m_art.compose(m_frame, m_pose, ratio);
        if (ratio == 1.0)
            m_frameShape = alphaRegion(m_frame, kSolidAlpha);
    }
    m_framePose = m_pose;
    return m_frame;
}

void ParrotWindow::updateMask(bool wasWaving)
{
    if (!m_composited) {
        // See-through pixels would come out black: the shape follows every
        // frame, so nothing but the parrot is drawn.
        applyMask(solidShape());
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
    if (!m_shaped)
        return; // the frame's own see-through pixels do it
    const QRegion shown = mask.isEmpty() ? QRegion(kMaskShowingNothing) : mask;
    if (shown != this->mask())
        setMask(shown);
}

void ParrotWindow::paintEvent(QPaintEvent*)
{
    // The frame matches the backing store's format and pixel ratio, so it is
    // copied as it is: no conversion, no scaling, no blending; in bands,
    // because the window's shape makes the clip no rectangle.
    const QImage& frame = currentFrame();
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    paintInBands(painter, rect(),
                 [&frame](QPainter& band) { band.drawImage(QPointF(0, 0), frame); });
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
