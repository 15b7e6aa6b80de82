// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <QString>

// File locations. Every one follows the XDG variables and HOME, so a test
// isolates itself by pointing them at a temporary folder.
namespace AppPaths {

QString configDir(); // $XDG_CONFIG_HOME/Tarnwick
QString dataDir(); // $XDG_DATA_HOME/Tarnwick
QString runtimeDir(); // $XDG_RUNTIME_DIR/tarnwick, or tarnwick-<uid> in the temporary folder

// Creates the folder (and its parents) and makes the folder itself user-only
// (0700). Fails, saying why, when the folder is a symbolic link, not a
// folder, or belongs to someone else: never follows or takes over one.
Result<> ensurePrivateDir(const QString &path);

} // namespace AppPaths
