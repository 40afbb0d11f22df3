#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Turns mouse presses, moves and releases on a set of widgets into the three
// drag steps of the strip. Any button counts. The widget pressed keeps the
// mouse until the release, so a drag that leaves it still reports to it.
class DragHandles : public QObject {
    Q_OBJECT

public:
    using Step = std::function<void()>;

    DragHandles(Step down, Step move, Step up, QObject* parent = nullptr);

    // Starts handling `handle`'s mouse events.
    void watch(QWidget* handle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Step m_down;
    Step m_move;
    Step m_up;
};
