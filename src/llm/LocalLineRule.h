// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LineOutcome.h"

// One line of an answer from a local OpenAI-compatible server: OpenRouter's
// rule, plus the error shapes these servers send in the stream.
LineOutcome localLineRule(const QString &line);
