// SPDX-License-Identifier: GPL-3.0-or-later
// The block reader takes any text, and growing it line by line (streamed or
// finished) always gives what a fresh read gives, with settled blocks kept.
#include "text/MarkdownBlockReader.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const bool streaming = input.control & 2;
    MarkdownBlockReader reader;
    QList<MarkdownBlock> settled;
    for (qsizetype cut : input.cuts()) {
        const QString prefix = input.text.left(cut);
        reader.update(prefix, streaming);
        if (reader.blocks() != parseMarkdownBlocks(prefix, streaming))
            fuzzFailure("growing blocks differ from a fresh read");
        if (reader.settledCount() < settled.size() || reader.blocks().first(settled.size()) != settled)
            fuzzFailure("a settled block changed");
        for (const MarkdownBlock &block : reader.blocks()) {
            for (const QStringList &row : block.rows) {
                if (row.size() != block.aligns.size())
                    fuzzFailure("a table row is not as wide as the table");
            }
        }
        settled = reader.blocks().first(reader.settledCount());
    }
    return 0;
}
