#include "ui/VersionPicture.h"

#include "platform/ProductInfo.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

constexpr int kMargin = 12; // text never comes closer to the edge than this
constexpr int kTextWidth = VersionPicture::kWidth - 2 * kMargin;
constexpr int kSmallestPixelSize = 7;

const QColor kSkyTop(0x25, 0x67, 0xd6);
const QColor kSkyBottom(0x0c, 0x2c, 0x74);
const QColor kCaption(0xb9, 0xd3, 0xff); // the small "Web" / "E-mail" captions
const QColor kItalianGreen(0x00, 0x92, 0x46);
const QColor kItalianWhite(0xf4, 0xf5, 0xf0);
const QColor kItalianRed(0xce, 0x2b, 0x37);
const QColor kInk(0x12, 0x35, 0x74);

// The speech bubble: a rounded box with a tail at its lower left.
constexpr QRectF kBubble(50, 18, 110, 68);
constexpr qreal kBubbleRadius = 16;

struct LineStyle {
    const char* text;
    int pixelSize;
    bool bold;
    bool caption; // a small caption above an address
    int top;
    int height;
};

// Top to bottom. Captions are ours; the rest comes from ProductInfo.
constexpr LineStyle kLines[] = {
    {ProductInfo::kVersionText, 24, true, false, 116, 32},
    {ProductInfo::kMaker, 14, false, false, 160, 20},
    {"Web", 10, true, true, 196, 14},
    {ProductInfo::kWebsite, 12, false, false, 210, 18},
    {"E-mail", 10, true, true, 234, 14},
    {ProductInfo::kEmailAddress, 12, false, false, 248, 18},
};

QFont fittedFont(const QString& text, int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    for (int size = pixelSize; size >= kSmallestPixelSize; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(text) <= kTextWidth)
            break;
    }
    return font;
}

void paintBackground(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, VersionPicture::kHeight);
    sky.setColorAt(0, kSkyTop);
    sky.setColorAt(1, kSkyBottom);
    p.fillRect(QRect(0, 0, VersionPicture::kWidth, VersionPicture::kHeight), sky);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(5.5, 5.5, VersionPicture::kWidth - 11, VersionPicture::kHeight - 11),
                      8, 8);
}

QPainterPath bubblePath()
{
    QPainterPath box;
    box.addRoundedRect(kBubble, kBubbleRadius, kBubbleRadius);
    const qreal bottom = kBubble.bottom();
    QPainterPath tail;
    tail.addPolygon(QPolygonF({QPointF(kBubble.left() + 22, bottom - 4),
                               QPointF(kBubble.left() + 12, bottom + 16),
                               QPointF(kBubble.left() + 46, bottom - 4)}));
    return box.united(tail);
}

void paintEmblem(QPainter& p)
{
    const QPainterPath bubble = bubblePath();
    p.save();
    p.translate(2, 3); // soft shadow
    p.fillPath(bubble, QColor(0, 0, 0, 60));
    p.restore();

    p.save();
    p.setClipPath(bubble);
    const qreal band = kBubble.width() / 3;
    const qreal top = kBubble.top();
    const qreal height = kBubble.height() + 30; // the tail hangs below the box
    p.fillRect(QRectF(kBubble.left(), top, band, height), kItalianGreen);
    p.fillRect(QRectF(kBubble.left() + band, top, band, height), kItalianWhite);
    p.fillRect(QRectF(kBubble.left() + 2 * band, top, band, height), kItalianRed);
    p.restore();

    p.setPen(QPen(Qt::white, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bubble);

    // "Ciao!" on a white label across the middle of the bubble.
    const QRectF label(kBubble.left() + 14, kBubble.center().y() - 13, kBubble.width() - 28, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(label, 13, 13);
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(17);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(label, Qt::AlignCenter, QStringLiteral("Ciao!"));
}

void paintRule(QPainter& p, int y)
{
    p.setPen(QPen(QColor(255, 255, 255, 110), 1));
    p.drawLine(QPointF(40, y + 0.5), QPointF(VersionPicture::kWidth - 40, y + 0.5));
}

} // namespace

VersionPicture::VersionPicture(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A press anywhere belongs to the window that shows the picture.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QList<VersionPicture::TextLine> VersionPicture::textLines()
{
    QList<TextLine> lines;
    for (const LineStyle& style : kLines) {
        const QString text = QString::fromUtf8(style.text);
        lines.append({text, fittedFont(text, style.pixelSize, style.bold),
                      QRect(kMargin, style.top, kTextWidth, style.height), style.caption});
    }
    return lines;
}

void VersionPicture::paint(QPainter& p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintBackground(p);
    paintEmblem(p);
    paintRule(p, 186);
    for (const TextLine& line : textLines()) {
        p.setFont(line.font);
        p.setPen(line.caption ? kCaption : QColor(Qt::white));
        p.drawText(line.box, Qt::AlignCenter, line.text);
    }
    p.restore();
}

void VersionPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter);
}
