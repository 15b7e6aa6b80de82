// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/X11KeyPressFilter.h"

#include "platform/KeyTable.h"

#include <QCoreApplication>

#include <xcb/xcb.h>

X11KeyPressFilter::X11KeyPressFilter(Handler handler)
    : m_handler(std::move(handler))
{
}

X11KeyPressFilter::~X11KeyPressFilter()
{
    setActive(false);
}

void X11KeyPressFilter::setActive(bool active)
{
    if (active == m_active || !QCoreApplication::instance())
        return;
    m_active = active;
    if (active)
        QCoreApplication::instance()->installNativeEventFilter(this);
    else
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11KeyPressFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto *key = static_cast<const xcb_key_press_event_t *>(message);
    return m_handler(key->detail, KeyTable::storedModifiersFromX11(key->state));
}
