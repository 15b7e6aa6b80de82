#pragma once

#include "services/HotkeyManager.h"

#include <QString>

// What the settings window says beside a recorder whose hotkey does not
// work, with what the user can do about it; empty when it works.
QString hotkeyProblemText(HotkeyManager::Hotkey hotkey, HotkeyManager::Status status, quint32 keyCode,
                          quint32 modifiers);
