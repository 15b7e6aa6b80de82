// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <optional>

// What the PDF module offers: each page's text, in order; nullopt when the
// document cannot be opened (damaged, or locked by a password).
class PdfReader
{
public:
    virtual ~PdfReader() = default;
    virtual std::optional<QStringList> pages(const QByteArray &pdf) const = 0;
};

#define TarnwickPdfReader_iid "org.tarnwick.PdfReader/1"
Q_DECLARE_INTERFACE(PdfReader, TarnwickPdfReader_iid)
