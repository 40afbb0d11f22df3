#include "platform/ScreenLayoutWatch.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <memory>
#include <xcb/xcb.h>

namespace {

// Hears the root window's _NET_WORKAREA change.
class WorkAreaFilter : public QObject, public QAbstractNativeEventFilter {
public:
    WorkAreaFilter(xcb_connection_t* connection, std::function<void()> changed, QObject* parent)
        : QObject(parent), m_changed(std::move(changed)),
          m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root)
    {
        static constexpr char kName[] = "_NET_WORKAREA";
        const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
            xcb_intern_atom_reply(connection,
                                  xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr),
            &free);
        m_workArea = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        hearRootProperties(connection);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
        if (change->window == m_root && change->atom == m_workArea)
            m_changed();
        return false; // Qt follows it too
    }

private:
    // Added to what Qt already hears from the root window.
    void hearRootProperties(xcb_connection_t* connection) const
    {
        const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
            xcb_get_window_attributes_reply(connection,
                                            xcb_get_window_attributes(connection, m_root), nullptr),
            &free);
        if (!attributes || (attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE))
            return;
        const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &mask);
    }

    std::function<void()> m_changed;
    xcb_window_t m_root;
    xcb_atom_t m_workArea = XCB_ATOM_NONE;
};

} // namespace

void ScreenLayoutWatch::watchPlatform()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        new WorkAreaFilter(
            x11->connection(), [this] { noteChange(); }, this);
}
