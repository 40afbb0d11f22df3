#include "ui/StartupSplash.h"

#include "platform/Desktop.h"
#include "platform/DesktopHints.h"
#include "platform/Twips.h"

namespace {

// The window's top-left corner, from the screen's centre, in twips.
constexpr double kAboveCentre = 1800;
constexpr double kLeftOfCentre = 1000;

} // namespace

StartupSplash::StartupSplash(const Desktop& desktop) : m_desktop(desktop)
{
    setObjectName(QStringLiteral("Form4"));
    // It comes up by itself while the person may be typing elsewhere.
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    DesktopHints::keepOffTaskbar(this);
}

void StartupSplash::open()
{
    const double top = m_desktop.screenHeightTwips() / 2 - kAboveCentre;
    const double left = m_desktop.screenWidthTwips() / 2 - kLeftOfCentre;
    const QPoint origin = m_desktop.screenGeometry().topLeft();
    move(origin + QPoint(Twips::toPixels(left, m_desktop.twipsPerPixelX()),
                         Twips::toPixels(top, m_desktop.twipsPerPixelY())));
    show();
}

void StartupSplash::pictureClicked()
{
    Q_EMIT dismissed();
    unload();
}
