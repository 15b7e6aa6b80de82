// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a history file: reading never fails badly, and what it accepts
// writes back to bytes that read the same and write the same again.
#include "store/ConversationFormat.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto decoded = ConversationFormat::decode(bytes);
    if (!decoded)
        return 0;
    const QByteArray encoded = ConversationFormat::encode(*decoded);
    const auto again = ConversationFormat::decode(encoded);
    if (!again)
        fuzzFailure("our own bytes do not read back");
    if (ConversationFormat::encode(*again) != encoded)
        fuzzFailure("writing what we read changes the bytes");
    for (qsizetype i = 0; i < again->size(); ++i) {
        if (again->at(i).messages != decoded->at(i).messages || again->at(i).id != decoded->at(i).id)
            fuzzFailure("a round trip changes a conversation");
    }
    return 0;
}
