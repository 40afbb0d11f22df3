#include "platform/DesktopHints.h"
#include "platform/XcbHelpers.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <array>

namespace {

using Xcb::internAtom;

bool onXWayland()
{
    return Xcb::connection() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The X screen the display names (":0.1" -> 1).
int screenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}

// Adds the skip states to a window that is about to be mapped. Qt writes
// its own states at the mapping and keeps the ones it finds.
void addSkipStates(QWidget* window)
{
    xcb_connection_t* connection = Xcb::connection();
    if (!connection)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 2> skip{internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                         internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE)
        return;
    xcb_delete_property(connection, id, state);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(skip.size()), skip.data());
    xcb_flush(connection);
}

// Show reaches a widget after its native window exists and before it is
// mapped: the one moment the state can be set without asking the window
// manager.
class SkipTaskbarOnShow : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            addSkipStates(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

namespace DesktopHints {

void keepOffTaskbar(QWidget* window)
{
    window->installEventFilter(new SkipTaskbarOnShow(window));
}

Qt::WindowFlags selfPlacedFlags()
{
    return onXWayland() ? Qt::WindowFlags(Qt::X11BypassWindowManagerHint) : Qt::WindowFlags();
}

bool shapesHidePixels()
{
    // Natively on Wayland a mask only limits where input goes.
    return !onXWayland() && QGuiApplication::platformName() != QLatin1String("wayland");
}

void preferCopiedPixels()
{
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

} // namespace DesktopHints

QRect DesktopHints::workArea()
{
    xcb_connection_t* connection = Xcb::connection();
    if (!connection)
        return {};
    const xcb_atom_t property = internAtom(connection, "_NET_WORKAREA");
    const xcb_window_t root = Xcb::rootOf(connection);
    const auto reply =
        Xcb::fetch(xcb_get_property_reply, connection,
                   xcb_get_property(connection, 0, root, property, XCB_ATOM_CARDINAL, 0, 4));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 16)
        return {};
    // The first desktop's area: x, y, width, height.
    const auto* area = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
}

bool DesktopHints::isCompositing()
{
    xcb_connection_t* connection = Xcb::connection();
    if (!connection || onXWayland())
        return true; // the Wayland compositor draws every window
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber());
    const xcb_atom_t selection = internAtom(connection, name.constData());
    const auto owner = Xcb::fetch(xcb_get_selection_owner_reply, connection,
                                  xcb_get_selection_owner(connection, selection));
    return owner && owner->owner != XCB_NONE;
}

void DesktopHints::QuietReshape::refresh()
{
    m_reports = 0;
    xcb_connection_t* connection = Xcb::connection();
    if (!connection || !m_window->testAttribute(Qt::WA_WState_Created))
        return;
    const auto id = static_cast<xcb_window_t>(m_window->winId());
    const std::optional<uint32_t> reports = Xcb::eventMask(connection, id);
    if (reports && (*reports & XCB_EVENT_MASK_EXPOSURE))
        m_reports = *reports;
}

// The requests go out in order on Qt's own connection, with the paint that
// follows: the server makes the shape change while the reports are off.
void DesktopHints::QuietReshape::run(const std::function<void()>& change) const
{
    xcb_connection_t* connection = Xcb::connection();
    if (!connection || m_reports == 0) {
        change();
        return;
    }
    const auto id = static_cast<xcb_window_t>(m_window->winId());
    const uint32_t quiet = m_reports & ~uint32_t(XCB_EVENT_MASK_EXPOSURE);
    const uint32_t reports = m_reports;
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &quiet);
    change();
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &reports);
}
