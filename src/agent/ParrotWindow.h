#pragma once

#include "agent/ParrotArt.h"
#include "agent/ParrotPose.h"
#include "platform/DesktopHints.h"

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>

// The parrot's own window: frameless, see-through around the bird, above
// other windows, never taking the focus. It paints the pose it is given and
// reports drags with the left button; the character decides where it goes.
class ParrotWindow : public QWidget {
    Q_OBJECT

public:
    // Whether see-through pixels show the desktop behind (a compositing
    // manager runs); asked again whenever the parrot starts to move.
    using CompositingCheck = std::function<bool()>;

    // Without a compositor, pixels with less alpha than this are left out of
    // the shape: they would be drawn as dark fringes, not blended.
    static constexpr int kSolidAlpha = 128;

    explicit ParrotWindow(QWidget* parent = nullptr);

    void setPose(const ParrotPose& pose);
    const ParrotPose& pose() const { return m_pose; }
    const ParrotArt& art() const { return m_art; }
    void setCompositingCheck(CompositingCheck check);
    // The last frame painted, in the backing store's format.
    const QImage& frame() const { return m_frame; }

Q_SIGNALS:
    // The user dragged the parrot: where its top-left corner should go.
    void dragRequested(const QPoint& topLeft);

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void updateMask(bool wasWaving);
    void reshapeAndPaint(const QRect& changed);
    // Where the current frame is solid enough to show without a compositor.
    QRegion solidShape();
    // The frame of the current pose: drawn again only where the pose changed
    // since the last one, and whole when the pixel ratio changed.
    const QImage& currentFrame();
    void applyMask(const QRegion& mask);

    ParrotArt m_art;
    ParrotPose m_pose;
    QImage m_frame;
    ParrotPose m_framePose;
    QRegion m_frameShape; // where m_frame is solid, kept up at 1x only
    QRegion m_restMask;
    QRegion m_waveMask; // cut on the first wave
    CompositingCheck m_compositing;
    DesktopHints::QuietReshape m_quietReshape;
    // Whether a shape hides what lies outside it; else the window goes
    // without one.
    const bool m_shaped;
    bool m_composited = true;
    bool m_dragging = false;
    QPoint m_grabOffset; // pointer position inside the window when grabbed
};
