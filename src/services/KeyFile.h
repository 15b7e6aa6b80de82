// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <QString>

#include <optional>

// Where keys go when no keyring service is running: a JSON file only the user
// can read (0600 in a 0700 folder), one value per service and account. Never
// the preferences or history file.
namespace KeyFile {

QString path(); // AppPaths::dataDir() + "/keys.json"

std::optional<QString> value(const QString &service, const QString &account);

// Both say why when the file cannot be written.
Result<> setValue(const QString &service, const QString &account, const QString &value);
Result<> remove(const QString &service, const QString &account);

} // namespace KeyFile
