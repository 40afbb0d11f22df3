#pragma once

class QWidget;

// What the desktop is told about the tutor's own small windows. One backend
// per platform, chosen in CMake; callers see no platform code.
namespace WindowHints {

// Keeps a top-level window out of the taskbar, the pager and the window
// switcher every time it is shown (X11: _NET_WM_STATE_SKIP_TASKBAR and
// _NET_WM_STATE_SKIP_PAGER). Elsewhere the Qt::Tool flag already does it.
void keepOffTaskbar(QWidget* window);

} // namespace WindowHints
