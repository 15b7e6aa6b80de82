// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/StoredChat.h"

#include "store/ConversationStore.h"

namespace StoredChat {

StoredMessage toStored(const ChatMessage &message)
{
    StoredMessage stored(message.role == ChatMessage::Role::User ? QStringLiteral("user") : QStringLiteral("assistant"),
                         message.content, message.imageData, message.imageMIME);
    stored.error = message.error;
    stored.attachments = message.attachments;
    // Reasoning and usage still streaming are kept back: the journal writes the
    // text of one answer as it grows, and would otherwise rewrite the whole
    // conversation on every thought (and Gemini recounts on every event).
    // They follow once the answer is done.
    if (!message.isStreaming) {
        stored.reasoning = message.reasoning;
        stored.reasoningSeconds = message.reasoningSeconds;
        stored.usage = message.usage;
    }
    return stored;
}

ChatMessage toChat(const StoredMessage &stored)
{
    const auto role = stored.role == QLatin1String("user") ? ChatMessage::Role::User : ChatMessage::Role::Assistant;
    ChatMessage message(role, stored.content, stored.imageData, stored.imageMIME, false);
    message.error = stored.error;
    message.attachments = stored.attachments;
    message.reasoning = stored.reasoning;
    message.reasoningSeconds = stored.reasoningSeconds;
    message.usage = stored.usage;
    return message;
}

QList<ChatMessage> toChat(const QList<StoredMessage> &stored)
{
    QList<ChatMessage> messages;
    messages.reserve(stored.size());
    for (const StoredMessage &message : stored)
        messages.append(toChat(message));
    return messages;
}

QUuid save(ConversationStore &store, const QList<ChatMessage> &messages, const QUuid &activeID,
           const QString &instructions)
{
    if (messages.isEmpty())
        return {};
    const QUuid id = activeID.isNull() ? QUuid::createUuid() : activeID;
    QList<StoredMessage> stored;
    stored.reserve(messages.size());
    for (const ChatMessage &message : messages)
        stored.append(toStored(message));
    const QString title = Conversation::makeTitle(stored);
    Conversation conversation(id, title, QDateTime::currentDateTimeUtc(), std::move(stored));
    conversation.instructions = instructions;
    store.upsert(std::move(conversation));
    return id;
}

} // namespace StoredChat
