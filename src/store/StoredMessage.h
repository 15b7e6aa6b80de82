// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"
#include "llm/LLMUsage.h"

#include <QByteArray>
#include <QList>
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
    // Newer than the format, each written only when there is one.
    QString reasoning;
    std::optional<double> reasoningSeconds;
    std::optional<LLMUsage> usage;
    QList<FileAttachment> attachments;

    friend bool operator==(const StoredMessage &, const StoredMessage &) = default;
};
