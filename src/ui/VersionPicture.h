#pragma once

#include <QFont>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

class QPainter;

// The version picture of the start-up and About windows: product name and
// version, the maker and how to reach them, over a blue background with a
// small tricolour speech bubble. Painted with vector calls, so it stays sharp
// at any device pixel ratio.
class VersionPicture : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 210;
    static constexpr int kHeight = 280;

    // One line of text on the picture: what it says, in which font, and the
    // box (in picture pixels) it is centred in.
    struct TextLine {
        QString text;
        QFont font;
        QRect box;
        bool caption; // a small caption rather than information
    };

    explicit VersionPicture(QWidget* parent = nullptr);

    // The text lines, top to bottom, each font already shrunk to fit its box.
    static QList<TextLine> textLines();
    // Paints the whole picture into the 210x280 area at the painter's origin.
    static void paint(QPainter& painter);

protected:
    void paintEvent(QPaintEvent* event) override;
};
