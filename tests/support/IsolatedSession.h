// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LauncherSession.h"
#include "core/LauncherViewModel.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/KeyStore.h"
#include "support/IsolatedHome.h"

// The launcher's session in a fresh home, its preferences, presets and history
// where the program keeps them, its keys in the system's key store.
struct IsolatedSession
{
    IsolatedHome home;
    UserDefaults defaults{home.preferencesFile()};
    PresetStore presets{home.presetsFile()};
    LauncherSession session{defaults, KeyStore::system(), presets, home.historyFile()};
    LauncherViewModel &vm = session.viewModel();
};
