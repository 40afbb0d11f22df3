#pragma once

#include "platform/Desktop.h"

// A desktop whose pointer and screen the test sets: 1024x768 at 96 DPI
// (15 twips to the pixel) unless told otherwise.
class FakeDesktop : public Desktop {
public:
    QPoint cursorPos() const override { return cursor; }
    QRect screenGeometry() const override { return screen; }
    double twipsPerPixelX() const override { return twipsPerPixel; }
    double twipsPerPixelY() const override { return twipsPerPixel; }

    QPoint cursor{500, 400};
    QRect screen{0, 0, 1024, 768};
    double twipsPerPixel = 15.0;
};
