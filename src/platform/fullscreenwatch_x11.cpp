#include "platform/FullScreenWatch.h"
#include "platform/XcbHelpers.h"

#include <QAbstractNativeEventFilter>
#include <algorithm>

using Xcb::eventMask;
using Xcb::fetch;
using Xcb::internAtom;
using Xcb::setEventMask;

class FullScreenWatch::Backend : public QAbstractNativeEventFilter {
public:
    Backend(FullScreenWatch& watch, xcb_connection_t* connection)
        : m_watch(watch), m_connection(connection), m_root(Xcb::rootOf(connection)),
          m_activeAtom(internAtom(connection, "_NET_ACTIVE_WINDOW")),
          m_stateAtom(internAtom(connection, "_NET_WM_STATE")),
          m_fullScreenAtom(internAtom(connection, "_NET_WM_STATE_FULLSCREEN"))
    {
        // Added to what Qt already hears from the root window.
        Xcb::hearProperties(m_connection, m_root);
        followActiveWindow();
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        const xcb_property_notify_event_t* change = Xcb::propertyChange(eventType, message);
        if (!change)
            return false;
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
            // Only the active window's changes matter: stop hearing the last
            // one's, or every window once active would keep waking us.
            if (m_active != XCB_WINDOW_NONE)
                setEventMask(m_connection, m_active, m_activeMask);
            m_active = active;
            const auto mask =
                active != XCB_WINDOW_NONE ? eventMask(m_connection, active) : std::nullopt;
            m_activeMask = mask.value_or(0);
            if (mask)
                setEventMask(m_connection, active, *mask | XCB_EVENT_MASK_PROPERTY_CHANGE);
        }
        check();
    }

    xcb_window_t activeWindow() const
    {
        const auto reply =
            fetch(xcb_get_property_reply, m_connection,
                  xcb_get_property(m_connection, 0, m_root, m_activeAtom, XCB_ATOM_WINDOW, 0, 1));
        if (!reply || xcb_get_property_value_length(reply.get()) < int(sizeof(xcb_window_t)))
            return XCB_WINDOW_NONE;
        return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    }

    bool hasFullScreenState() const
    {
        constexpr uint32_t kMostStates = 32;
        const auto reply = fetch(xcb_get_property_reply, m_connection,
                                 xcb_get_property(m_connection, 0, m_active, m_stateAtom,
                                                  XCB_ATOM_ATOM, 0, kMostStates));
        if (!reply)
            return false;
        const auto* states = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
        return std::find(states, states + count, m_fullScreenAtom) != states + count;
    }

    // The window's middle in root coordinates, past any frame around it.
    std::optional<QPoint> middleOfActive() const
    {
        const auto geometry =
            fetch(xcb_get_geometry_reply, m_connection, xcb_get_geometry(m_connection, m_active));
        const auto origin = fetch(xcb_translate_coordinates_reply, m_connection,
                                  xcb_translate_coordinates(m_connection, m_active, m_root, 0, 0));
        if (!geometry || !origin)
            return std::nullopt;
        return QPoint(origin->dst_x + geometry->width / 2, origin->dst_y + geometry->height / 2);
    }

    void check()
    {
        bool fullScreen = false;
        if (m_active != XCB_WINDOW_NONE && m_active != m_root && hasFullScreenState()) {
            const std::optional<QPoint> middle = middleOfActive();
            fullScreen = middle && m_watch.m_monitor().contains(*middle);
        }
        m_watch.report(fullScreen);
    }

    FullScreenWatch& m_watch;
    xcb_connection_t* const m_connection;
    const xcb_window_t m_root;
    const xcb_atom_t m_activeAtom;
    const xcb_atom_t m_stateAtom;
    const xcb_atom_t m_fullScreenAtom;
    xcb_window_t m_active = XCB_WINDOW_NONE;
    uint32_t m_activeMask = 0; // what was heard from it before we listened
};

FullScreenWatch::FullScreenWatch(std::function<QRect()> monitor, QObject* parent)
    : QObject(parent), m_monitor(std::move(monitor))
{
    xcb_connection_t* connection = Xcb::connection();
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
