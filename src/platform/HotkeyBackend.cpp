// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HotkeyBackend.h"

#include "platform/ChainedHotkeyBackend.h"
#include "platform/NullHotkeyBackend.h"
#include "platform/portal/PortalHotkeyBackend.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotkeyBackend.h"

#include <QGuiApplication>

std::unique_ptr<HotkeyBackend> HotkeyBackend::createForPlatform(const QList<Named> &names)
{
    if (xcb_connection_t *connection = x11Connection(); connection && x11RootWindow()) {
        return std::make_unique<ChainedHotkeyBackend>(std::make_unique<X11HotkeyBackend>(connection, x11RootWindow()),
                                                      std::make_unique<PortalHotkeyBackend>(names));
    }
    // Offscreen and minimal sessions have no desktop to ask.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return std::make_unique<PortalHotkeyBackend>(names);
    return std::make_unique<NullHotkeyBackend>();
}
