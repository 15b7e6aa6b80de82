// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/AnswerReader.h"

#include "llm/LLMError.h"
#include "llm/ProviderTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// Gemini's error reports outside the event stream come alone or in an array.
QString asEventLine(const QByteArray &value)
{
    const QJsonDocument document = QJsonDocument::fromJson(value);
    const QJsonObject object = document.isArray() ? document.array().first().toObject() : document.object();
    return QStringLiteral("data: ") + QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void addParts(const ThinkTagSplitter::Parts &parts, QStringList &answer, QStringList &reasoning)
{
    if (!parts.reasoning.isEmpty())
        reasoning.append(parts.reasoning);
    if (!parts.answer.isEmpty())
        answer.append(parts.answer);
}
} // namespace

AnswerReader::AnswerReader(LLMProvider provider)
    : m_traits(&ProviderTable::traits(provider))
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
            return outcome;
    }
    if (m_splitter.overflowed()) {
        end(outcome, LineOutcome::Ending::Error,
            QStringLiteral("The provider sent a line longer than 8 MB; the answer was stopped there."));
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
    if (!m_ended && m_traits->thinksInTags) {
        LineOutcome held;
        addParts(m_thinkTags.finish(), held.fragments, held.reasoning);
        take(held, outcome);
    }
    if (!m_ended)
        end(outcome, m_complete ? LineOutcome::Ending::Done : LineOutcome::Ending::Error,
            m_complete ? QString() : LLMError::cutOff().errorDescription());
    return outcome;
}

LineOutcome AnswerReader::applyRule(const QString &line)
{
    // Gemini writes some errors as bare JSON, without the "data: " prefix.
    if (!m_traits->sendsBareJsonErrors || line.startsWith(QLatin1String("data: "))
        || !(m_bareJson.isCollecting() || BareJsonCollector::startsValue(line)))
        return m_traits->lineRule(line, m_answered);
    if (const std::optional<QByteArray> value = m_bareJson.add(line))
        return m_traits->lineRule(asEventLine(*value), m_answered);
    return LineOutcome::ignored();
}

void AnswerReader::handle(const QString &line, LineOutcome &outcome)
{
    LineOutcome step = applyRule(line);
    if (m_traits->thinksInTags)
        splitThinkTags(step);
    if (!take(step, outcome))
        return;
    if (step.usage)
        outcome.usage = step.usage;
    m_complete = m_complete || step.complete;
    if (step.ending != LineOutcome::Ending::None)
        end(outcome, step.ending, step.error);
}

void AnswerReader::splitThinkTags(LineOutcome &step)
{
    QStringList answer;
    // A server that sends the reasoning in a field of its own sends the answer as it is.
    if (!step.reasoning.isEmpty())
        addParts(m_thinkTags.finish(), answer, step.reasoning);
    for (const QString &fragment : std::as_const(step.fragments))
        addParts(m_thinkTags.feed(fragment), answer, step.reasoning);
    // Nothing more comes after an ending: what was held back is complete.
    if (step.ending != LineOutcome::Ending::None)
        addParts(m_thinkTags.finish(), answer, step.reasoning);
    step.fragments = answer;
}

bool AnswerReader::take(const LineOutcome &step, LineOutcome &outcome)
{
    const auto fits = [this, &outcome](const QString &text) {
        if (m_answerLength + text.size() > answerLimit) {
            end(outcome, LineOutcome::Ending::Error,
                QStringLiteral("The answer passed 16 MB of text and was stopped there."));
            return false;
        }
        m_answerLength += text.size();
        return true;
    };
    for (const QString &thought : step.reasoning) {
        if (!fits(thought))
            return false;
        outcome.reasoning.append(thought);
    }
    for (const QString &fragment : step.fragments) {
        if (!fits(fragment))
            return false;
        if (!fragment.isEmpty())
            m_answered = true;
        outcome.fragments.append(fragment);
    }
    return true;
}

void AnswerReader::end(LineOutcome &outcome, LineOutcome::Ending ending, const QString &error)
{
    m_ended = true;
    // A finished answer without a word is told, not shown as a blank success.
    if (ending == LineOutcome::Ending::Done && !m_answered) {
        outcome.ending = LineOutcome::Ending::Error;
        outcome.error = LLMError::emptyAnswer().errorDescription();
        return;
    }
    outcome.ending = ending;
    outcome.error = error;
}
