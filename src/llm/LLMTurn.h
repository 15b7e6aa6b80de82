// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/FileAttachment.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One earlier message handed to the client as history.
struct LLMTurn
{
    QString role; // "user" or "model"
    QString text;
    std::optional<QByteArray> imageData = std::nullopt;
    QString imageMIME = QStringLiteral("image/png");
    QList<FileAttachment> files = {};
};
