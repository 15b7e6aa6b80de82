// SPDX-License-Identifier: GPL-3.0-or-later
// Inline Markdown never loses text it does not read as markup, never grows
// it, and the growing reader always agrees with a fresh read.
#include "text/InlineMarkdown.h"
#include "text/InlineMarkdownReader.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const QList<InlineRun> runs = parseInlineMarkdown(input.text);
    if (inlinePlainText(runs).size() > input.text.size())
        fuzzFailure("the plain text is longer than the markup");
    for (qsizetype i = 0; i < runs.size(); ++i) {
        if (runs.at(i).text.isEmpty()
            || (i > 0 && runs.at(i - 1).styles == runs.at(i).styles && runs.at(i - 1).link == runs.at(i).link))
            fuzzFailure("an empty run, or two runs that should be one");
    }
    InlineMarkdownReader reader;
    input.expectGrowingAgrees([&](const QString &prefix) { return reader.update(prefix); },
                              [](const QString &prefix) { return parseInlineMarkdown(prefix); },
                              "growing runs differ from a fresh read");
    return 0;
}
