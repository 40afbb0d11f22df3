#include "platform/Desktop.h"

#include <windows.h>

// The colours the learner chose for the Windows desktop.
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
