// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>

struct xcb_connection_t;

// Passive key grabs on the root window, one per lock-modifier variant, through
// Qt's own X connection; presses are picked out of Qt's native event stream.
class X11HotkeyBackend : public HotkeyBackend, private QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // connection and root must outlive the backend.
    X11HotkeyBackend(xcb_connection_t *connection, quint32 root, QObject *parent = nullptr);
    ~X11HotkeyBackend() override;

    GrabResult grab(int id, HotkeyBinding binding) override;
    void release(int id) override;
    Mechanism mechanism(int id) const override;

private:
    struct Grab
    {
        quint8 keycode;
        quint16 modifiers;
        bool down = false;
        quint32 releasedAt = 0;
    };

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    quint16 lockModifierVariants(int index) const;
    void ungrab(const Grab &grab, int variants);

    xcb_connection_t *m_connection;
    quint32 m_root;
    quint16 m_numLockMask;
    QHash<int, Grab> m_grabs;
};
