// SPDX-License-Identifier: GPL-3.0-or-later
// The growing segmenter always agrees with a fresh split, whatever the text
// and wherever the stream cuts it.
#include "text/ContentSegment.h"
#include "text/ContentSegmenter.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    ContentSegmenter segmenter;
    input.expectGrowingAgrees([&](const QString &prefix) { return segmenter.update(prefix); },
                              [](const QString &prefix) { return parseContentSegments(prefix); },
                              "growing segments differ from a fresh split");
    return 0;
}
