#pragma once

#include <QFrame>

// The thin box around the strip, a plain box one line wide. The lines inside
// it repaint at every step of their animations, and the box, which draws
// nothing there, would be painted again with them each time.
class StripOutline : public QFrame {
    Q_OBJECT

public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent* event) override;
};
