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
    UserDefaults defaults{home.configHome() + QStringLiteral("/Tarnwick/preferences.json")};
    LauncherSession session{defaults, home.dataHome() + QStringLiteral("/Tarnwick/conversations.json")};
    LauncherViewModel &vm = session.viewModel();
};
