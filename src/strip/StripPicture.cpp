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
// The pause mark: two dark bars on a light disc over the flag.
const QColor kPauseDisc(255, 255, 255, 230);
const QColor kPauseBars(30, 30, 30);
constexpr double kBarWidth = 0.16;  // of the picture's width
constexpr double kBarHeight = 0.56; // of its height
constexpr double kBarGap = 0.12;

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

void StripPicture::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    update();
}

void StripPicture::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT mouseMoved();
}

// The pointer arriving over the picture is a movement over it. Qt passes on
// no move event of its own when the pointer comes back to where it last saw
// it, as it sees no motion outside its windows; such an arrival must open
// the menu too.
void StripPicture::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (isEnabled())
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
    if (m_paused)
        paintPauseMark(painter, QRectF(inner));
}

void StripPicture::paintPauseMark(QPainter& painter, const QRectF& area) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPauseDisc);
    painter.drawEllipse(area);
    const double w = area.width() * kBarWidth;
    const double h = area.height() * kBarHeight;
    const double gap = area.width() * kBarGap;
    const QPointF centre = area.center();
    painter.setBrush(kPauseBars);
    painter.drawRect(QRectF(centre.x() - gap / 2 - w, centre.y() - h / 2, w, h));
    painter.drawRect(QRectF(centre.x() + gap / 2, centre.y() - h / 2, w, h));
}
