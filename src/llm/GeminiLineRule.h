// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LineOutcome.h"

// One line of a Gemini answer. answeredSoFar tells whether earlier lines
// yielded any text, since a token budget spent with no text at all is an error.
LineOutcome geminiLineRule(const QString &line, bool answeredSoFar);
