#pragma once

#include "agent/BalloonPlacement.h"

#include <QFont>
#include <QString>
#include <QWidget>

// The word balloon beside the parrot: the spoken text in a rounded box with
// a tail, in its own frameless window that never takes the focus.
class WordBalloon : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxTextWidth = 260;
    static constexpr int kPadding = 10;

    explicit WordBalloon(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    // The box the current text needs, wrapped to at most kMaxTextWidth.
    QSize bodySize() const;
    // Moves the window to a placement computed for bodySize().
    void place(const BalloonPlacement::Result& placement);
    const BalloonPlacement::Result& placement() const { return m_placement; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainterPath outline() const; // body and tail, in window coordinates
    QRect textRect() const;

    QFont m_font;
    QString m_text;
    BalloonPlacement::Result m_placement;
};
