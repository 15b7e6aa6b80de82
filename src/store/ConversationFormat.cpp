// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationFormat.h"

#include "store/Base64.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ConversationFormat {

namespace {

// 2001-01-01 00:00:00 UTC in milliseconds since the Unix epoch.
constexpr qint64 kReferenceMSecs = 978307200000LL;

void appendEscaped(QByteArray &out, const QByteArray &utf8)
{
    static const char hex[] = "0123456789abcdef";
    const char *run = utf8.constData();
    const char *const end = run + utf8.size();
    for (const char *p = run; p != end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '/')
            continue;
        out.append(run, p - run);
        run = p + 1;
        switch (c) {
        case '"':
            out.append("\\\"", 2);
            break;
        case '\\':
            out.append("\\\\", 2);
            break;
        case '/':
            out.append("\\/", 2);
            break;
        case '\b':
            out.append("\\b", 2);
            break;
        case '\f':
            out.append("\\f", 2);
            break;
        case '\n':
            out.append("\\n", 2);
            break;
        case '\r':
            out.append("\\r", 2);
            break;
        case '\t':
            out.append("\\t", 2);
            break;
        default: {
            const char escape[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xF]};
            out.append(escape, 6);
        }
        }
    }
    out.append(run, end - run);
}

} // namespace

void appendString(QByteArray &out, QStringView text)
{
    // In slices, so a long answer is not held a second time, at up to three
    // bytes a character, while it is written.
    constexpr qsizetype kSlice = 1 << 16;
    if (text.size() > kSlice && out.capacity() < out.size() + text.size() + 2)
        out.reserve(out.size() + text.size() + 2);
    out.append('"');
    while (!text.isEmpty()) {
        qsizetype length = std::min(kSlice, text.size());
        if (length < text.size() && text.at(length - 1).isHighSurrogate())
            --length;
        appendEscaped(out, text.first(length).toUtf8());
        text = text.sliced(length);
    }
    out.append('"');
}

void appendNumber(QByteArray &out, double value)
{
    // Shortest text that reads back as the same double, never in exponent form.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, result.ptr - buffer);
}

namespace {

void appendCount(QByteArray &out, const char *name, qint64 count)
{
    out.append(",\"");
    out.append(name);
    out.append("\":");
    out.append(QByteArray::number(count));
}

void appendUsage(QByteArray &out, const LLMUsage &usage)
{
    out.append(",\"usage\":{\"promptTokens\":");
    out.append(QByteArray::number(usage.promptTokens));
    appendCount(out, "answerTokens", usage.answerTokens);
    appendCount(out, "thoughtTokens", usage.thoughtTokens);
    if (usage.cost) {
        out.append(",\"cost\":");
        appendNumber(out, *usage.cost);
    }
    out.append('}');
}

void appendAttachments(QByteArray &out, const QList<FileAttachment> &files)
{
    out.append(",\"attachments\":[");
    for (qsizetype i = 0; i < files.size(); ++i) {
        out.append(i == 0 ? "{\"name\":" : ",{\"name\":");
        appendString(out, files.at(i).name);
        out.append(",\"mime\":");
        appendString(out, files.at(i).mime);
        out.append(",\"data\":\"");
        out.append(files.at(i).data.toBase64());
        out.append("\"}");
    }
    out.append(']');
}

void appendMessage(QByteArray &out, const StoredMessage &message)
{
    out.append("{\"role\":");
    appendString(out, message.role);
    out.append(",\"content\":");
    appendString(out, message.content);
    if (message.imageData) {
        out.append(",\"imageData\":\"");
        out.append(message.imageData->toBase64());
        out.append('"');
    }
    out.append(",\"imageMIME\":");
    appendString(out, message.imageMIME);
    // Written only when there is one, so every other message keeps the old form.
    if (!message.error.isEmpty()) {
        out.append(",\"error\":");
        appendString(out, message.error);
    }
    if (!message.reasoning.isEmpty()) {
        out.append(",\"reasoning\":");
        appendString(out, message.reasoning);
    }
    if (message.reasoningSeconds) {
        out.append(",\"reasoningSeconds\":");
        appendNumber(out, *message.reasoningSeconds);
    }
    if (message.usage)
        appendUsage(out, *message.usage);
    if (!message.attachments.isEmpty())
        appendAttachments(out, message.attachments);
    out.append('}');
}

} // namespace

