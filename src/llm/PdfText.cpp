// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/PdfText.h"

#include "platform/LoadableModule.h"

namespace PdfText {

std::optional<QStringList> pages(const QByteArray &pdf)
{
    static const PdfReader *reader = LoadableModule::load<PdfReader>(QStringLiteral("tarnwick-pdf"));
    if (!reader)
        return std::nullopt;
    return reader->pages(pdf);
}

} // namespace PdfText
