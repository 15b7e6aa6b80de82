#include "store/StoredMessage.h"

#include <utility>

StoredMessage::StoredMessage(QString role, QString content, std::optional<QByteArray> imageData, QString imageMIME)
    : role(std::move(role))
    , content(std::move(content))
    , imageData(std::move(imageData))
    , imageMIME(std::move(imageMIME))
{
}

StoredMessage::StoredMessage(const ChatMessage &message)
    : role(message.role == ChatMessage::Role::User ? QStringLiteral("user") : QStringLiteral("assistant"))
    , content(message.content)
    , imageData(message.imageData)
    , imageMIME(message.imageMIME)
{
}

ChatMessage StoredMessage::toChatMessage() const
{
    const auto chatRole = role == QLatin1String("user") ? ChatMessage::Role::User : ChatMessage::Role::Assistant;
    return ChatMessage(chatRole, content, imageData, imageMIME, false);
}
