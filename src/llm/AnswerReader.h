// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/BareJsonCollector.h"
#include "llm/LLMProvider.h"
#include "llm/LineOutcome.h"
#include "llm/SseLineSplitter.h"
#include "llm/ThinkTagSplitter.h"

struct ProviderTraits;

// Turns the body of a streaming answer into fragments as its bytes arrive,
// line by line through the provider's rule. Stops at the first ending; bytes
// after it are ignored. An answer is whole only when the provider says so, and
// a whole answer without any text is an error. An answer past the size limit
// (reasoning counted in) ends with an error, keeping the fragments before it.
// A local answer's leading <think> block goes to the reasoning.
class AnswerReader
{
public:
    static constexpr qsizetype answerLimit = 16 * 1024 * 1024;

    explicit AnswerReader(LLMProvider provider);

    LineOutcome feed(QByteArrayView bytes);
    // The connection has closed: reads a last line left without terminator.
    // An answer the provider never marked finished ends with an error here.
    LineOutcome finish();

private:
    void handle(const QString &line, LineOutcome &outcome);
    void splitThinkTags(LineOutcome &step);
    // Adds the step's text to the outcome; false once past the size limit.
    bool take(const LineOutcome &step, LineOutcome &outcome);
    LineOutcome applyRule(const QString &line);
    void end(LineOutcome &outcome, LineOutcome::Ending ending, const QString &error);

    const ProviderTraits *m_traits;
    SseLineSplitter m_splitter;
    BareJsonCollector m_bareJson;
    ThinkTagSplitter m_thinkTags;
    qsizetype m_answerLength = 0;
    bool m_answered = false;
    bool m_complete = false;
    bool m_ended = false;
};
