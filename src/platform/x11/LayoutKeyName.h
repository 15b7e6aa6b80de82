// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What the current keyboard layout shows on a key (X11 key code), without
// modifiers: the character in upper case ("K", "Ö"), or the key's symbol name
// when it types no character ("F1"). Asks the X server's keymap; without an X
// connection the default layout of the system stands in.
std::optional<QString> layoutKeyName(quint32 x11Keycode);

// The xkb name of the symbol on that key without modifiers ("space", "s",
// "F1", "comma"), as the XDG shortcuts format writes keys.
std::optional<QString> layoutKeysymName(quint32 x11Keycode);
