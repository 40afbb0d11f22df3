#pragma once

#include <QLabel>

// The caption of a number row, such as "Italian Display     second.": its
// number box and bar sit in the run of blanks. The words before the blanks
// are drawn at the left and the words after them from a place the layout
// chooses, so the box fits between them whatever the font. The text itself
// is left whole for tools and screen readers.
class RowCaption : public QLabel {
    Q_OBJECT

public:
    explicit RowCaption(const QString& text, QWidget* parent = nullptr);

    // Where the words after the blanks begin, in the caption's own pixels.
    void setTailLeft(int x);
    int tailLeft() const { return m_tailLeft; }
    // Where the words before the blanks must end; a head that would run on
    // is drawn with its letters drawn closer. 0: anywhere.
    void setHeadEnd(int x);
    // The font the words before the blanks are drawn in.
    QFont headFont() const;
    // The words before and after the run of blanks.
    QString head() const;
    QString tail() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_tailLeft = 0;
    int m_headEnd = 0;
};
