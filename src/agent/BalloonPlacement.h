#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the word balloon goes: beside the parrot's head when there is room,
// else below or above it, always wholly on the screen, with its tail reaching
// from the balloon's edge to the parrot. Works in screen pixels.
class BalloonPlacement {
public:
    enum class Side { Left, Right, Below, Above }; // the balloon's side of the parrot

    struct Result {
        QRect body;      // the rounded box holding the text
        QRect window;    // body plus tail: the balloon window's geometry
        QPoint tailTip;  // touches the parrot
        QPoint tailBase; // middle of the tail's root on the body's edge
        Side side = Side::Left;
    };

    static constexpr int kTailLength = 16;
    static constexpr int kTailHalfWidth = 7;
    static constexpr int kCornerRadius = 10;

    // `parrot` is the character's window, `bodySize` the text box's size,
    // `screen` the area the balloon must stay in and `keepClear` an area it
    // must never cover (the strip), if any.
    static Result place(const QRect& parrot, const QSize& bodySize, const QRect& screen,
                        const QRect& keepClear = {});

private:
    // The first side, in order of preference, with room on the screen clear
    // of `keepClear`; false when none has.
    static bool tryEachSide(const QRect& parrot, const QSize& bodySize, const QRect& screen,
                            const QRect& keepClear, Result& placed);
    // Splits a placed window into body and tail.
    static Result finish(Side side, const QRect& window, const QRect& parrot);
};
