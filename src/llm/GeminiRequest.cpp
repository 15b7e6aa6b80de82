// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/GeminiRequest.h"

#include "llm/FileParts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {
QJsonObject imagePart(const QByteArray &data, const QString &mime)
{
    return QJsonObject{{QStringLiteral("inlineData"),
                        QJsonObject{{QStringLiteral("mimeType"), mime},
                                    {QStringLiteral("data"), QString::fromLatin1(data.toBase64())}}}};
}

QJsonObject textPart(const QString &text)
{
    return QJsonObject{{QStringLiteral("text"), text}};
}

// A PDF goes whole for the model to read; a text file as its fenced words.
QJsonObject filePart(const FileAttachment &file)
{
    if (!file.isPdf())
        return textPart(FileParts::fencedText(file));
    return QJsonObject{{QStringLiteral("inline_data"),
                        QJsonObject{{QStringLiteral("mime_type"), file.mime},
                                    {QStringLiteral("data"), QString::fromLatin1(file.data.toBase64())}}}};
}

QJsonArray attachmentParts(const std::optional<QByteArray> &image, const QString &mime,
                           const QList<FileAttachment> &files)
{
    QJsonArray parts;
    if (image)
        parts.append(imagePart(*image, mime));
    for (const FileAttachment &file : files)
        parts.append(filePart(file));
    return parts;
}

QJsonObject content(const QString &role, const QString &text, const std::optional<QByteArray> &image,
                    const QString &mime, const QList<FileAttachment> &files)
{
    QJsonArray parts = attachmentParts(image, mime, files);
    parts.append(textPart(text));
    return QJsonObject{{QStringLiteral("role"), role}, {QStringLiteral("parts"), parts}};
}

// Gemini refuses a request holding an empty text part, so an earlier empty
// answer (or a cancelled one) would make every later prompt fail. An image
// or a file stands alone; an empty turn says it was empty, which keeps the
// turns alternating.
QJsonObject historyContent(const LLMTurn &turn)
{
    if (!turn.text.isEmpty())
        return content(turn.role, turn.text, turn.imageData, turn.imageMIME, turn.files);
    QJsonArray parts = attachmentParts(turn.imageData, turn.imageMIME, turn.files);
    if (parts.isEmpty())
        parts.append(textPart(turn.role == QLatin1String("model") ? QStringLiteral("(no answer)")
                                                                  : QStringLiteral("(empty message)")));
    return QJsonObject{{QStringLiteral("role"), turn.role}, {QStringLiteral("parts"), parts}};
}

// Asking a model that cannot think for its thoughts is refused with 400, so
// only the families that think are asked: 2.5 Pro and Flash, and 3 onwards.
bool showsThoughts(const QString &model)
{
    static const QRegularExpression version(QStringLiteral("^(?:models/)?gemini-(\\d+)(?:\\.(\\d+))?-"));
    const QRegularExpressionMatch match = version.match(model);
    if (!match.hasMatch())
        return false;
    const int major = match.captured(1).toInt();
    const int minor = match.captured(2).toInt();
    if (major >= 3)
        return true;
    return major == 2 && minor >= 5 && !model.contains(QLatin1String("-lite"))
        && !model.contains(QLatin1String("image"));
}
} // namespace

ProviderRequest geminiRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                              const LLMPrompt &prompt)
{
    QJsonArray contents;
    for (const LLMTurn &turn : prompt.turns)
        contents.append(historyContent(turn));
    contents.append(
        content(QStringLiteral("user"), promptText(prompt), prompt.imageData, prompt.imageMIME, prompt.files));

    QJsonObject generation{{QStringLiteral("temperature"), 0.9}, {QStringLiteral("maxOutputTokens"), 8192.0}};
    if (showsThoughts(model)) {
        generation.insert(QStringLiteral("thinkingConfig"), QJsonObject{{QStringLiteral("includeThoughts"), true}});
    }
    QJsonObject body{{QStringLiteral("contents"), contents}, {QStringLiteral("generationConfig"), generation}};
    if (!prompt.instructions.isEmpty()) {
        body.insert(QStringLiteral("systemInstruction"),
                    QJsonObject{{QStringLiteral("parts"), QJsonArray{textPart(prompt.instructions)}}});
    }

    ProviderRequest request;
    request.url = baseUrl + QStringLiteral("/v1beta/models/") + model
        + QStringLiteral(":streamGenerateContent?alt=sse&key=") + apiKey;
    request.headers = {{"Content-Type", "application/json"}};
    request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    request.keyIsEmpty = apiKey.isEmpty();
    request.expectsEventStream = true;
    return request;
}
