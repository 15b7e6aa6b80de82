// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ChatMessage.h"
#include "llm/LLMUsage.h"

#include <QList>
#include <QString>

#include <optional>

// How the program writes what answers cost.
namespace UsageText {

// A count with its thousands grouped: "1,234".
QString count(qint64 value);

// US dollars, to two significant digits below a dollar: "$0.0031", "$1.25".
QString dollars(double cost);

// Under an answer: "1,234 tokens · $0.0031", or the tokens alone when no cost is known.
QString line(const LLMUsage &usage);

// The sum over the conversation's answers; none when no answer reported usage.
// The cost is summed only over the answers that had one.
std::optional<LLMUsage> total(const QList<ChatMessage> &messages);

// For the command line: "tokens: prompt 12, answer 30, thoughts 0; cost $0.0001".
QString summary(const LLMUsage &usage);

} // namespace UsageText
