// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/X11Connection.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

xcb_connection_t *x11Connection()
{
    // A QCoreApplication (command-line tools, guiless tests) has no native interface.
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    auto *x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

quint32 x11RootWindow()
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return 0;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen ? screen->root : 0;
}
