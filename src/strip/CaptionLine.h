#pragma once

#include <QLabel>
#include <QStaticText>

// One line of the strip: a label that lays its words out once and from then
// on only draws them, wherever the run of blanks before them puts them. The
// Italian line scrolls in by losing one blank a step and the English line
// slides up; laying the whole text out again for every step cost more than
// the rest of the strip's drawing. It looks exactly as a plain label would.
class CaptionLine : public QLabel {
    Q_OBJECT

public:
    explicit CaptionLine(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays `words` out afresh when they or the font changed.
    void prepare(QStringView words);

    QStaticText m_words;
    QFont m_preparedFont;
    qreal m_blankAdvance = 0.0;
    qreal m_blankKerning = 0.0; // between the last blank and the first word
    qreal m_lineHeight = 0.0;
};
