// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowActivation.h"

#include "platform/Logging.h"

#include <QGuiApplication>

namespace WindowActivation {

void holdToken(const QString &token)
{
    if (token.isEmpty() || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    // Qt's Wayland plugin uses this variable, once, at the next activation request.
    qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    EventTrace::note("activation-token");
}

} // namespace WindowActivation
