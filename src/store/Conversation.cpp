// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Conversation.h"

#include "store/ConversationFormat.h"
#include "store/HistorySnapshot.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QTextBoundaryFinder>

#include <algorithm>

#include <utility>

namespace {

constexpr int kTitleLength = 42;

const QString &newConversationTitle()
{
    static const QString title = QStringLiteral("New Conversation");
    return title;
}

} // namespace

Conversation::Conversation(QString title, QDateTime date, QList<StoredMessage> messages)
    : title(std::move(title))
    , date(std::move(date))
    , messages(std::move(messages))
{
}

Conversation::Conversation(QUuid id, QString title, QDateTime date, QList<StoredMessage> messages)
    : id(id)
    , title(std::move(title))
    , date(std::move(date))
    , messages(std::move(messages))
{
}

QString Conversation::makeTitle(const QList<StoredMessage> &messages)
{
    const auto user =
        std::find_if(messages.cbegin(), messages.cend(), [](const StoredMessage &m) { return m.isUser(); });
    if (user == messages.cend())
        return newConversationTitle();
    // QString::trimmed covers Unicode white space and line breaks at both ends.
    const QString text = user->content.trimmed();
    if (text.isEmpty())
        return newConversationTitle();

    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (graphemes.toNextBoundary() != -1) {
        if (++count == kTitleLength) {
            const qsizetype cut = graphemes.position();
            if (cut < text.size())
                return text.left(cut) + QChar(0x2026);
            break;
        }
    }
    return text;
}

namespace {

// The messages' roles and texts, unchecked beyond what searching needs.
Result<Conversation> readTexts(const QJsonObject &object)
{
    Conversation conversation;
    conversation.id = QUuid::fromString(object.value(QLatin1String("id")).toString());
    for (const QJsonValue &item : object.value(QLatin1String("messages")).toArray()) {
        const QJsonObject message = item.toObject();
        conversation.messages.append(StoredMessage(message.value(QLatin1String("role")).toString(),
                                                   message.value(QLatin1String("content")).toString()));
    }
    return conversation;
}

} // namespace

Result<Conversation> Conversation::whole(Parts parts) const
{
    if (!stored)
        return *this;
    const std::optional<QByteArray> bytes = stored->read();
    if (!bytes) {
        return Result<Conversation>::failure(
            QStringLiteral("Something else changed this conversation in the history file; it cannot be read."));
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes, &error);
    Result<Conversation> read = error.error != QJsonParseError::NoError
        ? Result<Conversation>::failure(error.errorString())
        : parts == Parts::Texts ? readTexts(document.object())
                                : ConversationFormat::decodeConversation(document.object());
    if (!read || read->id != id) {
        return Result<Conversation>::failure(
            QStringLiteral("This conversation is damaged in the history file (%1).")
                .arg(read ? QStringLiteral("another conversation lies there") : read.message()));
    }
    // The title, date and instructions here may have been changed since: they win.
    Conversation conversation = *this;
    conversation.messages = std::move(read).value().messages;
    conversation.stored.reset();
    return conversation;
}

std::optional<QByteArray> StoredSpan::read() const
{
    std::optional<QByteArray> bytes = file ? file->read(offset, length) : std::nullopt;
    if (!bytes || checksumOf(*bytes) != checksum)
        return std::nullopt;
    return bytes;
}

size_t StoredSpan::checksumOf(QByteArrayView bytes)
{
    return qHash(bytes, 0x7a1c5e3d);
}
