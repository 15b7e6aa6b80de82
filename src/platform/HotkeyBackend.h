#pragma once

#include "platform/HotkeyBinding.h"

#include <QObject>

#include <memory>

// The desktop's facility for system-wide key combinations. Grabs are named by
// the caller's id; a second grab under the same id replaces the first.
class HotkeyBackend : public QObject
{
    Q_OBJECT

public:
    enum class GrabResult {
        grabbed,
        taken,       // another program holds the combination
        unknownKey,  // the key code has no key on this desktop
        unsupported, // no global grabs on this session (Wayland, offscreen)
    };

    using QObject::QObject;

    virtual GrabResult grab(int id, HotkeyBinding binding) = 0;
    virtual void release(int id) = 0;

    // The X11 backend on an X11 session, otherwise one that grabs nothing.
    static std::unique_ptr<HotkeyBackend> createForPlatform();

Q_SIGNALS:
    // Delivered on the main thread, once per press (key repeat is ignored).
    void pressed(int id);
};
