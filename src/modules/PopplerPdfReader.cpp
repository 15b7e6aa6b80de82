// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/PopplerPdfReader.h"

#include <poppler-qt6.h>

#include <memory>

std::optional<QStringList> PopplerPdfReader::pages(const QByteArray &pdf) const
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(pdf);
    if (!document || document->isLocked())
        return std::nullopt;
    QStringList texts;
    for (int i = 0; i < document->numPages(); ++i) {
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        texts.append(page ? page->text(QRectF()) : QString());
    }
    return texts;
}
