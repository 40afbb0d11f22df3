#pragma once

// Whether a compositing manager draws the desktop, so that see-through
// pixels of a window show what is behind it. Without one (plain X11 with a
// simple window manager) such pixels come out black, and only the window's
// shape keeps the parrot's surroundings clean.
//
// On X11 this asks who owns the _NET_WM_CM_Sn selection, one round trip to
// the server. Other platforms always composite.
bool isCompositing();
