#pragma once

#include <QImage>
#include <QRegion>

// The area of an image that is not fully transparent, in the image's pixels.
// Used as a window mask: clicks on the transparent rest pass through.
QRegion alphaRegion(const QImage& image);