bool isCanonicalUuidText(const QString &text)
{
    if (text.size() != 36)
        return false;
    for (int i = 0; i < 36; ++i) {
        const QChar c = text.at(i);
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != QLatin1Char('-'))
                return false;
        } else {
            const char16_t u = c.unicode();
            if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
                return false;
        }
    }
    return true;
}

namespace {

bool readString(const QJsonObject &object, QLatin1String key, QString *out)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return false;
    *out = value.toString();
    return true;
}

std::optional<double> readNumber(const QJsonValue &value)
{
    if (!value.isDouble() || !std::isfinite(value.toDouble()) || value.toDouble() < 0)
        return std::nullopt;
    return value.toDouble();
}

// Lenient like the other newer members: anything but an object of counts reads as none.
std::optional<LLMUsage> readUsage(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    LLMUsage usage;
    usage.promptTokens = qint64(readNumber(object.value(QLatin1String("promptTokens"))).value_or(0));
    usage.answerTokens = qint64(readNumber(object.value(QLatin1String("answerTokens"))).value_or(0));
    usage.thoughtTokens = qint64(readNumber(object.value(QLatin1String("thoughtTokens"))).value_or(0));
    usage.cost = readNumber(object.value(QLatin1String("cost")));
    return usage;
}

// Lenient like the other newer members: an entry that is not a named file
// with Base64 data is left out, and the message loads without it.
QList<FileAttachment> readAttachments(const QJsonValue &value)
{
    QList<FileAttachment> files;
    for (const QJsonValue &item : value.toArray()) {
        const QJsonObject object = item.toObject();
        const QString name = object.value(QLatin1String("name")).toString();
        const QString mime = object.value(QLatin1String("mime")).toString();
        const QJsonValue data = object.value(QLatin1String("data"));
        std::optional<QByteArray> bytes = data.isString() ? decodeBase64(data.toString()) : std::nullopt;
        if (!name.isEmpty() && !mime.isEmpty() && bytes)
            files.append(FileAttachment{name, mime, std::move(*bytes)});
    }
    return files;
}

Result<StoredMessage> readMessage(const QJsonValue &value)
{
    using Message = Result<StoredMessage>;
    if (!value.isObject())
        return Message::failure(QStringLiteral("a message is not an object"));
    const QJsonObject object = value.toObject();
    StoredMessage message;
    if (!readString(object, QLatin1String("role"), &message.role))
        return Message::failure(QStringLiteral("a message lacks a text \"role\""));
    if (!readString(object, QLatin1String("content"), &message.content))
        return Message::failure(QStringLiteral("a message lacks a text \"content\""));
    if (!readString(object, QLatin1String("imageMIME"), &message.imageMIME))
        return Message::failure(QStringLiteral("a message lacks a text \"imageMIME\""));
    // Optional and newer than the format: anything but text reads as no error.
    message.error = object.value(QLatin1String("error")).toString();
    message.reasoning = object.value(QLatin1String("reasoning")).toString();
    message.reasoningSeconds = readNumber(object.value(QLatin1String("reasoningSeconds")));
    message.usage = readUsage(object.value(QLatin1String("usage")));
    message.attachments = readAttachments(object.value(QLatin1String("attachments")));
    const QJsonValue image = object.value(QLatin1String("imageData"));
    if (image.isString()) {
        message.imageData = decodeBase64(image.toString());
        if (!message.imageData)
            return Message::failure(QStringLiteral("a message's \"imageData\" is not Base64"));
    } else if (!image.isUndefined() && !image.isNull()) {
        return Message::failure(QStringLiteral("a message's \"imageData\" is not text"));
    }
    return message;
}

} // namespace

