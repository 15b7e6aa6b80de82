// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>

#include <functional>

// Sees X11 key presses before Qt turns them into key events, also those that
// reach a window through an active keyboard grab. The handler gets the X11
// key code and the stored modifier bits, and returns whether it took the key.
// Installed last, it runs before the filters installed earlier.
class X11KeyPressFilter : public QAbstractNativeEventFilter
{
public:
    using Handler = std::function<bool(quint32 x11Keycode, quint32 storedModifiers)>;

    explicit X11KeyPressFilter(Handler handler);
    ~X11KeyPressFilter() override;

    void setActive(bool active);
    bool isActive() const { return m_active; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    Handler m_handler;
    bool m_active = false;
};
