#include "platform/HotkeyBackend.h"

#include "platform/NullHotkeyBackend.h"
#include "platform/x11/X11HotkeyBackend.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

std::unique_ptr<HotkeyBackend> HotkeyBackend::createForPlatform()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection()) {
        xcb_connection_t *connection = x11->connection();
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        if (screen)
            return std::make_unique<X11HotkeyBackend>(connection, screen->root);
    }
    return std::make_unique<NullHotkeyBackend>();
}
