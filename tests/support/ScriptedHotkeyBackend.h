// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBackend.h"

#include <QList>

// Stands in for the desktop's answers to grabs; the real X server's are tried
// in the system tests.
class ScriptedHotkeyBackend : public HotkeyBackend
{
public:
    QList<HotkeyBinding> takenByOthers;
    QList<HotkeyBinding> grabbed;
    // The answer for a binding no other program holds.
    GrabResult otherwise = GrabResult::Grabbed;

    GrabResult grab(int, HotkeyBinding binding) override
    {
        if (takenByOthers.contains(binding))
            return GrabResult::Taken;
        if (otherwise == GrabResult::Grabbed)
            grabbed << binding;
        return otherwise;
    }
    void release(int) override { }
};
