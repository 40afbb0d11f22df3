#include "platform/ScreenLayoutWatch.h"
#include "platform/XcbHelpers.h"

#include <QAbstractNativeEventFilter>

namespace {

// Hears the root window's _NET_WORKAREA change.
class WorkAreaFilter : public QObject, public QAbstractNativeEventFilter {
public:
    WorkAreaFilter(xcb_connection_t* connection, std::function<void()> changed, QObject* parent)
        : QObject(parent), m_changed(std::move(changed)), m_root(Xcb::rootOf(connection)),
          m_workArea(Xcb::internAtom(connection, "_NET_WORKAREA"))
    {
        // Added to what Qt already hears from the root window.
        Xcb::hearProperties(connection, m_root);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        const xcb_property_notify_event_t* change = Xcb::propertyChange(eventType, message);
        if (change && change->window == m_root && change->atom == m_workArea)
            m_changed();
        return false; // Qt follows it too
    }

private:
    std::function<void()> m_changed;
    xcb_window_t m_root;
    xcb_atom_t m_workArea;
};

} // namespace

void ScreenLayoutWatch::watchPlatform()
{
    if (xcb_connection_t* connection = Xcb::connection())
        new WorkAreaFilter(
            connection, [this] { noteChange(); }, this);
}
