#pragma once

#include "core/ChatMessage.h"

#include <QByteArray>
#include <QString>

#include <optional>

// One message as the history file keeps it.
struct StoredMessage
{
    StoredMessage() = default;
    StoredMessage(QString role, QString content, std::optional<QByteArray> imageData = std::nullopt,
                  QString imageMIME = QStringLiteral("image/png"));
    explicit StoredMessage(const ChatMessage &message);

    static StoredMessage fromChatMessage(const ChatMessage &message) { return StoredMessage(message); }

    // A fresh chat message: any role other than exactly "user" reads as the assistant's.
    ChatMessage toChatMessage() const;

    QString role;
    QString content;
    std::optional<QByteArray> imageData;
    QString imageMIME = QStringLiteral("image/png");

    friend bool operator==(const StoredMessage &, const StoredMessage &) = default;
};
