#include "platform/DesktopHints.h"

namespace DesktopHints {

// Qt::Tool windows stay out of the taskbar on Windows already.
void keepOffTaskbar(QWidget*) {}

Qt::WindowFlags selfPlacedFlags()
{
    return {};
}

bool shapesHidePixels()
{
    return true;
}

void preferCopiedPixels() {}

void QuietReshape::refresh() {}

void QuietReshape::run(const std::function<void()>& change) const
{
    change();
}

} // namespace DesktopHints

QRect DesktopHints::workArea()
{
    return {}; // QScreen::availableGeometry() knows it here
}

bool DesktopHints::isCompositing()
{
    return true;
}
