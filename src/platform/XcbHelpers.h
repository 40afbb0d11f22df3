#pragma once

// Requests the X11 backends share. Included only by the *_x11.cpp files,
// the only ones built where libxcb is.

#include <QByteArray>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace Xcb {

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

// The reply to a request about a window that may have gone meanwhile: its
// error is dropped here rather than logged by Qt.
template <typename T, typename Cookie>
Reply<T> fetch(T* (*replyOf)(xcb_connection_t*, Cookie, xcb_generic_error_t**),
               xcb_connection_t* connection, Cookie cookie)
{
    xcb_generic_error_t* error = nullptr;
    Reply<T> reply(replyOf(connection, cookie, &error), &free);
    free(error);
    return reply;
}

inline xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const auto reply =
        fetch(xcb_intern_atom_reply, connection,
              xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Qt's own connection; null on a test platform or natively on Wayland.
inline xcb_connection_t* connection()
{
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

inline xcb_window_t rootOf(xcb_connection_t* connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// What this client hears from `window`; nothing when it is gone.
inline std::optional<uint32_t> eventMask(xcb_connection_t* connection, xcb_window_t window)
{
    const auto attributes = fetch(xcb_get_window_attributes_reply, connection,
                                  xcb_get_window_attributes(connection, window));
    if (!attributes)
        return std::nullopt;
    return attributes->your_event_mask;
}

// A window may be gone by the time we ask; that is no error worth a word.
inline void setEventMask(xcb_connection_t* connection, xcb_window_t window, uint32_t mask)
{
    const xcb_void_cookie_t cookie =
        xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &mask);
    free(xcb_request_check(connection, cookie));
}

// Adds property changes to what this client already hears from `window`.
inline void hearProperties(xcb_connection_t* connection, xcb_window_t window)
{
    const std::optional<uint32_t> mask = eventMask(connection, window);
    if (mask && !(*mask & XCB_EVENT_MASK_PROPERTY_CHANGE))
        setEventMask(connection, window, *mask | XCB_EVENT_MASK_PROPERTY_CHANGE);
}

// The property change a native event filter was handed; null for any other
// event.
inline const xcb_property_notify_event_t* propertyChange(const QByteArray& eventType, void* message)
{
    if (eventType != "xcb_generic_event_t")
        return nullptr;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return nullptr;
    return static_cast<const xcb_property_notify_event_t*>(message);
}

} // namespace Xcb
