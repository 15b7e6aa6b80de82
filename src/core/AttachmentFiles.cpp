// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/AttachmentFiles.h"

#include "core/ImageFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <QStringDecoder>

namespace AttachmentFiles {

namespace {

const QString kPdfMime = QStringLiteral("application/pdf");

QString refusal(const QString &name, const QString &why)
{
    return QStringLiteral("Cannot attach \u201c%1\u201d: %2.").arg(name, why);
}

// A PDF may carry a few bytes of junk before its header; readers allow 1 KB.
bool isPdf(const QByteArray &bytes)
{
    const qsizetype at = bytes.indexOf("%PDF-");
    return at >= 0 && at < 1024;
}

bool isUtf8Text(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes); // decoding is what finds a bad sequence
    return !decoder.hasError();
}

} // namespace

QStringList pickerFilters()
{
    // Text is told by its bytes, whatever its name, so the first filter shows every file.
    return {QStringLiteral("Images, text and PDF (*)"), ImageFiles::pickerFilter(), QStringLiteral("PDF (*.pdf)")};
}

Read classify(const QString &name, const QByteArray &bytes)
{
    if (isPdf(bytes)) {
        if (bytes.size() > kMaxPdfBytes)
            return {
                {},
                {},
                refusal(name,
                        QStringLiteral("a PDF may be at most 20 MB, and this one is %1").arg(sizeText(bytes.size())))};
        return {{}, FileAttachment{name, kPdfMime, bytes}, {}};
    }
    if (!isUtf8Text(bytes))
        return {{}, {}, refusal(name, QStringLiteral("it is neither UTF-8 text, a PDF nor an image"))};
    if (bytes.size() > kMaxTextBytes)
        return {
            {},
            {},
            refusal(name,
                    QStringLiteral("a text file may be at most 1 MB, and this one is %1").arg(sizeText(bytes.size())))};
    return {{}, FileAttachment{name, QStringLiteral("text/plain"), bytes}, {}};
}

Read read(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!info.exists())
        return {{}, {}, refusal(name, QStringLiteral("the file does not exist"))};
    // A pipe or a device would keep the reader waiting for bytes that may never come.
    if (!info.isFile())
        return {{}, {}, refusal(name, QStringLiteral("it is not a regular file"))};
    // Images keep no size limit. A file whose header only looks like an
    // image's (text starting "P1" reads as a bitmap) is judged as text below.
    if (!QImageReader::imageFormat(path).isEmpty()) {
        ImageFiles::Read image = ImageFiles::read(path);
        if (!image.image.isNull())
            return {std::move(image.image), {}, {}};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, {}, refusal(name, file.errorString())};
    // Nothing else may be larger than a PDF: refuse before reading it all.
    if (info.size() > kMaxPdfBytes) {
        const QString why = isPdf(file.read(1024 + 5))
            ? QStringLiteral("a PDF may be at most 20 MB, and this one is %1")
            : QStringLiteral("a text file may be at most 1 MB, and this one is %1");
        return {{}, {}, refusal(name, why.arg(sizeText(info.size())))};
    }
    return classify(name, file.readAll());
}

QString sizeText(qint64 bytes)
{
    return QLocale::system().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace AttachmentFiles
