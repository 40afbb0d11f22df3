#include "strip/StripOutline.h"

#include <QPaintEvent>

void StripOutline::paintEvent(QPaintEvent* event)
{
    if ((event->region() - contentsRect()).isEmpty())
        return;
    QFrame::paintEvent(event);
}