Result<Conversation> decodeConversation(const QJsonValue &value)
{
    using Read = Result<Conversation>;
    if (!value.isObject())
        return Read::failure(QStringLiteral("a conversation is not an object"));
    const QJsonObject object = value.toObject();
    QString idText;
    if (!readString(object, QLatin1String("id"), &idText) || !isCanonicalUuidText(idText))
        return Read::failure(QStringLiteral("a conversation lacks a UUID \"id\""));
    Conversation conversation;
    conversation.id = QUuid::fromString(idText);
    if (!readString(object, QLatin1String("title"), &conversation.title))
        return Read::failure(QStringLiteral("a conversation lacks a text \"title\""));
    const QJsonValue date = object.value(QLatin1String("date"));
    if (!date.isDouble() || !std::isfinite(date.toDouble()))
        return Read::failure(QStringLiteral("a conversation lacks a number \"date\""));
    conversation.date = dateFromReferenceSeconds(date.toDouble());
    const QJsonValue messages = object.value(QLatin1String("messages"));
    if (!messages.isArray())
        return Read::failure(QStringLiteral("a conversation lacks an array \"messages\""));
    const QJsonArray array = messages.toArray();
    conversation.messages.reserve(array.size());
    for (const QJsonValue &item : array) {
        Result<StoredMessage> message = readMessage(item);
        if (!message)
            return Read::failure(message.message());
        conversation.messages.append(std::move(message).value());
    }
    // Optional: older files have no instructions.
    const QJsonValue instructions = object.value(QLatin1String("instructions"));
    if (!instructions.isUndefined() && !instructions.isString())
        return Read::failure(QStringLiteral("a conversation's \"instructions\" is not text"));
    conversation.instructions = instructions.toString();
    return conversation;
}

double secondsSinceReferenceDate(const QDateTime &date)
{
    if (!date.isValid())
        return 0;
    return double(date.toMSecsSinceEpoch() - kReferenceMSecs) / 1000.0;
}

QDateTime dateFromReferenceSeconds(double seconds)
{
    // QDateTime keeps milliseconds; absurd dates are clamped rather than refused.
    const double msecs = std::clamp(std::round(seconds * 1000.0), -1e15, 1e15);
    return QDateTime::fromMSecsSinceEpoch(qint64(msecs) + kReferenceMSecs, Qt::UTC);
}

QByteArray idText(const QUuid &id)
{
    return id.toByteArray(QUuid::WithoutBraces).toUpper();
}

QByteArray encodeConversation(const Conversation &conversation)
{
    QByteArray out;
    out.append("{\"id\":\"");
    out.append(idText(conversation.id));
    out.append("\",\"title\":");
    appendString(out, conversation.title);
    out.append(",\"date\":");
    appendNumber(out, secondsSinceReferenceDate(conversation.date));
    out.append(",\"messages\":[");
    for (qsizetype i = 0; i < conversation.messages.size(); ++i) {
        if (i)
            out.append(',');
        appendMessage(out, conversation.messages.at(i));
    }
    out.append(']');
    if (!conversation.instructions.isEmpty()) {
        out.append(",\"instructions\":");
        appendString(out, conversation.instructions);
    }
    out.append('}');
    return out;
}

QByteArray encodeArray(const QList<QByteArray> &encodedConversations)
{
    qsizetype size = 2 + encodedConversations.size();
    for (const QByteArray &item : encodedConversations)
        size += item.size();
    QByteArray out;
    out.reserve(size);
    out.append('[');
    for (qsizetype i = 0; i < encodedConversations.size(); ++i) {
        if (i)
            out.append(',');
        out.append(encodedConversations.at(i));
    }
    out.append(']');
    return out;
}

QByteArray encode(const QList<Conversation> &conversations)
{
    QList<QByteArray> items;
    items.reserve(conversations.size());
    for (const Conversation &conversation : conversations)
        items.append(encodeConversation(conversation));
    return encodeArray(items);
}

Result<QList<Conversation>> decode(QByteArray bytes)
{
    using Conversations = Result<QList<Conversation>>;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    bytes = QByteArray();
    if (parseError.error != QJsonParseError::NoError) {
        return Conversations::failure(
            QStringLiteral("not JSON (%1 at byte %2)").arg(parseError.errorString()).arg(parseError.offset));
    }
    if (!document.isArray())
        return Conversations::failure(QStringLiteral("the top level is not an array"));
    const QJsonArray array = document.array();
    QList<Conversation> conversations;
    conversations.reserve(array.size());
    for (const QJsonValue &item : array) {
        Result<Conversation> conversation = decodeConversation(item);
        if (!conversation)
            return Conversations::failure(conversation.message());
        conversations.append(std::move(conversation).value());
    }
    return conversations;
}

} // namespace ConversationFormat
