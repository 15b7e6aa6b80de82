// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMUsage.h"

#include <QString>
#include <QStringList>

// What one response line (or a run of lines) does to the answer: the
// fragments it yields, in order, and whether the answer ends there. Beside
// them: the model's reasoning, which never joins the answer, and the usage
// the provider reported (the latest report holds).
struct LineOutcome
{
    enum class Ending { None, Done, Error };

    QStringList fragments;
    QStringList reasoning;
    std::optional<LLMUsage> usage;
    Ending ending = Ending::None;
    QString error; // the user-facing text when ending is Error
    // The provider marked the answer finished (a finish reason); more lines,
    // such as usage figures, may still follow before the connection closes.
    bool complete = false;

    static LineOutcome ignored() { return {}; }
    static LineOutcome completed()
    {
        LineOutcome outcome;
        outcome.complete = true;
        return outcome;
    }
    static LineOutcome done()
    {
        LineOutcome outcome;
        outcome.ending = Ending::Done;
        outcome.complete = true;
        return outcome;
    }
    static LineOutcome failure(const QString &text)
    {
        LineOutcome outcome;
        outcome.ending = Ending::Error;
        outcome.error = text;
        return outcome;
    }
};
