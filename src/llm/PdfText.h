// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <optional>

// The text layer of a PDF, as a local model is given it.
namespace PdfText {

// Each page's text, in order; nullopt when the document cannot be opened
// (damaged, or locked by a password) or the PDF module is not installed.
std::optional<QStringList> pages(const QByteArray &pdf);

} // namespace PdfText

// What the PDF module offers, behind PdfText::pages.
class PdfReader
{
public:
    virtual ~PdfReader() = default;
    virtual std::optional<QStringList> pages(const QByteArray &pdf) const = 0;
};

#define TarnwickPdfReader_iid "org.tarnwick.PdfReader/1"
Q_DECLARE_INTERFACE(PdfReader, TarnwickPdfReader_iid)
