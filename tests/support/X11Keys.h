// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>

#include <linux/input-event-codes.h>

// The X11 key code of a physical key given by its Linux evdev name (KEY_K):
// with the evdev driver the X server numbers keys from 8 on, as xev shows.
constexpr quint32 x11Keycode(int evdevCode)
{
    return quint32(evdevCode) + 8;
}

// A key press as the X server delivers it: Qt's key and modifiers, and the key's X11 code.
inline void pressX11Key(QObject *target, quint32 x11Keycode, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, x11Keycode, 0, 0);
    QCoreApplication::sendEvent(target, &event);
}
