#include "platform/Desktop.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

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

#ifdef Q_OS_WIN
namespace {

QColor systemColor(int index)
{
    const COLORREF c = GetSysColor(index);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

QColor Desktop::backgroundColor() const
{
    return systemColor(COLOR_DESKTOP);
}

QColor Desktop::inactiveCaptionColor() const
{
    return systemColor(COLOR_INACTIVECAPTION);
}
#else
// Elsewhere: a calm dark blue that white text reads well on, and a light
// blue-grey hairline.
QColor Desktop::backgroundColor() const
{
    return QColor(0x1e, 0x3a, 0x5f);
}

QColor Desktop::inactiveCaptionColor() const
{
    return QColor(0xbf, 0xcd, 0xdb);
}
#endif
