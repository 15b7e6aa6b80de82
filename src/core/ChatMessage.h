// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"
#include "llm/LLMUsage.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// One message of the launcher conversation. Never serialised directly;
// history keeps it as a StoredMessage.
struct ChatMessage
{
    enum class Role { User, Assistant };

    ChatMessage(Role role, QString content, std::optional<QByteArray> imageData = std::nullopt,
                QString imageMIME = QStringLiteral("image/png"), bool isStreaming = false);

    QUuid id = QUuid::createUuid();
    Role role;
    QString content;
    std::optional<QByteArray> imageData;
    QString imageMIME;
    // Text and PDF files sent with a prompt, beside its image.
    QList<FileAttachment> attachments;
    bool isStreaming = false;
    // Why an answer stopped after part of it arrived; empty when it did not.
    // The content keeps the part, so the next send passes on only the text.
    QString error;
    // What the model thought before answering; never part of the content.
    QString reasoning;
    // How long it thought: from the send to the answer's first words.
    std::optional<double> reasoningSeconds;
    std::optional<LLMUsage> usage;
    // A prompt sent with a preset: its name, and any provider and model it chose.
    QString presetCaption;

    friend bool operator==(const ChatMessage &, const ChatMessage &) = default;
};
