#include "ui/RowCaption.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyle>

namespace {

// Two blanks or more part the words; a single blank is the gap between words.
const QRegularExpression kGap(QStringLiteral(" {2,}"));

constexpr int kFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;

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
    style()->drawItemText(&painter, area, kFlags, palette(), isEnabled(), head(), foregroundRole());
    const QRect tailArea(m_tailLeft, area.top(), area.right() + 1 - m_tailLeft, area.height());
    style()->drawItemText(&painter, tailArea, kFlags, palette(), isEnabled(), tail(),
                          foregroundRole());
}
