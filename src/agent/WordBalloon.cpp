#include "agent/WordBalloon.h"

#include "agent/AlphaRegion.h"
#include "agent/BandedPainting.h"
#include "platform/DesktopHints.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kPointSize = 11;
constexpr int kMinTextWidth = 40;
constexpr qreal kBorderWidth = 1.5;
const QColor kFill(0xff, 0xfd, 0xf3);
const QColor kBorder(0x3a, 0x3a, 0x40);
const QColor kInk(0x1d, 0x1d, 0x22);

constexpr int kTextFlags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

} // namespace

WordBalloon::WordBalloon(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint |
                          Qt::WindowTransparentForInput | DesktopHints::selfPlacedFlags()),
      m_font(QStringLiteral("Liberation Sans"), kPointSize),
      m_shaped(DesktopHints::shapesHidePixels())
{
    setObjectName(QStringLiteral("WordBalloon"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    DesktopHints::keepOffTaskbar(this);
    m_font.setStyleHint(QFont::SansSerif);
    setFont(m_font);
}

void WordBalloon::setText(const QString& text)
{
    m_text = text;
    m_picture = QImage();
    update();
}

QSize WordBalloon::bodySize() const
{
    const QFontMetrics metrics(m_font);
    const QRect bounds =
        metrics.boundingRect(QRect(0, 0, kMaxTextWidth, 10000), kTextFlags, m_text);
    const int width = std::max(bounds.width(), kMinTextWidth);
    // A little slack so drawing wraps exactly where measuring did.
    return {width + 2 * kPadding + 2, bounds.height() + 2 * kPadding};
}

void WordBalloon::place(const BalloonPlacement::Result& placement)
{
    m_placement = placement;
    setGeometry(placement.window);
    QImage shape(placement.window.size(), kFormat);
    shape.fill(Qt::transparent);
    const QPainterPath path = outline();
    paintInBands(shape, [&](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, Qt::black);
        painter.strokePath(path, QPen(Qt::black, kBorderWidth));
    });
    m_shape = alphaRegion(shape);
    m_picture = QImage();
    if (m_shaped)
        setMask(m_presented ? m_shape : QRegion(kMaskShowingNothing));
    update();
}

void WordBalloon::present()
{
    m_presented = true;
    if (m_shaped)
        setMask(m_shape);
    if (isVisible())
        repaint(); // goes out right behind the shape that uncovers it
    else
        show();
}

void WordBalloon::withdraw()
{
    m_presented = false;
    if (!isVisible())
        return;
    if (m_shaped)
        setMask(kMaskShowingNothing);
    else
        repaint();
}

QPainterPath WordBalloon::outline() const
{
    const QPoint origin = m_placement.window.topLeft();
    const QRectF body = QRectF(m_placement.body.translated(-origin)).adjusted(1, 1, -1, -1);
    const QPointF tip = m_placement.tailTip - origin;
    const QPointF base = m_placement.tailBase - origin;
    // The tail's root runs along the body edge it leaves from.
    const bool horizontal = m_placement.side == BalloonPlacement::Side::Left ||
                            m_placement.side == BalloonPlacement::Side::Right;
    const QPointF across = horizontal ? QPointF(0, BalloonPlacement::kTailHalfWidth)
                                      : QPointF(BalloonPlacement::kTailHalfWidth, 0);
    // Start the tail a little inside the body so the two shapes join cleanly.
    const QPointF inward = (base - tip) / std::max(1.0, QLineF(base, tip).length()) * 3.0;

    QPainterPath box;
    box.addRoundedRect(body, BalloonPlacement::kCornerRadius, BalloonPlacement::kCornerRadius);
    QPainterPath tail;
    tail.moveTo(base + inward - across);
    tail.lineTo(tip);
    tail.lineTo(base + inward + across);
    tail.closeSubpath();
    return box.united(tail).simplified();
}

QRect WordBalloon::textRect() const
{
    const QRect body = m_placement.body.translated(-m_placement.window.topLeft());
    return body.adjusted(kPadding, kPadding, -kPadding, -kPadding);
}

const QImage& WordBalloon::picture(qreal devicePixelRatio)
{
    if (!m_picture.isNull() && m_picture.size() == size() * devicePixelRatio &&
        m_picture.devicePixelRatio() == devicePixelRatio)
        return m_picture;
    m_picture = QImage(size() * devicePixelRatio, kFormat);
    m_picture.setDevicePixelRatio(devicePixelRatio);
    m_picture.fill(Qt::transparent);
    const QPainterPath path = outline();
    paintInBands(m_picture, [&](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, kFill);
        painter.strokePath(path, QPen(kBorder, kBorderWidth));
        painter.setPen(kInk);
        painter.setFont(m_font);
        painter.drawText(textRect(), kTextFlags, m_text);
    });
    return m_picture;
}

void WordBalloon::paintEvent(QPaintEvent*)
{
    // Drawn once per text and place in the backing store's format, then
    // copied as it is whenever the window needs it.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (!m_presented) {
        painter.fillRect(rect(), Qt::transparent);
        return;
    }
    const QImage& picture = this->picture(devicePixelRatioF());
    paintInBands(painter, rect(),
                 [&picture](QPainter& band) { band.drawImage(QPointF(0, 0), picture); });
}
