// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"

#include <QImage>
#include <QString>

#include <optional>

// Files the user attaches to a prompt: an image (as before), or text or a
// PDF beside it. What a file is, is judged by its bytes, never by its name.
namespace AttachmentFiles {

constexpr qsizetype kMaxFiles = 5;
constexpr qint64 kMaxTextBytes = 1024 * 1024;
constexpr qint64 kMaxPdfBytes = 20 * 1024 * 1024;

// The picker's filters: images, text and PDF together first, then each kind.
QStringList pickerFilters();

struct Read
{
    std::optional<QImage> image;
    std::optional<FileAttachment> file;
    QString problem; // why neither, naming the file
};

Read read(const QString &path);

// A file's bytes as text or PDF, or why not; name is the one to show.
Read classify(const QString &name, const QByteArray &bytes);

// "12 KB", "1.4 MB".
QString sizeText(qint64 bytes);

} // namespace AttachmentFiles
