// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBackend.h"
#include "platform/HotkeyBinding.h"

#include <QObject>

#include <array>
#include <functional>
#include <optional>
#include <memory>

class UserDefaults;

// The system-wide hotkeys: the launch hotkey calls the callback, the
// screenshot hotkey posts "TakeTarnwickScreenshot", the dictate hotkey (unbound
// until the user chooses one) emits dictatePressed. Bindings are read from the
// preferences at construction and written by update/updateScreenshot/setBinding.
// Unlike a silent refusal, each hotkey reports whether it is really active.
class HotkeyManager : public QObject
{
    Q_OBJECT

public:
    enum class Hotkey { Launch = 1, Screenshot = 2, Dictate = 3 };
    static constexpr Hotkey allHotkeys[] = {Hotkey::Launch, Hotkey::Screenshot, Hotkey::Dictate};

    enum class Status {
        NotRegistered,
        Active,
        Taken, // another program holds the combination
        SameAsOther, // bound like an earlier hotkey (launch, then screenshot), which keeps it
        UnknownKey, // the key code names no key on this desktop
        Unsupported, // this session offers no global grabs (Wayland)
        Pending, // asked the desktop, no answer yet
        Declined, // the desktop (or the user in its dialog) refused it
    };
    Q_ENUM(Status)

    HotkeyManager(std::function<void()> callback, UserDefaults &defaults, std::unique_ptr<HotkeyBackend> backend,
                  QObject *parent = nullptr);
    ~HotkeyManager() override;

    // The hotkeys as the desktop's portal lists them, for its backend.
    static QList<HotkeyBackend::Named> namedHotkeys();

    void registerHotkeys();
    void update(quint32 keyCode, quint32 modifiers);
    void updateScreenshot(quint32 keyCode, quint32 modifiers);
    // No binding leaves the hotkey unbound (only the dictate hotkey may be).
    void setBinding(Hotkey hotkey, std::optional<HotkeyBinding> binding);
    void unregister();

    HotkeyBinding binding(Hotkey hotkey) const;
    bool isBound(Hotkey hotkey) const;
    Status status(Hotkey hotkey) const;
    // A sentence for the user when the hotkey is not active; empty when it is.
    QString statusText(Hotkey hotkey) const;
    // Who holds the hotkey: Tarnwick's own grab or the desktop's shortcut.
    HotkeyBackend::Mechanism mechanism(Hotkey hotkey) const;
    // The trigger as the user presses it: the desktop's description when the
    // desktop holds it (it may have picked another one), else the binding's.
    QString triggerText(Hotkey hotkey) const;

Q_SIGNALS:
    void statusChanged(HotkeyManager::Hotkey hotkey);
    // update/updateScreenshot replaced the binding (its status is known by then).
    void bindingChanged(HotkeyManager::Hotkey hotkey);
    void dictatePressed();

private:
    struct Slot
    {
        std::optional<HotkeyBinding> binding;
        Status status = Status::NotRegistered;
    };

    Slot &slot(Hotkey hotkey);
    const Slot &slot(Hotkey hotkey) const;
    void grab(Hotkey hotkey);
    void setStatus(Hotkey hotkey, Status status);
    // The earlier hotkey already holding this one's binding, if any.
    std::optional<Hotkey> holderOfSameBinding(Hotkey hotkey) const;
    void onPressed(int id, const QString &activationToken);
    void take(Hotkey hotkey, HotkeyBackend::GrabResult result);

    std::function<void()> m_callback;
    UserDefaults &m_defaults;
    std::unique_ptr<HotkeyBackend> m_backend;
    std::array<Slot, std::size(allHotkeys)> m_slots;
};
