// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/KeyTable.h"

#include "platform/x11/LayoutKeyName.h"

#include <QKeySequence>

#include <array>

namespace KeyTable {

namespace {

struct PhysicalKey
{
    quint32 storedKey;
    quint32 evdev;
    QKeyCombination qtKey;
};

constexpr QKeyCombination keypad(Qt::Key key)
{
    return QKeyCombination(Qt::KeypadModifier, key);
}

// Stored key codes beside the Linux evdev codes of the same key position
// (linux/input-event-codes.h), cross-checked against the per-key columns of
// Chromium's ui/events/keycodes/dom/dom_code_data.inc.
constexpr std::array kKeys = {
    PhysicalKey{0x00, 30, Qt::Key_A},
    PhysicalKey{0x01, 31, Qt::Key_S},
    PhysicalKey{0x02, 32, Qt::Key_D},
    PhysicalKey{0x03, 33, Qt::Key_F},
    PhysicalKey{0x04, 35, Qt::Key_H},
    PhysicalKey{0x05, 34, Qt::Key_G},
    PhysicalKey{0x06, 44, Qt::Key_Z},
    PhysicalKey{0x07, 45, Qt::Key_X},
    PhysicalKey{0x08, 46, Qt::Key_C},
    PhysicalKey{0x09, 47, Qt::Key_V},
    PhysicalKey{0x0A, 86, Qt::Key_Less}, // the ISO key beside left Shift
    PhysicalKey{0x0B, 48, Qt::Key_B},
    PhysicalKey{0x0C, 16, Qt::Key_Q},
    PhysicalKey{0x0D, 17, Qt::Key_W},
    PhysicalKey{0x0E, 18, Qt::Key_E},
    PhysicalKey{0x0F, 19, Qt::Key_R},
    PhysicalKey{0x10, 21, Qt::Key_Y},
    PhysicalKey{0x11, 20, Qt::Key_T},
    PhysicalKey{0x12, 2, Qt::Key_1},
    PhysicalKey{0x13, 3, Qt::Key_2},
    PhysicalKey{0x14, 4, Qt::Key_3},
    PhysicalKey{0x15, 5, Qt::Key_4},
    PhysicalKey{0x16, 7, Qt::Key_6},
    PhysicalKey{0x17, 6, Qt::Key_5},
    PhysicalKey{0x18, 13, Qt::Key_Equal},
    PhysicalKey{0x19, 10, Qt::Key_9},
    PhysicalKey{0x1A, 8, Qt::Key_7},
    PhysicalKey{0x1B, 12, Qt::Key_Minus},
    PhysicalKey{0x1C, 9, Qt::Key_8},
    PhysicalKey{0x1D, 11, Qt::Key_0},
    PhysicalKey{0x1E, 27, Qt::Key_BracketRight},
    PhysicalKey{0x1F, 24, Qt::Key_O},
    PhysicalKey{0x20, 22, Qt::Key_U},
    PhysicalKey{0x21, 26, Qt::Key_BracketLeft},
    PhysicalKey{0x22, 23, Qt::Key_I},
    PhysicalKey{0x23, 25, Qt::Key_P},
    PhysicalKey{0x24, 28, Qt::Key_Return},
    PhysicalKey{0x25, 38, Qt::Key_L},
    PhysicalKey{0x26, 36, Qt::Key_J},
    PhysicalKey{0x27, 40, Qt::Key_Apostrophe},
    PhysicalKey{0x28, 37, Qt::Key_K},
    PhysicalKey{0x29, 39, Qt::Key_Semicolon},
    PhysicalKey{0x2A, 43, Qt::Key_Backslash},
    PhysicalKey{0x2B, 51, Qt::Key_Comma},
    PhysicalKey{0x2C, 53, Qt::Key_Slash},
    PhysicalKey{0x2D, 49, Qt::Key_N},
    PhysicalKey{0x2E, 50, Qt::Key_M},
    PhysicalKey{0x2F, 52, Qt::Key_Period},
    PhysicalKey{0x30, 15, Qt::Key_Tab},
    PhysicalKey{0x31, 57, Qt::Key_Space},
    PhysicalKey{0x32, 41, Qt::Key_QuoteLeft},
    PhysicalKey{0x33, 14, Qt::Key_Backspace},
    PhysicalKey{0x35, 1, Qt::Key_Escape},
    PhysicalKey{0x36, 126, Qt::Key_Meta},
    PhysicalKey{0x37, 125, Qt::Key_Meta},
    PhysicalKey{0x38, 42, Qt::Key_Shift},
    PhysicalKey{0x39, 58, Qt::Key_CapsLock},
    PhysicalKey{0x3A, 56, Qt::Key_Alt},
    PhysicalKey{0x3B, 29, Qt::Key_Control},
    PhysicalKey{0x3C, 54, Qt::Key_Shift},
    PhysicalKey{0x3D, 100, Qt::Key_Alt},
    PhysicalKey{0x3E, 97, Qt::Key_Control},
    PhysicalKey{0x40, 187, Qt::Key_F17},
    PhysicalKey{0x41, 83, keypad(Qt::Key_Period)},
    PhysicalKey{0x43, 55, keypad(Qt::Key_Asterisk)},
    PhysicalKey{0x45, 78, keypad(Qt::Key_Plus)},
    PhysicalKey{0x47, 69, Qt::Key_NumLock}, // Clear on keypads that have it
    PhysicalKey{0x48, 115, Qt::Key_VolumeUp},
    PhysicalKey{0x49, 114, Qt::Key_VolumeDown},
    PhysicalKey{0x4A, 113, Qt::Key_VolumeMute},
    PhysicalKey{0x4B, 98, keypad(Qt::Key_Slash)},
    PhysicalKey{0x4C, 96, keypad(Qt::Key_Enter)},
    PhysicalKey{0x4E, 74, keypad(Qt::Key_Minus)},
    PhysicalKey{0x4F, 188, Qt::Key_F18},
    PhysicalKey{0x50, 189, Qt::Key_F19},
    PhysicalKey{0x51, 117, keypad(Qt::Key_Equal)},
    PhysicalKey{0x52, 82, keypad(Qt::Key_0)},
    PhysicalKey{0x53, 79, keypad(Qt::Key_1)},
    PhysicalKey{0x54, 80, keypad(Qt::Key_2)},
    PhysicalKey{0x55, 81, keypad(Qt::Key_3)},
    PhysicalKey{0x56, 75, keypad(Qt::Key_4)},
    PhysicalKey{0x57, 76, keypad(Qt::Key_5)},
    PhysicalKey{0x58, 77, keypad(Qt::Key_6)},
    PhysicalKey{0x59, 71, keypad(Qt::Key_7)},
    PhysicalKey{0x5A, 190, Qt::Key_F20},
    PhysicalKey{0x5B, 72, keypad(Qt::Key_8)},
    PhysicalKey{0x5C, 73, keypad(Qt::Key_9)},
    PhysicalKey{0x5D, 124, Qt::Key_yen},
    PhysicalKey{0x5E, 89, Qt::Key_Underscore}, // the JIS key left of right Shift
    PhysicalKey{0x5F, 95, keypad(Qt::Key_Comma)},
    PhysicalKey{0x60, 63, Qt::Key_F5},
    PhysicalKey{0x61, 64, Qt::Key_F6},
    PhysicalKey{0x62, 65, Qt::Key_F7},
    PhysicalKey{0x63, 61, Qt::Key_F3},
    PhysicalKey{0x64, 66, Qt::Key_F8},
    PhysicalKey{0x65, 67, Qt::Key_F9},
    PhysicalKey{0x66, 123, Qt::Key_Eisu_toggle}, // Lang2
    PhysicalKey{0x67, 87, Qt::Key_F11},
    PhysicalKey{0x68, 122, Qt::Key_Kana_Lock}, // Lang1
    PhysicalKey{0x69, 183, Qt::Key_F13},
    PhysicalKey{0x6A, 186, Qt::Key_F16},
    PhysicalKey{0x6B, 184, Qt::Key_F14},
    PhysicalKey{0x6D, 68, Qt::Key_F10},
    PhysicalKey{0x6E, 127, Qt::Key_Menu},
    PhysicalKey{0x6F, 88, Qt::Key_F12},
    PhysicalKey{0x71, 185, Qt::Key_F15},
    PhysicalKey{0x72, 110, Qt::Key_Insert}, // Help on the original keyboard
    PhysicalKey{0x73, 102, Qt::Key_Home},
    PhysicalKey{0x74, 104, Qt::Key_PageUp},
    PhysicalKey{0x75, 111, Qt::Key_Delete},
    PhysicalKey{0x76, 62, Qt::Key_F4},
    PhysicalKey{0x77, 107, Qt::Key_End},
    PhysicalKey{0x78, 60, Qt::Key_F2},
    PhysicalKey{0x79, 109, Qt::Key_PageDown},
    PhysicalKey{0x7A, 59, Qt::Key_F1},
    PhysicalKey{0x7B, 105, Qt::Key_Left},
    PhysicalKey{0x7C, 106, Qt::Key_Right},
    PhysicalKey{0x7D, 108, Qt::Key_Down},
    PhysicalKey{0x7E, 103, Qt::Key_Up},
};

const PhysicalKey *byStoredKey(quint32 storedKey)
{
    for (const PhysicalKey &key : kKeys) {
        if (key.storedKey == storedKey)
            return &key;
    }
    return nullptr;
}

} // namespace

std::optional<quint32> evdevCodeForStoredKey(quint32 storedKey)
{
    const PhysicalKey *key = byStoredKey(storedKey);
    return key ? std::optional(key->evdev) : std::nullopt;
}

std::optional<quint32> storedKeyForEvdevCode(quint32 evdevCode)
{
    for (const PhysicalKey &key : kKeys) {
        if (key.evdev == evdevCode)
            return key.storedKey;
    }
    return std::nullopt;
}

std::optional<quint8> x11KeycodeForStoredKey(quint32 storedKey)
{
    const std::optional<quint32> evdev = evdevCodeForStoredKey(storedKey);
    if (!evdev || *evdev + 8 > 255)
        return std::nullopt;
    return static_cast<quint8>(*evdev + 8);
}

std::optional<quint32> storedKeyForX11Keycode(quint32 keycode)
{
    if (keycode < 8 || keycode > 255)
        return std::nullopt;
    return storedKeyForEvdevCode(keycode - 8);
}

std::optional<QKeyCombination> qtKeyForStoredKey(quint32 storedKey)
{
    const PhysicalKey *key = byStoredKey(storedKey);
    return key ? std::optional(key->qtKey) : std::nullopt;
}

QString keyName(quint32 storedKey)
{
    const PhysicalKey *key = byStoredKey(storedKey);
    if (!key)
        return QStringLiteral("Key%1").arg(storedKey);
    const Qt::Key qtKey = key->qtKey.key();
    // Letters, digits and punctuation follow the layout; named keys do not.
    const bool character = qtKey > Qt::Key_Space && qtKey < Qt::Key_Escape && !key->qtKey.keyboardModifiers();
    if (character && key->evdev + 8 <= 255) {
        if (std::optional<QString> name = layoutKeyName(key->evdev + 8); name && name->size() <= 2)
            return *name;
    }
    return QKeySequence(key->qtKey).toString(QKeySequence::PortableText);
}

bool isModifierKey(quint32 storedKey)
{
    return storedKey >= 0x36 && storedKey <= 0x3E;
}

namespace {

struct ModifierBits
{
    quint32 stored;
    quint16 x11;
};

constexpr ModifierBits kModifierBits[] = {
    {storedShift, x11Shift}, {storedControl, x11Control}, {storedAlt, x11Alt}, {storedSuper, x11Super}};

} // namespace

quint16 x11ModifiersFromStored(quint32 storedModifiers)
{
    quint16 mask = 0;
    for (const ModifierBits &bits : kModifierBits)
        mask |= (storedModifiers & bits.stored) ? bits.x11 : 0;
    return mask;
}

quint32 storedModifiersFromX11(quint16 x11State)
{
    quint32 stored = 0;
    for (const ModifierBits &bits : kModifierBits)
        stored |= (x11State & bits.x11) ? bits.stored : 0;
    return stored;
}

Qt::KeyboardModifiers qtModifiersFromStored(quint32 storedModifiers)
{
    Qt::KeyboardModifiers modifiers;
    if (storedModifiers & storedShift)
        modifiers |= Qt::ShiftModifier;
    if (storedModifiers & storedControl)
        modifiers |= Qt::ControlModifier;
    if (storedModifiers & storedAlt)
        modifiers |= Qt::AltModifier;
    if (storedModifiers & storedSuper)
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

quint32 storedModifiersFromQt(Qt::KeyboardModifiers modifiers)
{
    quint32 stored = 0;
    if (modifiers & Qt::ShiftModifier)
        stored |= storedShift;
    if (modifiers & Qt::ControlModifier)
        stored |= storedControl;
    if (modifiers & Qt::AltModifier)
        stored |= storedAlt;
    if (modifiers & Qt::MetaModifier)
        stored |= storedSuper;
    return stored;
}

} // namespace KeyTable
