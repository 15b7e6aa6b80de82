#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One message as the history file keeps it.
struct StoredMessage
{
    StoredMessage() = default;
    StoredMessage(QString role, QString content, std::optional<QByteArray> imageData = std::nullopt,
                  QString imageMIME = QStringLiteral("image/png"));

    bool isUser() const { return role == QLatin1String("user"); }

    QString role;
    QString content;
    std::optional<QByteArray> imageData;
    QString imageMIME = QStringLiteral("image/png");
    // Why an answer stopped after part of it arrived; empty when it did not.
    QString error;

    friend bool operator==(const StoredMessage &, const StoredMessage &) = default;
};
