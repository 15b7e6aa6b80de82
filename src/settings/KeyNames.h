#pragma once

#include <QString>
#include <QtGlobal>

// The display text of a hotkey binding: the modifier symbols present in the
// Carbon mask, always in the order ⌃⌥⇧⌘, then the key's name ("⌥Space", "⇧⌘K").
QString hotkeyString(quint32 keyCode, quint32 modifiers);

// A virtual key code's name: the fixed names first, then what the current
// keyboard layout shows on that key, else "Key" and the number ("Key122").
QString keyName(quint32 keyCode);
