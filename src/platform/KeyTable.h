// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <QKeyCombination>
#include <QString>

#include <optional>

// One table of physical keys: the stored bindings keep the original platform's
// virtual key codes (49 = Space, 1 = S, 53 = Esc, 122 = F1, ...) and Carbon
// modifier bits; this translates them to X11 key codes (Linux evdev code + 8),
// X11 modifier masks and Qt modifiers, and back. A code names a key position,
// so a binding means the same physical key on every layout.
namespace KeyTable {

// Carbon modifier bits.
constexpr quint32 carbonCommand = 0x100;
constexpr quint32 carbonShift = 0x200;
constexpr quint32 carbonOption = 0x800;
constexpr quint32 carbonControl = 0x1000;
constexpr quint32 carbonModifierMask = carbonCommand | carbonShift | carbonOption | carbonControl;

// X11 modifier masks of the four real modifiers (Super is Mod4, Alt is Mod1
// in every current xkb configuration). Lock and Num Lock are not among them.
constexpr quint16 x11Shift = 0x0001;
constexpr quint16 x11Control = 0x0004;
constexpr quint16 x11Alt = 0x0008;
constexpr quint16 x11Super = 0x0040;
constexpr quint16 x11ModifierMask = x11Shift | x11Control | x11Alt | x11Super;

std::optional<quint32> evdevCodeForVirtualKey(quint32 virtualKey);
std::optional<quint32> virtualKeyForEvdevCode(quint32 evdevCode);

// X11 key code = evdev code + 8; codes above 255 have no X11 key code.
std::optional<quint8> x11KeycodeForVirtualKey(quint32 virtualKey);
std::optional<quint32> virtualKeyForX11Keycode(quint32 keycode);

// The key as Qt names it on a US layout, for showing a binding; keypad keys
// carry Qt::KeypadModifier.
std::optional<QKeyCombination> qtKeyForVirtualKey(quint32 virtualKey);

// The key's name as Linux desktops write it: what the current layout shows on
// a character key ("S", "Ö", ","), Qt's name for the others ("Space", "F5",
// "Left", "Num+7"), else "Key" and the number ("Key52").
QString keyName(quint32 virtualKey);

// Shift, Control, Option, Command and Caps Lock keys themselves.
bool isModifierKey(quint32 virtualKey);

quint16 x11ModifiersForCarbon(quint32 carbonModifiers);
quint32 carbonModifiersForX11(quint16 x11State); // lock modifiers are ignored
Qt::KeyboardModifiers qtModifiersForCarbon(quint32 carbonModifiers);
quint32 carbonModifiersForQt(Qt::KeyboardModifiers modifiers);

} // namespace KeyTable
