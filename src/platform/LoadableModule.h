// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// Parts that pull in large libraries (PDF reading, the offline recogniser)
// are modules loaded on first use, so the tray does not carry them while it
// waits for the hotkey. A module is looked for in the build tree first, then
// where it is installed beside the program, and stays loaded once found.
namespace LoadableModule {

// The module's plugin object, or nullptr (told once in the log) when it is
// not installed or does not load. Safe to call from any thread.
QObject *instance(const QString &name);

template<class Interface> Interface *load(const QString &name)
{
    return qobject_cast<Interface *>(instance(name));
}

} // namespace LoadableModule
