// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How the commands tell the user something on standard error: as UTF-8,
// written and flushed at once, so that it reads whole between other output.
namespace StandardError {

// The text as it is (streamed reasoning).
void write(const QString &text);
// The text and a line break.
void tell(const QString &text);
// Tells why the command failed; gives back the exit status it ends with.
int fail(int exitStatus, const QString &text);

} // namespace StandardError
