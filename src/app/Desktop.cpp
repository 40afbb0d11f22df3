#include "app/Desktop.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr double kTwipsPerInch = 1440.0;

QScreen* screen()
{
    return QGuiApplication::primaryScreen();
}

} // namespace

QPoint Desktop::cursorPos() const
{
    return QCursor::pos();
}

QRect Desktop::screenGeometry() const
{
    const QScreen* s = screen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
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
