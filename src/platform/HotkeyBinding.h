// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

class UserDefaults;

// A global hotkey as stored: the stored key code of the main key and the
// stored modifier bits (see KeyTable for their meaning on this desktop).
struct HotkeyBinding
{
    quint32 keyCode = 0;
    quint32 modifiers = 0;

    friend bool operator==(const HotkeyBinding &, const HotkeyBinding &) = default;

    static HotkeyBinding builtInLaunch();
    static HotkeyBinding builtInScreenshot();

    // Reads the record {"keyCode", "modifiers"} under key; each entry that is
    // missing, not an integer or outside 0..4294967295 falls back on its own
    // to the built-in value. Writes nothing.
    static HotkeyBinding load(const UserDefaults &defaults, const QString &key, HotkeyBinding builtIn);
    // Replaces the record under key; returns whether the file was written.
    bool store(UserDefaults &defaults, const QString &key) const;

    // As Linux desktops write it: modifiers in the order Ctrl, Alt, Shift,
    // Super, then the key's name ("Alt+Space", "Ctrl+Super+S").
    QString displayText() const;
    // In the XDG shortcuts format the desktop portal takes ("ALT+space",
    // "CTRL+LOGO+s"); empty for a key code the table does not know.
    QString xdgTrigger() const;
};
