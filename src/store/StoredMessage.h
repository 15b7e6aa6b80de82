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

    friend bool operator==(const StoredMessage &, const StoredMessage &) = default;
};
