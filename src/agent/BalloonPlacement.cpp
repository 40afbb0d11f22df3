#include "agent/BalloonPlacement.h"

#include "platform/KeepInside.h"

#include <algorithm>

namespace {

using Side = BalloonPlacement::Side;

constexpr Side kPreference[] = {Side::Left, Side::Right, Side::Below, Side::Above};
// The parrot's head sits in the upper third of its window.
constexpr double kHeadLevel = 0.3;
constexpr int kTailInset = BalloonPlacement::kCornerRadius + BalloonPlacement::kTailHalfWidth;

// Clamps [low, high] safely even when the range is inverted (tiny screens).
int bound(int value, int low, int high)
{
    return high < low ? low : std::clamp(value, low, high);
}

QRect windowFor(const QRect& body, Side side)
{
    constexpr int t = BalloonPlacement::kTailLength;
    switch (side) {
    case Side::Left:
        return body.adjusted(0, 0, t, 0);
    case Side::Right:
        return body.adjusted(-t, 0, 0, 0);
    case Side::Below:
        return body.adjusted(0, -t, 0, 0);
    case Side::Above:
        return body.adjusted(0, 0, 0, t);
    }
    return body;
}

// The body on `side` of the parrot, before it is kept on the screen.
QRect bodyBeside(Side side, const QRect& parrot, const QSize& size)
{
    constexpr int t = BalloonPlacement::kTailLength;
    const int headY = parrot.top() + int(parrot.height() * kHeadLevel);
    QRect body(QPoint(0, 0), size);
    switch (side) {
    case Side::Left:
        body.moveTopRight(QPoint(parrot.left() - t - 1, headY - size.height() / 2));
        break;
    case Side::Right:
        body.moveTopLeft(QPoint(parrot.right() + t + 1, headY - size.height() / 2));
        break;
    case Side::Below:
        body.moveTopLeft(QPoint(parrot.center().x() - size.width() / 2, parrot.bottom() + t + 1));
        break;
    case Side::Above:
        body.moveBottomLeft(QPoint(parrot.center().x() - size.width() / 2, parrot.top() - t - 1));
        break;
    }
    return body;
}

// Slides the window along the parrot (up and down beside it, sideways below
// or above it), which keeps the tail able to reach it.
QRect slideAlong(QRect window, Side side, const QRect& screen)
{
    const QRect inside = keepInside(window, screen);
    if (side == Side::Left || side == Side::Right)
        window.moveTop(inside.top());
    else
        window.moveLeft(inside.left());
    return window;
}

} // namespace

BalloonPlacement::Result BalloonPlacement::place(const QRect& parrot, const QSize& bodySize,
                                                 const QRect& screen, const QRect& keepClear)
{
    Result placed;
    if (tryEachSide(parrot, bodySize, screen, keepClear, placed))
        return placed;
    // No side has room: stay on the screen and off the strip, even if the
    // balloon covers the parrot.
    QRect below =
        keepInside(windowFor(bodyBeside(Side::Below, parrot, bodySize), Side::Below), screen);
    if (below.intersects(keepClear)) {
        below.moveTop(keepClear.bottom() + 1);
        below = keepInside(below, screen);
    }
    return finish(Side::Below, below, parrot);
}

bool BalloonPlacement::tryEachSide(const QRect& parrot, const QSize& bodySize, const QRect& screen,
                                   const QRect& keepClear, Result& placed)
{
    const QRect reach = parrot.adjusted(-1, -1, 1, 1);
    for (Side side : kPreference) {
        QRect window =
            slideAlong(windowFor(bodyBeside(side, parrot, bodySize), side), side, screen);
        // Beside the parrot, a balloon over the strip may drop below it as
        // long as its tail still meets the parrot.
        if (window.intersects(keepClear) && (side == Side::Left || side == Side::Right))
            window.moveTop(keepClear.bottom() + 1);
        if (!screen.contains(window) || window.intersects(keepClear))
            continue;
        placed = finish(side, window, parrot);
        if (reach.contains(placed.tailTip))
            return true;
    }
    return false;
}

BalloonPlacement::Result BalloonPlacement::finish(Side side, const QRect& window,
                                                  const QRect& parrot)
{
    Result r;
    r.side = side;
    constexpr int t = kTailLength;
    const int headY = parrot.top() + int(parrot.height() * kHeadLevel);
    switch (side) {
    case Side::Left:
        r.body = window.adjusted(0, 0, -t, 0);
        r.tailBase = QPoint(r.body.right(),
                            bound(headY, r.body.top() + kTailInset, r.body.bottom() - kTailInset));
        r.tailTip = QPoint(window.right(), r.tailBase.y());
        break;
    case Side::Right:
        r.body = window.adjusted(t, 0, 0, 0);
        r.tailBase = QPoint(r.body.left(),
                            bound(headY, r.body.top() + kTailInset, r.body.bottom() - kTailInset));
        r.tailTip = QPoint(window.left(), r.tailBase.y());
        break;
    case Side::Below:
        r.body = window.adjusted(0, t, 0, 0);
        r.tailBase = QPoint(
            bound(parrot.center().x(), r.body.left() + kTailInset, r.body.right() - kTailInset),
            r.body.top());
        r.tailTip = QPoint(r.tailBase.x(), window.top());
        break;
    case Side::Above:
        r.body = window.adjusted(0, 0, 0, -t);
        r.tailBase = QPoint(
            bound(parrot.center().x(), r.body.left() + kTailInset, r.body.right() - kTailInset),
            r.body.bottom());
        r.tailTip = QPoint(r.tailBase.x(), window.bottom());
        break;
    }
    r.window = window;
    return r;
}
