#include "ui/TitledFrame.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace {

// Where the title starts along the top line, and the gap on either side of
// it, in pixels.
constexpr int kTitleIndent = 6;
constexpr int kTitleGap = 2;
constexpr int kLineWidth = 1;

} // namespace

TitledFrame::TitledFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

int TitledFrame::topLine() const
{
    return fontMetrics().height() / 2;
}

QRect TitledFrame::titleRect() const
{
    const QFontMetrics metrics = fontMetrics();
    return {kTitleIndent, 0, metrics.horizontalAdvance(title()) + 2 * kTitleGap, metrics.height()};
}

void TitledFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Etched, as a frame of the classic layout is; the style's own group box
    // frame keeps below the title whatever rectangle it is given.
    qDrawShadeRect(&painter, rect().adjusted(0, topLine(), 0, 0), palette(), true, kLineWidth);
    // The title breaks the line: the dialog's own background behind it.
    const QRect titleArea = titleRect();
    painter.fillRect(titleArea, palette().window());
    style()->drawItemText(&painter, titleArea, Qt::AlignCenter | Qt::TextSingleLine, palette(),
                          isEnabled(), title(), foregroundRole());
}
