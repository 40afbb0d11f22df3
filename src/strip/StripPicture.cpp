#include "strip/StripPicture.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kBorder = 1;
const QColor kBorderColor(20, 20, 20);
const QColor kGreen(0, 146, 70);
const QColor kWhite(244, 245, 240);
const QColor kRed(206, 43, 55);
const QColor kShadow(0, 0, 0, 70);

} // namespace

StripPicture::StripPicture(QWidget* parent) : QWidget(parent)
{
    // A plain move, no button held, must report too.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize StripPicture::sizeHint() const
{
    return {kPictureSize + 2 * kBorder, kPictureSize + 2 * kBorder};
}

void StripPicture::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT mouseMoved();
}

// A small tricolour: three vertical bands framed by a single-line border, with
// a soft shadow along the bottom so it reads as something to point at. Drawn
// to the widget's size so it stays crisp when the layout is scaled.
void StripPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect();
    painter.fillRect(frame, kBorderColor);
    const QRect inner = frame.adjusted(kBorder, kBorder, -kBorder, -kBorder);
    if (inner.isEmpty())
        return;

    const int band = inner.width() / 3;
    const int rest = inner.width() - 2 * band;
    painter.fillRect(QRect(inner.left(), inner.top(), band, inner.height()), kGreen);
    painter.fillRect(QRect(inner.left() + band, inner.top(), rest, inner.height()), kWhite);
    painter.fillRect(QRect(inner.left() + band + rest, inner.top(), band, inner.height()), kRed);
    painter.fillRect(QRect(inner.left(), inner.bottom() - 1, inner.width(), 2), kShadow);
}
