#pragma once

#include <QRect>
#include <Qt>
#include <functional>

class QWidget;

// What the tutor tells the desktop about its small windows, and asks it
// about the room panels leave. One backend per platform, chosen in CMake;
// callers see no platform code.
namespace DesktopHints {

// Keeps a top-level window out of the taskbar, the pager and the window
// switcher every time it is shown (X11: _NET_WM_STATE_SKIP_TASKBAR and
// _NET_WM_STATE_SKIP_PAGER). Elsewhere the Qt::Tool flag already does it.
void keepOffTaskbar(QWidget* window);

// Extra window flags for a window the tutor places itself and keeps above
// others: the strip, the parrot and its balloon. On XWayland the
// compositor's window manager may put managed windows wherever it likes
// (weston piles them near the top-left corner), so there they bypass it;
// on X11 the window manager honours their places and keeps them on top.
Qt::WindowFlags selfPlacedFlags();

// Whether a compositing manager draws the desktop, so that see-through
// pixels of a window show what is behind it. Without one (plain X11 with a
// simple window manager) such pixels come out black, and only a window's
// shape keeps its surroundings clean. X11: whether _NET_WM_CM_Sn has an
// owner; elsewhere always.
bool isCompositing();

// Whether a window's shape (its mask) hides the pixels outside it. XWayland
// hands the compositor a window's whole picture, alpha and all, and no
// shape: there a window paints its see-through pixels itself, or what it
// drew before shows on.
bool shapesHidePixels();

// Sends window pixels over the display connection instead of shared memory
// (X11: QT_XCB_NO_MITSHM), unless the user chose otherwise. With shared
// memory every repaint of an area shown before waits for a round trip to
// the server; the tutor's windows are small, so copying costs less. Call it
// before the application object exists.
void preferCopiedPixels();

// The part of the whole desktop that panels leave free, as the window
// manager publishes it (X11: _NET_WORKAREA); null when nobody says.
QRect workArea();

// Lets a shaped window grow its shape without the display server reporting
// what that uncovers, for a window that paints all of it straight after:
// `run` makes the change and leaves the requests for the paint to send.
// Without a compositor every frame of the parrot's wave grows its shape, and
// each report woke the tutor twice more per frame only to paint again what
// was just painted (X11: ExposureMask is off while the change is sent).
// Elsewhere, and until `refresh` has found the window's reports, `run` only
// makes the change.
class QuietReshape {
public:
    explicit QuietReshape(QWidget* window) : m_window(window) {}

    // Asks the server which reports the window gets: one round trip, so once
    // per motion rather than per frame.
    void refresh();
    void run(const std::function<void()>& change) const;

private:
    QWidget* m_window;
    quint32 m_reports = 0; // the window's own, with expose reports among them
};

} // namespace DesktopHints
