// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/X11Window.h"

#include "platform/x11/X11Connection.h"

#include <QHash>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace X11Window {

namespace {

xcb_connection_t *connection()
{
    return x11Connection();
}

xcb_window_t root(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    static QHash<QByteArray, xcb_atom_t> cache;
    const QByteArray key(name);
    if (const auto it = cache.constFind(key); it != cache.cend())
        return *it;
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, key.size(), name), nullptr), &std::free);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    cache.insert(key, result);
    return result;
}

} // namespace

void prepareFloatingPanel(WId window)
{
    xcb_connection_t *c = connection();
    if (!c)
        return;
    const auto id = static_cast<xcb_window_t>(window);
    const quint32 allDesktops = 0xFFFFFFFF;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    // Qt merges its own states into this property when it maps the window.
    const xcb_atom_t states[] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), atom(c, "_NET_WM_STATE_SKIP_PAGER"),
                                 atom(c, "_NET_WM_STATE_STICKY")};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 3, states);
    xcb_flush(c);
}

void activate(WId window)
{
    xcb_connection_t *c = connection();
    if (!c)
        return;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window);
    event.type = atom(c, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2; // source indication: pager
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, root(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

bool compositingManagerRunning()
{
    xcb_connection_t *c = connection();
    if (!c)
        return true; // Wayland compositors always composite
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom(c, "_NET_WM_CM_S0")), nullptr), &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

} // namespace X11Window
