// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"

#include <QList>
#include <QString>

#include <optional>

// The words of attached files, for the parts that carry them as text.
namespace FileParts {

// A text file: its name, then its content in a fenced block that no run of
// backticks inside it can close.
QString fencedText(const FileAttachment &file);

// What a local model is given for a file: a text file fenced, a PDF's text
// page by page under page markers. Nullopt for a PDF without a readable text
// layer (scanned, images only, locked or damaged).
std::optional<QString> localText(const FileAttachment &file);

// Why these files cannot go to a local model, naming the first that cannot;
// empty when all can.
QString localRefusal(const QList<FileAttachment> &files);

// Stands in for a file of an earlier message that a local model cannot be given.
QString localPlaceholder(const FileAttachment &file);

} // namespace FileParts
