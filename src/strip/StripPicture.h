#pragma once

#include <QWidget>

class QPainter;

// The small picture at the strip's right end that opens the popup menu. It
// reports every pointer movement over it, with or without a button held, and
// the pointer's arrival over it; while disabled it reports nothing.
class StripPicture : public QWidget {
    Q_OBJECT

public:
    explicit StripPicture(QWidget* parent = nullptr);

    // Size of the picture itself, inside its one-pixel border.
    static constexpr int kPictureSize = 16;

    QSize sizeHint() const override;

    // While paused the picture carries a pause mark.
    void setPaused(bool paused);

Q_SIGNALS:
    void mouseMoved();

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPauseMark(QPainter& painter, const QRectF& area) const;

    bool m_paused = false;
};
