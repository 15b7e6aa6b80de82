// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/PdfText.h"

#include <QObject>

// The PDF module: a document's text layer through Poppler.
class PopplerPdfReader : public QObject, public PdfReader
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TarnwickPdfReader_iid)
    Q_INTERFACES(PdfReader)

public:
    std::optional<QStringList> pages(const QByteArray &pdf) const override;
};
