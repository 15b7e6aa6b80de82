// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ChatCompletionsBody.h"

#include "llm/FileParts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QJsonObject imagePart(const QByteArray &data, const QString &mime)
{
    const QString url =
        QStringLiteral("data:") + mime + QStringLiteral(";base64,") + QString::fromLatin1(data.toBase64());
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("image_url")},
                       {QStringLiteral("image_url"), QJsonObject{{QStringLiteral("url"), url}}}};
}

QJsonObject textPart(const QString &text)
{
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), text}};
}

QJsonObject filePart(const FileAttachment &file, PdfParts pdfs)
{
    if (!file.isPdf())
        return textPart(FileParts::fencedText(file));
    if (pdfs == PdfParts::PageText)
        return textPart(FileParts::localText(file).value_or(FileParts::localPlaceholder(file)));
    const QString url =
        QStringLiteral("data:") + file.mime + QStringLiteral(";base64,") + QString::fromLatin1(file.data.toBase64());
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("file")},
                       {QStringLiteral("file"),
                        QJsonObject{{QStringLiteral("filename"), file.name}, {QStringLiteral("file_data"), url}}}};
}

QJsonObject message(const QString &role, const QString &text, const std::optional<QByteArray> &image,
                    const QString &mime, const QList<FileAttachment> &files, PdfParts pdfs)
{
    QJsonArray parts;
    if (image)
        parts.append(imagePart(*image, mime));
    for (const FileAttachment &file : files)
        parts.append(filePart(file, pdfs));
    parts.append(textPart(text));
    return QJsonObject{{QStringLiteral("role"), role}, {QStringLiteral("content"), parts}};
}
} // namespace

QByteArray chatCompletionsBody(const QString &model, const LLMPrompt &prompt, const QJsonObject &extra, PdfParts pdfs)
{
    QJsonArray messages;
    if (!prompt.instructions.isEmpty()) {
        messages.append(QJsonObject{{QStringLiteral("role"), QStringLiteral("system")},
                                    {QStringLiteral("content"), prompt.instructions}});
    }
    for (const LLMTurn &turn : prompt.turns) {
        const QString role = turn.role == QLatin1String("model") ? QStringLiteral("assistant") : QStringLiteral("user");
        messages.append(message(role, turn.text, turn.imageData, turn.imageMIME, turn.files, pdfs));
    }
    messages.append(
        message(QStringLiteral("user"), promptText(prompt), prompt.imageData, prompt.imageMIME, prompt.files, pdfs));

    // The token counts come in a last chunk only when asked for.
    QJsonObject body{{QStringLiteral("model"), model},
                     {QStringLiteral("messages"), messages},
                     {QStringLiteral("stream"), true},
                     {QStringLiteral("stream_options"), QJsonObject{{QStringLiteral("include_usage"), true}}}};
    for (auto member = extra.begin(); member != extra.end(); ++member)
        body.insert(member.key(), member.value());
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}
