// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <QKeyCombination>
#include <QString>

#include <optional>

// One table of physical keys. A binding is stored as a key code of our own
// (49 = Space, 1 = S, 53 = Esc, 122 = F1, ...) and modifier bits of our own;
// these numbers are the stored format of a binding, kept so that older
// preference files keep working. This translates them to X11 key codes (Linux
// evdev code + 8), X11 modifier masks and Qt modifiers, and back. A code names
// a key position, so a binding means the same physical key on every layout.
namespace KeyTable {

// The stored modifier bits.
constexpr quint32 storedSuper = 0x100;
constexpr quint32 storedShift = 0x200;
constexpr quint32 storedAlt = 0x800;
constexpr quint32 storedControl = 0x1000;
constexpr quint32 storedModifierMask = storedSuper | storedShift | storedAlt | storedControl;

// X11 modifier masks of the four real modifiers (Super is Mod4, Alt is Mod1
// in every current xkb configuration). Lock and Num Lock are not among them.
constexpr quint16 x11Shift = 0x0001;
constexpr quint16 x11Control = 0x0004;
constexpr quint16 x11Alt = 0x0008;
constexpr quint16 x11Super = 0x0040;
constexpr quint16 x11ModifierMask = x11Shift | x11Control | x11Alt | x11Super;

std::optional<quint32> evdevCodeForStoredKey(quint32 storedKey);
std::optional<quint32> storedKeyForEvdevCode(quint32 evdevCode);

// X11 key code = evdev code + 8; codes above 255 have no X11 key code.
std::optional<quint8> x11KeycodeForStoredKey(quint32 storedKey);
std::optional<quint32> storedKeyForX11Keycode(quint32 keycode);

// The key as Qt names it on a US layout, for showing a binding; keypad keys
// carry Qt::KeypadModifier.
std::optional<QKeyCombination> qtKeyForStoredKey(quint32 storedKey);

// The key's name as Linux desktops write it: what the current layout shows on
// a character key ("S", "Ö", ","), Qt's name for the others ("Space", "F5",
// "Left", "Num+7"), else "Key" and the number ("Key52").
QString keyName(quint32 storedKey);

// Shift, Control, Alt, Super and Caps Lock keys themselves.
bool isModifierKey(quint32 storedKey);

quint16 x11ModifiersFromStored(quint32 storedModifiers);
quint32 storedModifiersFromX11(quint16 x11State); // lock modifiers are ignored
Qt::KeyboardModifiers qtModifiersFromStored(quint32 storedModifiers);
quint32 storedModifiersFromQt(Qt::KeyboardModifiers modifiers);

} // namespace KeyTable
