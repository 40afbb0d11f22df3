#include "ui/RowCaption.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyle>

namespace {

// Two blanks or more part the words; a single blank is the gap between words.
const QRegularExpression kGap(QStringLiteral(" {2,}"));

constexpr int kFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
// How much closer the letters of a head too wide are drawn at each try, in
// pixels, and at most.
constexpr qreal kSpacingStep = 0.05;
constexpr qreal kMostSqueeze = 1.0;

} // namespace

RowCaption::RowCaption(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

void RowCaption::setTailLeft(int x)
{
    if (m_tailLeft == x)
        return;
    m_tailLeft = x;
    update();
}

void RowCaption::setHeadEnd(int x)
{
    if (m_headEnd == x)
        return;
    m_headEnd = x;
    update();
}

QFont RowCaption::headFont() const
{
    QFont squeezed = font();
    const QString words = head();
    for (qreal spacing = 0.0; m_headEnd > 0 && spacing >= -kMostSqueeze; spacing -= kSpacingStep) {
        squeezed.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
        if (QFontMetrics(squeezed).horizontalAdvance(words) <= m_headEnd)
            break;
    }
    return squeezed;
}

QString RowCaption::head() const
{
    return text().section(kGap, 0, 0);
}

QString RowCaption::tail() const
{
    return text().section(kGap, 1);
}

void RowCaption::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.setFont(headFont());
    style()->drawItemText(&painter, area, kFlags, palette(), isEnabled(), head(), foregroundRole());
    painter.setFont(font());
    const QRect tailArea(m_tailLeft, area.top(), area.right() + 1 - m_tailLeft, area.height());
    style()->drawItemText(&painter, tailArea, kFlags, palette(), isEnabled(), tail(),
                          foregroundRole());
}
