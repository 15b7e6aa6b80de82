// SPDX-License-Identifier: GPL-3.0-or-later
// Colour runs are ordered, inside the code and never Base; the growing
// colourer always agrees with a fresh pass.
#include "text/SyntaxColorer.h"
#include "text/SyntaxColoring.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const QList<SyntaxColorRun> full = syntaxColorRuns(input.text);
    qsizetype end = 0;
    for (const SyntaxColorRun &run : full) {
        if (run.start < end || run.length <= 0 || run.end() > input.text.size() || run.color == SyntaxColor::Base)
            fuzzFailure("a run out of order, out of range or in the base colour");
        end = run.end();
    }
    SyntaxColorer colorer;
    input.expectGrowingAgrees([&](const QString &prefix) { return colorer.update(prefix); },
                              [](const QString &prefix) { return syntaxColorRuns(prefix); },
                              "growing colours differ from a fresh pass");
    return 0;
}
