#include "platform/HotkeyBackend.h"

#include "platform/NullHotkeyBackend.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotkeyBackend.h"

std::unique_ptr<HotkeyBackend> HotkeyBackend::createForPlatform()
{
    if (xcb_connection_t *connection = x11Connection(); connection && x11RootWindow())
        return std::make_unique<X11HotkeyBackend>(connection, x11RootWindow());
    return std::make_unique<NullHotkeyBackend>();
}
