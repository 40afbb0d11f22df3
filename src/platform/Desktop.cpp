#include "platform/Desktop.h"

#include "platform/DesktopHints.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

constexpr double kTwipsPerInch = 1440.0;
// What a program without any screen (a test platform) takes.
const QRect kFallbackScreen(0, 0, 1024, 768);

QScreen* screen()
{
    return QGuiApplication::primaryScreen();
}

} // namespace

QPoint Desktop::cursorPos() const
{
    return QCursor::pos();
}

QList<Desktop::Screen> Desktop::screens() const
{
    QList<QScreen*> all = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        all.removeAll(primary);
        all.prepend(primary);
    }
    // With several monitors Qt gives each its whole geometry as available;
    // the window manager's work area still knows where the panels are.
    const QRect workArea = all.size() > 1 ? DesktopHints::workArea() : QRect();
    QList<Screen> result;
    for (const QScreen* s : all) {
        const QRect free = workArea.isValid() ? s->geometry() & workArea : QRect();
        result.append({s->geometry(), free.isEmpty() ? s->availableGeometry() : free});
    }
    if (result.isEmpty())
        result.append({kFallbackScreen, kFallbackScreen});
    return result;
}

Desktop::Screen Desktop::stripScreen() const
{
    const QList<Screen> all = screens();
    for (const Screen& s : all) {
        if (s.geometry.contains(m_stripPoint))
            return s;
    }
    for (const Screen& s : all) {
        if (m_stripPoint.x() >= s.geometry.left() && m_stripPoint.x() <= s.geometry.right())
            return s;
    }
    return all.first();
}

bool Desktop::isOnScreen(const QPoint& point) const
{
    const QList<Screen> all = screens();
    return std::any_of(all.begin(), all.end(),
                       [&point](const Screen& s) { return s.geometry.contains(point); });
}

double Desktop::twipsPerPixelX() const
{
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? kTwipsPerInch / dpi : 15.0;
}

double Desktop::twipsPerPixelY() const
{
    const QScreen* s = screen();
    const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? kTwipsPerInch / dpi : 15.0;
}
