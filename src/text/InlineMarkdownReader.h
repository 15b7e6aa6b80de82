// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/InlineMarkdown.h"

#include <QList>
#include <QString>

// parseInlineMarkdown for a text that grows: paragraphs that a blank line has
// closed are not read again. Any other change starts over. runs() is always
// what parseInlineMarkdown gives for the same text.
class InlineMarkdownReader
{
public:
    const QList<InlineRun> &update(const QString &text);
    const QList<InlineRun> &runs() const { return m_runs; }

private:
    QString m_text;
    qsizetype m_settledEnd = 0; // the text before it ends with a whole blank line
    qsizetype m_searchFrom = 0; // where to look for the next blank line
    QList<InlineRun> m_settled; // runs of text[0, m_settledEnd)
    QList<InlineRun> m_runs;
};
