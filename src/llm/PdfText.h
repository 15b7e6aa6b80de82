// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// The text layer of a PDF, as a local model is given it.
namespace PdfText {

// Each page's text, in order; nullopt when the document cannot be opened
// (damaged, or locked by a password).
std::optional<QStringList> pages(const QByteArray &pdf);

} // namespace PdfText
