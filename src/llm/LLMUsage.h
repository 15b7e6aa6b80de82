// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <optional>

// What one answer cost, as the provider reported it: tokens read, tokens of
// the answer, tokens spent thinking, and the price in US dollars when known.
struct LLMUsage
{
    qint64 promptTokens = 0;
    qint64 answerTokens = 0;
    qint64 thoughtTokens = 0;
    std::optional<double> cost;

    qint64 totalTokens() const { return promptTokens + answerTokens + thoughtTokens; }

    friend bool operator==(const LLMUsage &, const LLMUsage &) = default;
};
