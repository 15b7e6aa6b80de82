#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One earlier message handed to the client as history.
struct LLMTurn
{
    QString role; // "user" or "model"
    QString text;
    std::optional<QByteArray> imageData = std::nullopt;
    QString imageMIME = QStringLiteral("image/png");
};
