#pragma once

#include "agent/BalloonPlacement.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QWidget>

// The word balloon beside the parrot: the spoken text in a rounded box with
// a tail, in its own frameless window that never takes the focus.
//
// Between sentences the window stays mapped with a shape that shows
// nothing: mapping it afresh for every sentence cost the window system a
// dozen round trips and reports each time.
class WordBalloon : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxTextWidth = 260;
    static constexpr int kPadding = 10;
    // The format of a translucent window's backing store.
    static constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;

    explicit WordBalloon(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    // The box the current text needs, wrapped to at most kMaxTextWidth.
    QSize bodySize() const;
    // Moves the window to a placement computed for bodySize().
    void place(const BalloonPlacement::Result& placement);
    // Shows the balloon as placed, or takes it out of sight.
    void present();
    void withdraw();
    bool isPresented() const { return m_presented; }
    const BalloonPlacement::Result& placement() const { return m_placement; }
    // The balloon as it is painted, drawn when first needed after a change.
    const QImage& picture(qreal devicePixelRatio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainterPath outline() const; // body and tail, in window coordinates
    QRect textRect() const;

    QFont m_font;
    QString m_text;
    QImage m_picture; // null until painted after a change
    QRegion m_shape;  // the body and tail as placed
    bool m_presented = false;
    // Where a shape does not hide pixels the balloon is withdrawn by
    // painting it see-through, and has no shape at all.
    const bool m_shaped;
    BalloonPlacement::Result m_placement;
};
