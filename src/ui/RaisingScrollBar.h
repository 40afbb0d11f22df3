#pragma once

#include <QScrollBar>

// A small vertical scroll bar used as an up/down control: the top arrow, a
// click above the thumb, the Up key and the wheel turned up all raise the
// value by one step; their counterparts lower it.
class RaisingScrollBar : public QScrollBar {
    Q_OBJECT

public:
    explicit RaisingScrollBar(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void reverseStep(int action);
};
