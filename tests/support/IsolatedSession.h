// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LauncherSession.h"
#include "core/LauncherViewModel.h"
#include "platform/UserDefaults.h"
#include "support/IsolatedHome.h"

// The launcher's session in a fresh home, its preferences and history where
// the program keeps them.
struct IsolatedSession
{
    IsolatedHome home;
    UserDefaults defaults{home.preferencesFile()};
    LauncherSession session{defaults, home.historyFile()};
    LauncherViewModel &vm = session.viewModel();
};
