// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMTurn.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// What the user is sending: the history and the new message.
struct LLMPrompt
{
    QList<LLMTurn> turns;
    QString newMessage;
    std::optional<QByteArray> imageData;
    QString imageMIME = QStringLiteral("image/png");
    QList<FileAttachment> files = {};
    // The conversation's system prompt; empty when it has none.
    QString instructions = {};
};

// A request ready to send: the address as composed (not yet checked),
// the headers in the order they are set, and the body bytes.
struct ProviderRequest
{
    QByteArray method = "POST";
    QString url;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Some providers answer an empty key with 403 instead of 401.
    bool keyIsEmpty = false;
    // An answer: a 200 body must be an event stream.
    bool expectsEventStream = false;
    // A server on the user's machine or network, which may take minutes to
    // load a model before its first byte; failures to reach it name it (with
    // any password masked).
    QString serverAddress;
};

// The new message's text: an image or files sent without words are described.
QString promptText(const LLMPrompt &prompt);
