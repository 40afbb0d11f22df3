#include "strip/CaptionLine.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr QChar kBlank = QLatin1Char(' ');

qsizetype leadingBlanks(const QString& text)
{
    qsizetype count = 0;
    while (count < text.size() && text.at(count) == kBlank)
        ++count;
    return count;
}

} // namespace

CaptionLine::CaptionLine(QWidget* parent) : QLabel(parent)
{
    m_words.setTextFormat(Qt::PlainText);
}

// Compared as a view: a paint with the same words allocates nothing.
void CaptionLine::prepare(QStringView words)
{
    if (words == m_words.text() && font() == m_preparedFont)
        return;
    m_preparedFont = font();
    m_words.setText(words.toString());
    m_words.prepare(QTransform(), m_preparedFont);
    const QFontMetricsF metrics(m_preparedFont);
    m_blankAdvance = metrics.horizontalAdvance(kBlank);
    m_blankKerning = words.isEmpty()
                         ? 0.0
                         : metrics.horizontalAdvance(kBlank + m_words.text()) - m_blankAdvance -
                               metrics.horizontalAdvance(m_words.text());
    m_lineHeight = metrics.ascent() + metrics.descent();
}

// Left-aligned and centred upright in the contents, as QLabel places a line.
void CaptionLine::paintEvent(QPaintEvent*)
{
    const QString& line = text();
    const qsizetype blanks = leadingBlanks(line);
    if (blanks == line.size())
        return;
    prepare(QStringView(line).mid(blanks));
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const qreal indent =
        static_cast<qreal>(blanks) * m_blankAdvance + (blanks > 0 ? m_blankKerning : 0.0);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setClipRect(area);
    painter.drawStaticText(
        QPointF(area.left() + indent, area.top() + (area.height() - m_lineHeight) / 2), m_words);
}
