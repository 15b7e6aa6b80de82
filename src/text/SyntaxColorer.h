// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/SyntaxColorPainter.h"
#include "text/SyntaxColoring.h"

#include <QList>
#include <QString>

// The colouring pass for a code block that grows: each rule remembers how far
// its matches can no longer change, and an update scans only from there. Any
// other change starts over. runs() is always what syntaxColorRuns gives for
// the same code.
class SyntaxColorer
{
public:
    SyntaxColorer();

    const QList<SyntaxColorRun> &update(const QString &code);
    const QList<SyntaxColorRun> &runs() const { return m_runs; }

    // The first code unit whose colour the last update may have changed;
    // runs ending before it are as they were.
    qsizetype changedFrom() const { return m_changedFrom; }

private:
    struct Range
    {
        qsizetype start;
        qsizetype end;
    };
    struct RuleState
    {
        QList<Range> settled; // matches that no appended text can change
        qsizetype restart = 0; // where scanning resumes
        QList<Range> unsettled; // matches from `restart` on, for this text only
    };

    void reset();
    void scan(const SyntaxRule &rule, RuleState &state) const;

    QString m_code; // the code of the last update
    QString m_subject; // m_code with unpaired surrogates replaced
    QList<RuleState> m_states;
    SyntaxColorPainter m_painter;
    QList<SyntaxColorRun> m_runs;
    qsizetype m_changedFrom = 0;
};
