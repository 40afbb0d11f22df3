#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>

// The pointer, the screen and the desktop's colours, as the strip sees them.
// Tests pass a fake.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Pointer position in screen pixels.
    virtual QPoint cursorPos() const;
    // Geometry of the screen the strip lives on, in pixels.
    virtual QRect screenGeometry() const;
    // 1440 / logical DPI: 15 at 96 DPI.
    virtual double twipsPerPixelX() const;
    virtual double twipsPerPixelY() const;

    // The desktop's own background colour where the platform has one.
    virtual QColor backgroundColor() const;
    // The colour of an inactive window's title bar.
    virtual QColor inactiveCaptionColor() const;

    double screenWidthTwips() const { return screenGeometry().width() * twipsPerPixelX(); }
    double screenHeightTwips() const { return screenGeometry().height() * twipsPerPixelY(); }
};
