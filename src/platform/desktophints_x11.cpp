#include "platform/DesktopHints.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <array>
#include <memory>
#include <xcb/xcb.h>

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(qstrlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_connection_t* x11Connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr; // null: a test platform, native Wayland
}

bool onXWayland()
{
    return x11Connection() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
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
    xcb_connection_t* connection = x11Connection();
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
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return {};
    const xcb_atom_t property = internAtom(connection, "_NET_WORKAREA");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, root, property, XCB_ATOM_CARDINAL, 0, 4);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 16)
        return {};
    // The first desktop's area: x, y, width, height.
    const auto* area = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
}

bool DesktopHints::isCompositing()
{
    xcb_connection_t* connection = x11Connection();
    if (!connection || onXWayland())
        return true; // the Wayland compositor draws every window
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber());
    const xcb_atom_t selection = internAtom(connection, name.constData());
    const xcb_get_selection_owner_cookie_t cookie = xcb_get_selection_owner(connection, selection);
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&free)> owner(
        xcb_get_selection_owner_reply(connection, cookie, nullptr), &free);
    return owner && owner->owner != XCB_NONE;
}

void DesktopHints::QuietReshape::refresh()
{
    m_reports = 0;
    xcb_connection_t* connection = x11Connection();
    if (!connection || !m_window->testAttribute(Qt::WA_WState_Created))
        return;
    const auto id = static_cast<xcb_window_t>(m_window->winId());
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id),
                                        nullptr),
        &free);
    if (attributes && (attributes->your_event_mask & XCB_EVENT_MASK_EXPOSURE))
        m_reports = attributes->your_event_mask;
}

// The requests go out in order on Qt's own connection, with the paint that
// follows: the server makes the shape change while the reports are off.
void DesktopHints::QuietReshape::run(const std::function<void()>& change) const
{
    xcb_connection_t* connection = x11Connection();
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
