#pragma once

#include <QString>

#include <optional>

// Where keys go when no keyring service is running: a JSON file only the user
// can read (0600 in a 0700 folder), one value per service and account. Never
// the preferences or history file.
namespace KeyFile {

QString path(); // AppPaths::dataDir() + "/keys.json"

std::optional<QString> value(const QString &service, const QString &account);

// Both return false with the reason in *error when the file cannot be written.
bool setValue(const QString &service, const QString &account, const QString &value, QString *error);
bool remove(const QString &service, const QString &account, QString *error);

} // namespace KeyFile
