// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/InlineMarkdown.h"

#include "text/InlineParagraphParser.h"

bool isBlankLine(QStringView line)
{
    for (QChar c : line) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\r'))
            return false;
    }
    return true;
}

void appendInlineRun(QList<InlineRun> &runs, InlineRun run)
{
    if (run.text.isEmpty())
        return;
    if (!runs.isEmpty() && runs.back().styles == run.styles && runs.back().link == run.link)
        runs.back().text += run.text;
    else
        runs.append(std::move(run));
}

QList<InlineRun> parseInlineMarkdown(const QString &text)
{
    // Paragraphs are read one by one; the blank lines between them stay plain text.
    QList<InlineRun> runs;
    const QStringView all(text);
    const qsizetype size = all.size();
    qsizetype lineStart = 0;
    qsizetype paragraphStart = -1;
    qsizetype plainStart = 0;
    while (lineStart <= size) {
        qsizetype lineEnd = all.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd < 0)
            lineEnd = size;
        const bool blank = isBlankLine(all.sliced(lineStart, lineEnd - lineStart));
        if (!blank && paragraphStart < 0) {
            appendInlineRun(runs, {all.sliced(plainStart, lineStart - plainStart).toString(), {}, {}});
            paragraphStart = lineStart;
        }
        const bool last = lineEnd == size;
        if (paragraphStart >= 0 && (blank || last)) {
            const qsizetype paragraphEnd = blank ? lineStart - 1 : size;
            for (InlineRun &run : parseInlineParagraph(all.sliced(paragraphStart, paragraphEnd - paragraphStart)))
                appendInlineRun(runs, std::move(run));
            paragraphStart = -1;
            plainStart = paragraphEnd;
        }
        lineStart = lineEnd + 1;
    }
    if (paragraphStart < 0)
        appendInlineRun(runs, {all.sliced(plainStart).toString(), {}, {}});
    return runs;
}

QString inlinePlainText(const QList<InlineRun> &runs)
{
    QString text;
    for (const InlineRun &run : runs)
        text += run.text;
    return text;
}
