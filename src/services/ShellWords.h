// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Splits a command line into words the way a POSIX shell would for a simple
// command: blanks separate words, single quotes keep everything literally,
// double quotes keep blanks and honour \" \\ \$ \`, a backslash outside quotes
// escapes the next character. No expansion of any kind. No value when a
// quote is left open or the line ends in a lone backslash.
std::optional<QStringList> splitShellWords(const QString &line);
