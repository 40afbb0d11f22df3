#pragma once

#include "platform/Desktop.h"

// A desktop whose pointer and monitors the test sets: one 1024x768 monitor
// at 96 DPI (15 twips to the pixel) unless told otherwise. `screen` and
// `available` describe the primary monitor; `others` adds more.
class FakeDesktop : public Desktop {
public:
    QPoint cursorPos() const override { return cursor; }
    QList<Screen> screens() const override
    {
        return QList<Screen>{{screen, available.isNull() ? screen : available}} + others;
    }
    double twipsPerPixelX() const override { return twipsPerPixel; }
    double twipsPerPixelY() const override { return twipsPerPixel; }

    QPoint cursor{500, 400};
    QRect screen{0, 0, 1024, 768};
    QRect available; // null: the whole screen
    QList<Screen> others;
    double twipsPerPixel = 15.0;
};
