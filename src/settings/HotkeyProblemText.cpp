#include "settings/HotkeyProblemText.h"

#include "settings/KeyNames.h"

QString hotkeyProblemText(HotkeyManager::Hotkey hotkey, HotkeyManager::Status status, quint32 keyCode,
                          quint32 modifiers)
{
    using Status = HotkeyManager::Status;
    const QString shown = hotkeyString(keyCode, modifiers);
    switch (status) {
    case Status::active:
    case Status::notRegistered:
        return {};
    case Status::taken:
        return QStringLiteral("%1 is in use by another application: choose another combination.").arg(shown);
    case Status::sameAsOther:
        return QStringLiteral("%1 is already the launch hotkey: choose another combination.").arg(shown);
    case Status::unknownKey:
        return QStringLiteral("%1 has no key on this keyboard: choose another combination.").arg(shown);
    case Status::unsupported:
        return QStringLiteral("Global hotkeys do not work in this session: bind \"tarnwick %1\" in your desktop's "
                              "keyboard settings.")
            .arg(hotkey == HotkeyManager::Hotkey::launch ? QStringLiteral("--toggle")
                                                         : QStringLiteral("--screenshot"));
    }
    return {};
}
