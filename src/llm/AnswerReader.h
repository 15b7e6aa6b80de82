#pragma once

#include "llm/LLMProvider.h"
#include "llm/LineOutcome.h"
#include "llm/SseLineSplitter.h"

// Turns the body of a streaming answer into fragments as its bytes arrive,
// line by line through the provider's rule. Stops at the first ending; bytes
// after it are ignored.
class AnswerReader
{
public:
    explicit AnswerReader(LLMProvider provider);

    LineOutcome feed(QByteArrayView bytes);
    // The body is complete: reads a last line left without terminator.
    LineOutcome finish();

private:
    void handle(const QString &line, LineOutcome &outcome);

    LLMProvider m_provider;
    SseLineSplitter m_splitter;
    bool m_answered = false;
    bool m_ended = false;
};
