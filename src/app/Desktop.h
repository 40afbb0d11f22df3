#pragma once

#include <QPoint>
#include <QRect>

// The pointer and the screen, as the strip sees them. Tests pass a fake.
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

    double screenWidthTwips() const { return screenGeometry().width() * twipsPerPixelX(); }
    double screenHeightTwips() const { return screenGeometry().height() * twipsPerPixelY(); }
};
