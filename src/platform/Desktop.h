#pragma once

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>

// The pointer, the monitors and the desktop's colours, as the tutor sees
// them. The strip tells it where it lives; the other windows then open on
// that monitor. Tests pass a fake.
class Desktop {
public:
    // One monitor, in desktop pixels: all of it, and the part that panels
    // leave free.
    struct Screen {
        QRect geometry;
        QRect available;
    };

    virtual ~Desktop() = default;

    // Pointer position in desktop pixels.
    virtual QPoint cursorPos() const;
    // Every monitor, the primary first; never empty.
    virtual QList<Screen> screens() const;
    // 1440 / logical DPI: 15 at 96 DPI.
    virtual double twipsPerPixelX() const;
    virtual double twipsPerPixelY() const;

    // The desktop's own background colour where the platform has one.
    virtual QColor backgroundColor() const;
    // The colour of an inactive window's title bar.
    virtual QColor inactiveCaptionColor() const;

    // The strip now lives at `point`: its monitor is the one that holds the
    // point, else the one whose columns hold it, else the primary one.
    void setStripPoint(const QPoint& point) { m_stripPoint = point; }
    QPoint stripPoint() const { return m_stripPoint; }
    Screen stripScreen() const;
    // Whether some monitor holds the point.
    bool isOnScreen(const QPoint& point) const;

    QRect screenGeometry() const { return stripScreen().geometry; }
    QRect availableGeometry() const { return stripScreen().available; }
    double screenWidthTwips() const { return screenGeometry().width() * twipsPerPixelX(); }
    double screenHeightTwips() const { return screenGeometry().height() * twipsPerPixelY(); }

private:
    QPoint m_stripPoint;
};
