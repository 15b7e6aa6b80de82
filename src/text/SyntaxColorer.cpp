// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SyntaxColorer.h"

#include <algorithm>

namespace {

constexpr auto kNoCheck = QRegularExpression::DontCheckSubjectStringMatchOption;

} // namespace

SyntaxColorer::SyntaxColorer()
{
    reset();
}

void SyntaxColorer::reset()
{
    m_code.clear();
    m_subject.clear();
    m_states = QList<RuleState>(syntaxRules().size());
    m_painter.resize(0);
    m_runs.clear();
}

// Hard partial matching reports the first start whose attempt ran into the end
// of the text: every complete match before it is final whatever follows.
void SyntaxColorer::scan(const SyntaxRule &rule, RuleState &state) const
{
    qsizetype position = state.restart;
    state.restart = m_subject.size();
    while (position < m_subject.size()) {
        const QRegularExpressionMatch match =
            rule.pattern.match(m_subject, position, QRegularExpression::PartialPreferFirstMatch, kNoCheck);
        if (match.hasMatch()) {
            state.settled.append({match.capturedStart(0), match.capturedEnd(0)});
            position = match.capturedEnd(0);
            continue;
        }
        // A partial match starts at the character its lookbehind (\b) inspected,
        // which may be before the search position, or -1.
        if (match.hasPartialMatch())
            state.restart = std::max(match.capturedStart(0), position);
        break;
    }
    state.unsettled.clear();
    auto matches = rule.pattern.globalMatch(m_subject, state.restart, QRegularExpression::NormalMatch, kNoCheck);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        state.unsettled.append({match.capturedStart(0), match.capturedEnd(0)});
    }
}

const QList<SyntaxColorRun> &SyntaxColorer::update(const QString &code)
{
    // A high surrogate at the old end may pair with what follows.
    const bool grew = QStringView(code).startsWith(m_code) && (m_code.isEmpty() || !m_code.back().isHighSurrogate());
    if (!grew)
        reset();
    const qsizetype oldSize = m_code.size();
    m_code = code;
    m_subject.append(withPairedSurrogates(code.sliced(oldSize)));

    m_changedFrom = oldSize;
    for (const RuleState &state : std::as_const(m_states))
        m_changedFrom = std::min(m_changedFrom, state.restart);

    const QList<SyntaxRule> &rules = syntaxRules();
    for (qsizetype r = 0; r < rules.size(); ++r)
        scan(rules.at(r), m_states[r]);

    m_painter.resize(m_subject.size());
    m_painter.clearFrom(m_changedFrom);
    for (qsizetype r = 0; r < rules.size(); ++r) {
        const RuleState &state = m_states.at(r);
        const SyntaxColor color = rules.at(r).color;
        auto first = std::partition_point(state.settled.cbegin(), state.settled.cend(),
                                          [&](const Range &range) { return range.end <= m_changedFrom; });
        for (auto it = first; it != state.settled.cend(); ++it)
            m_painter.paint(std::max(it->start, m_changedFrom), it->end, color);
        for (const Range &range : state.unsettled)
            m_painter.paint(std::max(range.start, m_changedFrom), range.end, color);
    }

    // Keep the runs that end before the change, re-read the rest.
    const QList<SyntaxColorRun> fresh = m_painter.runs(m_changedFrom);
    const qsizetype freshStart = fresh.isEmpty() ? m_changedFrom : std::min(fresh.front().start, m_changedFrom);
    auto keep = std::partition_point(m_runs.cbegin(), m_runs.cend(),
                                     [&](const SyntaxColorRun &run) { return run.end() <= freshStart; });
    const qsizetype kept = keep - m_runs.cbegin();
    // A run that reached past the change keeps its unchanged beginning.
    if (kept < m_runs.size() && m_runs.at(kept).start < freshStart) {
        m_runs[kept].length = freshStart - m_runs.at(kept).start;
        m_runs.resize(kept + 1);
    } else {
        m_runs.resize(kept);
    }
    m_runs.append(fresh);
    return m_runs;
}
