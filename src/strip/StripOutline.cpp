#include "strip/StripOutline.h"

#include <QPaintEvent>
#include <QPainter>

// A plain box is its edges filled with the text colour. Drawn straight, the
// steps of the lines that cross its left edge skip the style's round of
// frame options.
void StripOutline::paintEvent(QPaintEvent* event)
{
    const QRegion due = event->region() & (QRegion(rect()) - contentsRect());
    if (due.isEmpty())
        return;
    QPainter painter(this);
    const QColor edge = palette().color(QPalette::WindowText);
    for (const QRect& part : due)
        painter.fillRect(part, edge);
}
