// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ImageFiles.h"

#include <QFileInfo>
#include <QImageReader>
#include <QStringList>

namespace ImageFiles {

QString pickerFilter()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    patterns.removeDuplicates();
    return QStringLiteral("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
}

Read read(const QString &path)
{
    // A pipe or a device would keep the reader waiting for bytes that may never come.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return {QImage(),
                QStringLiteral("Cannot attach \u201c%1\u201d: it is not a regular file.").arg(info.fileName())};
    QImageReader reader(path);
    QImage image = reader.read();
    if (!image.isNull())
        return {image, QString()};

    const QString name = QFileInfo(path).fileName();
    QString why;
    switch (reader.error()) {
    case QImageReader::FileNotFoundError:
        why = QStringLiteral("the file does not exist");
        break;
    case QImageReader::UnsupportedFormatError: {
        const QString suffix = QFileInfo(path).suffix();
        why = suffix.isEmpty() ? QStringLiteral("its image format is not one this system can read")
                               : QStringLiteral("this system has no decoder for .%1 images").arg(suffix.toLower());
        break;
    }
    case QImageReader::InvalidDataError:
        why = QStringLiteral("the image data is damaged or incomplete");
        break;
    default:
        why = reader.errorString();
        break;
    }
    return {QImage(), QStringLiteral("Cannot attach \u201c%1\u201d: %2.").arg(name, why)};
}

} // namespace ImageFiles
