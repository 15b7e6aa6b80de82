// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBinding.h"

#include <QList>
#include <QObject>

#include <memory>

// The desktop's facility for system-wide key combinations. Grabs are named by
// the caller's id; a second grab under the same id replaces the first.
class HotkeyBackend : public QObject
{
    Q_OBJECT

public:
    enum class GrabResult {
        Grabbed,
        Taken, // another program holds the combination
        UnknownKey, // the key code has no key on this desktop
        Unsupported, // no global grabs on this session (Wayland, offscreen)
        Pending, // the desktop was asked; resultChanged() tells its answer
        Declined, // the desktop, or the user in its dialog, refused it
    };
    Q_ENUM(GrabResult)

    // Who holds a grab: the program itself (X11) or the desktop (its portal).
    enum class Mechanism { None, OwnGrab, DesktopShortcut };

    // What the desktop's portal needs to know of each id.
    struct Named
    {
        int id;
        QString name; // "launch", "screenshot"
        QString description; // shown by the desktop beside the trigger
    };

    using QObject::QObject;

    virtual GrabResult grab(int id, HotkeyBinding binding) = 0;
    virtual void release(int id) = 0;
    virtual Mechanism mechanism(int) const { return Mechanism::None; }
    // The desktop's own words for the trigger ("Alt+Space"); empty when the
    // program holds the grab itself.
    virtual QString triggerDescription(int) const { return {}; }

    // On Wayland the desktop's portal; on X11 the program's own grab, and the
    // portal for a combination another program holds; else nothing.
    static std::unique_ptr<HotkeyBackend> createForPlatform(const QList<Named> &names = {});

Q_SIGNALS:
    // Delivered on the main thread, once per press (key repeat is ignored).
    // activationToken: the desktop's token to focus a window with (may be empty).
    void pressed(int id, const QString &activationToken);
    // The answer to a grab that returned pending, or a later change of it.
    void resultChanged(int id, HotkeyBackend::GrabResult result);
    // The desktop's descriptions of the triggers changed.
    void triggersChanged();
};
