// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// A file sent with a prompt beside its image: UTF-8 text or a PDF, kept
// whole as the user attached it.
struct FileAttachment
{
    QString name;
    QString mime; // "application/pdf", or "text/plain" for any text
    QByteArray data;

    bool isPdf() const { return mime == QLatin1String("application/pdf"); }

    friend bool operator==(const FileAttachment &, const FileAttachment &) = default;
};
