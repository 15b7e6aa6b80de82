// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LineOutcome.h"

// One line of an OpenRouter answer.
LineOutcome openRouterLineRule(const QString &line);
