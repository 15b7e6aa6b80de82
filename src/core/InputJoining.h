// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// How grabbed text and dictated text join what the user already typed.

// The input with the grabbed text appended as a quote: "> " before each line,
// a blank line after it, and a line feed between it and earlier input.
QString inputWithQuote(const QString &input, const QString &grabbed);

// The input with a final transcript appended after a single space (none when
// the input is empty). An empty transcript leaves the input as it is.
QString inputWithTranscript(const QString &input, const QString &transcript);
