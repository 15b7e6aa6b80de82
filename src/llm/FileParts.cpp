// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/FileParts.h"

#include "llm/PdfText.h"

#include <QCryptographicHash>
#include <QHash>

namespace FileParts {

namespace {

qsizetype longestBacktickRun(const QString &text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c == QLatin1Char('`') ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Fonts draw "fi" and "fl" as one glyph, which extraction gives back as a
// ligature character that few models read as the two letters.
QString withoutLigatures(QString text)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0xFB00 && c <= 0xFB06)
            text.replace(i, 1, QString(QChar(c)).normalized(QString::NormalizationForm_KC));
    }
    return text;
}

std::optional<QString> pagesText(const FileAttachment &file)
{
    const std::optional<QStringList> pages = PdfText::pages(file.data);
    if (!pages)
        return std::nullopt;
    bool anyText = false;
    QString out = QStringLiteral("File: %1 (PDF, %2 %3)\n")
                      .arg(file.name)
                      .arg(pages->size())
                      .arg(pages->size() == 1 ? QStringLiteral("page") : QStringLiteral("pages"));
    for (qsizetype i = 0; i < pages->size(); ++i) {
        const QString text = withoutLigatures(pages->at(i).trimmed());
        anyText = anyText || !text.isEmpty();
        out += QStringLiteral("\n--- Page %1 ---\n").arg(i + 1) + text + QLatin1Char('\n');
    }
    if (!anyText)
        return std::nullopt;
    return out;
}

} // namespace

QString fencedText(const FileAttachment &file)
{
    const QString content = QString::fromUtf8(file.data);
    const QString fence(std::max<qsizetype>(3, longestBacktickRun(content) + 1), QLatin1Char('`'));
    QString out = QStringLiteral("File: ") + file.name + QLatin1Char('\n') + fence + QLatin1Char('\n') + content;
    if (!content.isEmpty() && !content.endsWith(QLatin1Char('\n')))
        out += QLatin1Char('\n');
    return out + fence;
}

std::optional<QString> localText(const FileAttachment &file)
{
    if (!file.isPdf())
        return fencedText(file);
    // Every later prompt of a conversation sends its PDFs again: their text is
    // read once, and found again by a digest of the bytes (which stay with their message).
    thread_local QHash<QByteArray, std::optional<QString>> cache;
    const QByteArray digest = QCryptographicHash::hash(file.data, QCryptographicHash::Sha256) + file.name.toUtf8();
    if (const auto found = cache.constFind(digest); found != cache.constEnd())
        return *found;
    if (cache.size() >= 16)
        cache.clear();
    return *cache.insert(digest, pagesText(file));
}

QString localRefusal(const QList<FileAttachment> &files)
{
    for (const FileAttachment &file : files) {
        if (file.isPdf() && !localText(file)) {
            return QStringLiteral("Cannot send \u201c%1\u201d to a local model: the PDF has no text to read (a scan, "
                                  "images only, or locked with a password), and local servers take no PDFs. "
                                  "Remove it, or send it to Gemini or OpenRouter.")
                .arg(file.name);
        }
    }
    return {};
}

QString localPlaceholder(const FileAttachment &file)
{
    return QStringLiteral("File: %1 (a PDF without text; not sent)").arg(file.name);
}

} // namespace FileParts
