#include "agent/CompositorCheck.h"

#include <QByteArray>
#include <QGuiApplication>
#include <optional>

#if defined(Q_OS_UNIX) && defined(QT_FEATURE_xcb) && QT_FEATURE_xcb > 0 &&                         \
    __has_include(<xcb/xcb.h>) && __has_include(<dlfcn.h>)
#define QUORVEL_ASK_X11 1
#include <cstdlib>
#include <dlfcn.h>
#include <xcb/xcb.h>
#endif

namespace {

#ifdef QUORVEL_ASK_X11

// The xcb library is already loaded by Qt's X11 platform plugin: use it
// through that copy rather than linking it into the program a second time.
struct Xcb {
    decltype(&xcb_intern_atom) internAtom = nullptr;
    decltype(&xcb_intern_atom_reply) internAtomReply = nullptr;
    decltype(&xcb_get_selection_owner) selectionOwner = nullptr;
    decltype(&xcb_get_selection_owner_reply) selectionOwnerReply = nullptr;

    static Xcb loaded()
    {
        Xcb xcb;
        void* library = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_NOLOAD);
        if (!library)
            return xcb;
        xcb.internAtom = reinterpret_cast<decltype(internAtom)>(dlsym(library, "xcb_intern_atom"));
        xcb.internAtomReply =
            reinterpret_cast<decltype(internAtomReply)>(dlsym(library, "xcb_intern_atom_reply"));
        xcb.selectionOwner =
            reinterpret_cast<decltype(selectionOwner)>(dlsym(library, "xcb_get_selection_owner"));
        xcb.selectionOwnerReply = reinterpret_cast<decltype(selectionOwnerReply)>(
            dlsym(library, "xcb_get_selection_owner_reply"));
        dlclose(library); // the platform plugin keeps it loaded
        return xcb;
    }
    bool isComplete() const
    {
        return internAtom && internAtomReply && selectionOwner && selectionOwnerReply;
    }
};

// The X screen number in DISPLAY (":0.1" -> 1).
int screenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon + 1);
    return dot < 0 ? 0 : display.mid(dot + 1).toInt();
}

std::optional<bool> askX11()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const Xcb xcb = Xcb::loaded();
    if (!xcb.isComplete())
        return std::nullopt;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screenNumber());
    xcb_intern_atom_reply_t* atom = xcb.internAtomReply(
        connection, xcb.internAtom(connection, 0, quint16(name.size()), name.constData()), nullptr);
    if (!atom)
        return std::nullopt;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    xcb_get_selection_owner_reply_t* owner =
        xcb.selectionOwnerReply(connection, xcb.selectionOwner(connection, selection), nullptr);
    if (!owner)
        return std::nullopt;
    const bool owned = owner->owner != XCB_NONE;
    std::free(owner);
    return owned;
}

#endif

} // namespace

bool isCompositing()
{
#ifdef QUORVEL_ASK_X11
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        // When the server cannot be asked, cutting the shape every frame is
        // the choice that looks right either way.
        return askX11().value_or(false);
    }
#endif
    return true;
}
