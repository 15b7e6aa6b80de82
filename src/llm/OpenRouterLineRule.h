#pragma once

#include "llm/LineOutcome.h"

// One line of an OpenRouter answer.
LineOutcome openRouterLineRule(const QString &line);
