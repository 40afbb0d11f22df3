#include "platform/FullScreenWatch.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <memory>
#include <xcb/xcb.h>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&free)>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                               &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_connection_t* x11Connection()
{
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr; // null: a test platform, native Wayland
}

// Adds property changes to what this client hears from `window`, keeping
// what Qt (on the root window) already asked for.
void listenToProperties(xcb_connection_t* connection, xcb_window_t window)
{
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        nullptr),
        &free);
    if (!attributes)
        return; // gone already
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

} // namespace

class FullScreenWatch::Backend : public QAbstractNativeEventFilter {
public:
    Backend(FullScreenWatch& watch, xcb_connection_t* connection)
        : m_watch(watch), m_connection(connection),
          m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
          m_activeAtom(internAtom(connection, "_NET_ACTIVE_WINDOW")),
          m_stateAtom(internAtom(connection, "_NET_WM_STATE")),
          m_fullScreenAtom(internAtom(connection, "_NET_WM_STATE_FULLSCREEN"))
    {
        listenToProperties(m_connection, m_root);
        followActiveWindow();
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
        if (change->window == m_root && change->atom == m_activeAtom)
            followActiveWindow();
        else if (change->window == m_active && change->atom == m_stateAtom)
            check();
        return false; // Qt may want it too
    }

private:
    void followActiveWindow()
    {
        const xcb_window_t active = activeWindow();
        if (active != m_active) {
            m_active = active;
            if (m_active != XCB_WINDOW_NONE)
                listenToProperties(m_connection, m_active);
        }
        check();
    }

    xcb_window_t activeWindow() const
    {
        const Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(
                m_connection,
                xcb_get_property(m_connection, 0, m_root, m_activeAtom, XCB_ATOM_WINDOW, 0, 1),
                nullptr),
            &free);
        if (!reply || xcb_get_property_value_length(reply.get()) < int(sizeof(xcb_window_t)))
            return XCB_WINDOW_NONE;
        return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    }

    bool hasFullScreenState() const
    {
        constexpr uint32_t kMostStates = 32;
        const Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 0, m_active, m_stateAtom,
                                                    XCB_ATOM_ATOM, 0, kMostStates),
                                   nullptr),
            &free);
        if (!reply)
            return false;
        const auto* states = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i) {
            if (states[i] == m_fullScreenAtom)
                return true;
        }
        return false;
    }

    // The window's middle in root coordinates, past any frame around it.
    QPoint middleOfActive() const
    {
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_active), nullptr),
            &free);
        if (!geometry)
            return {};
        const Reply<xcb_translate_coordinates_reply_t> origin(
            xcb_translate_coordinates_reply(
                m_connection, xcb_translate_coordinates(m_connection, m_active, m_root, 0, 0),
                nullptr),
            &free);
        if (!origin)
            return {};
        return {origin->dst_x + geometry->width / 2, origin->dst_y + geometry->height / 2};
    }

    void check()
    {
        const bool fullScreen = m_active != XCB_WINDOW_NONE && m_active != m_root &&
                                hasFullScreenState() &&
                                m_watch.m_monitor().contains(middleOfActive());
        m_watch.report(fullScreen);
    }

    FullScreenWatch& m_watch;
    xcb_connection_t* const m_connection;
    const xcb_window_t m_root;
    const xcb_atom_t m_activeAtom;
    const xcb_atom_t m_stateAtom;
    const xcb_atom_t m_fullScreenAtom;
    xcb_window_t m_active = XCB_WINDOW_NONE;
};

FullScreenWatch::FullScreenWatch(std::function<QRect()> monitor, QObject* parent)
    : QObject(parent), m_monitor(std::move(monitor))
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    m_backend = std::make_unique<Backend>(*this, connection);
    QCoreApplication::instance()->installNativeEventFilter(m_backend.get());
}

FullScreenWatch::~FullScreenWatch()
{
    if (m_backend && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_backend.get());
}

bool FullScreenWatch::isWatching() const
{
    return m_backend != nullptr;
}

void FullScreenWatch::report(bool fullScreen)
{
    if (fullScreen == m_fullScreen)
        return;
    m_fullScreen = fullScreen;
    Q_EMIT fullScreenChanged(fullScreen);
}
