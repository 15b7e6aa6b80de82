// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/InlineMarkdownReader.h"

#include "text/InlineParagraphParser.h"

const QList<InlineRun> &InlineMarkdownReader::update(const QString &text)
{
    if (!QStringView(text).startsWith(m_text)) {
        m_settledEnd = 0;
        m_searchFrom = 0;
        m_settled.clear();
    }
    m_text = text;

    // Nothing crosses a blank line, so the text up to a finished one is settled.
    qsizetype settle = m_settledEnd;
    for (;;) {
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), m_searchFrom);
        if (lineEnd < 0)
            break;
        if (isBlankLine(QStringView(text).sliced(m_searchFrom, lineEnd - m_searchFrom)))
            settle = lineEnd + 1;
        m_searchFrom = lineEnd + 1;
    }
    if (settle > m_settledEnd) {
        for (InlineRun &run : parseInlineMarkdown(text.sliced(m_settledEnd, settle - m_settledEnd)))
            appendInlineRun(m_settled, std::move(run));
        m_settledEnd = settle;
    }
    m_runs = m_settled;
    for (InlineRun &run : parseInlineMarkdown(text.sliced(m_settledEnd)))
        appendInlineRun(m_runs, std::move(run));
    return m_runs;
}
