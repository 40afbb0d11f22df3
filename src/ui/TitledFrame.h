#pragma once

#include <QGroupBox>

// A frame whose top line runs through the middle of its title, the title
// breaking it, as the twips layout expects: the buttons placed just below
// the title then sit clear inside the frame. Today's styles draw the line
// below the title instead, where those buttons would touch it.
class TitledFrame : public QGroupBox {
    Q_OBJECT

public:
    explicit TitledFrame(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The row of the top line, in the frame's own pixels.
    int topLine() const;
    QRect titleRect() const;
};
