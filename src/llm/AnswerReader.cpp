#include "llm/AnswerReader.h"

#include "llm/GeminiLineRule.h"
#include "llm/OpenRouterLineRule.h"

AnswerReader::AnswerReader(LLMProvider provider)
    : m_provider(provider)
{
}

LineOutcome AnswerReader::feed(QByteArrayView bytes)
{
    LineOutcome outcome;
    if (m_ended)
        return outcome;
    const QStringList lines = m_splitter.feed(bytes);
    for (const QString &line : lines) {
        handle(line, outcome);
        if (m_ended)
            break;
    }
    return outcome;
}

LineOutcome AnswerReader::finish()
{
    LineOutcome outcome;
    if (m_ended)
        return outcome;
    if (const std::optional<QString> line = m_splitter.finish())
        handle(*line, outcome);
    return outcome;
}

void AnswerReader::handle(const QString &line, LineOutcome &outcome)
{
    LineOutcome step = m_provider == LLMProvider::Gemini ? geminiLineRule(line, m_answered)
                                                         : openRouterLineRule(line);
    for (const QString &fragment : std::as_const(step.fragments)) {
        if (!fragment.isEmpty())
            m_answered = true;
    }
    outcome.fragments.append(std::move(step.fragments));
    if (step.ending != LineOutcome::Ending::None) {
        outcome.ending = step.ending;
        outcome.error = step.error;
        m_ended = true;
    }
}
