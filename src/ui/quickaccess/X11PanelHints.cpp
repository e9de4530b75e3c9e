#include "X11PanelHints.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>

#ifdef CADRELLE_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#endif

namespace cadrelle {

#ifdef CADRELLE_HAVE_XCB
namespace {

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.constData());
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The X screen of the display the program uses: the number after the dot
// of DISPLAY (":0.1"), 0 when there is none.
QByteArray screenNumber() {
    const QByteArray display = qgetenv("DISPLAY");
    const auto colon = display.lastIndexOf(':');
    const auto dot = display.lastIndexOf('.');
    return dot > colon ? display.mid(dot + 1) : QByteArrayLiteral("0");
}

} // namespace

bool compositorRunning() {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return false;
    }
    const xcb_atom_t selection = atom(connection, "_NET_WM_CM_S" + screenNumber());
    if (selection == XCB_ATOM_NONE) {
        return false;
    }
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection),
                                      nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

void markAsStickyPanel(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window.winId());
    const std::uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_WM_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    // Qt adds its own states (above) to these when it maps the window.
    const xcb_atom_t states[] = {
        atom(connection, "_NET_WM_STATE_STICKY"), atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
        atom(connection, "_NET_WM_STATE_SKIP_PAGER"), atom(connection, "_NET_WM_STATE_ABOVE")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, std::size(states), states);
    xcb_flush(connection);
}

#else

bool compositorRunning() {
    return false;
}

void markAsStickyPanel(QWidget&) {}

#endif

} // namespace cadrelle
