// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LauncherViewModel.h"

#include <QString>
#include <QTest>

// Waits for the answer in progress to end; false when it has not after ten seconds.
inline bool waitForAnswer(LauncherViewModel &vm)
{
    return QTest::qWaitFor([&vm] { return !vm.isLoading(); }, 10000);
}

// Sends a prompt and waits for its whole answer; false when none started or it did not end.
inline bool sendAndWait(LauncherViewModel &vm, const QString &prompt)
{
    vm.setInputText(prompt);
    vm.send();
    return vm.isLoading() && waitForAnswer(vm);
}
