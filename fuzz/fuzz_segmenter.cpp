// The growing segmenter always agrees with a fresh split, whatever the text
// and wherever the stream cuts it.
#include "text/ContentSegment.h"
#include "text/ContentSegmenter.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    ContentSegmenter segmenter;
    for (qsizetype cut : input.cuts()) {
        const QString prefix = input.text.left(cut);
        if (segmenter.update(prefix) != parseContentSegments(prefix))
            fuzzFailure("growing segments differ from a fresh split");
    }
    return 0;
}
