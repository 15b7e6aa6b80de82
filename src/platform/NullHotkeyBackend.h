// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBackend.h"

// Sessions without global key grabs: every grab is reported unsupported.
class NullHotkeyBackend : public HotkeyBackend
{
    Q_OBJECT

public:
    using HotkeyBackend::HotkeyBackend;

    GrabResult grab(int, HotkeyBinding) override { return GrabResult::Unsupported; }
    void release(int) override { }
};
