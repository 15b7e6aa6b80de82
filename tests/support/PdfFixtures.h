// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

// PDFs made on the spot: one with a text layer, a page per text, and one
// holding only a picture (as a scan does).
inline QByteArray textPdf(const QStringList &pages)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawText(QRect(200, 200, 8000, 2000), Qt::AlignLeft | Qt::AlignTop, pages.at(i));
    }
    painter.end();
    return buffer.data();
}

inline QByteArray imageOnlyPdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    QImage scan(300, 200, QImage::Format_RGB32);
    scan.fill(Qt::lightGray);
    painter.drawImage(QRect(200, 200, 3000, 2000), scan);
    painter.end();
    return buffer.data();
}
