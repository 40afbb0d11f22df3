#include "platform/Desktop.h"

// Where the desktop has no colours to ask for: a calm dark blue that white
// text reads well on, and a light blue-grey hairline.
QColor Desktop::backgroundColor() const
{
    return QColor(0x1e, 0x3a, 0x5f);
}

QColor Desktop::inactiveCaptionColor() const
{
    return QColor(0xbf, 0xcd, 0xdb);
}
