// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/StoredMessage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

// One saved conversation. Deliberately without equality: lists key it by id.
struct Conversation
{
    Conversation() = default;
    Conversation(QString title, QDateTime date, QList<StoredMessage> messages);
    Conversation(QUuid id, QString title, QDateTime date, QList<StoredMessage> messages);

    // The first user prompt, trimmed, cut after 42 user-perceived characters with "…";
    // "New Conversation" when there is no usable prompt.
    static QString makeTitle(const QList<StoredMessage> &messages);

    QUuid id = QUuid::createUuid();
    QString title;
    QDateTime date;
    QList<StoredMessage> messages;
    // The system prompt its requests carry (from a preset); empty when none.
    QString instructions;
};
