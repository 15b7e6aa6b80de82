// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Wayland lets a window take the focus only with a token from the desktop
// (xdg-activation). A token handed over with a shortcut's activation is kept
// here for the next window Tarnwick activates; on X11 this does nothing.
namespace WindowActivation {

void holdToken(const QString &token);

} // namespace WindowActivation
