#pragma once

#include "llm/BareJsonCollector.h"
#include "llm/LLMProvider.h"
#include "llm/LineOutcome.h"
#include "llm/SseLineSplitter.h"

// Turns the body of a streaming answer into fragments as its bytes arrive,
// line by line through the provider's rule. Stops at the first ending; bytes
// after it are ignored. An answer past the size limit ends with an error,
// keeping the fragments before it.
class AnswerReader
{
public:
    static constexpr qsizetype answerLimit = 16 * 1024 * 1024;

    explicit AnswerReader(LLMProvider provider);

    LineOutcome feed(QByteArrayView bytes);
    // The body is complete: reads a last line left without terminator.
    LineOutcome finish();

private:
    void handle(const QString &line, LineOutcome &outcome);
    LineOutcome applyRule(const QString &line);
    void end(LineOutcome &outcome, LineOutcome::Ending ending, const QString &error);

    LLMProvider m_provider;
    SseLineSplitter m_splitter;
    BareJsonCollector m_bareJson;
    qsizetype m_answerLength = 0;
    bool m_answered = false;
    bool m_ended = false;
};
