// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "store/StoredMessage.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

class HistorySnapshot;

// Where a conversation's object lies in one version of the history file, and
// a checksum of its bytes that tells when something else changed them since.
struct StoredSpan
{
    std::shared_ptr<const HistorySnapshot> file;
    qint64 offset = 0;
    qint64 length = 0;
    size_t checksum = 0;

    // The bytes, or nothing when the file no longer holds them as they were.
    std::optional<QByteArray> read() const;
    static size_t checksumOf(QByteArrayView bytes);
};

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
    // Set while only the history file holds the messages: `messages` is then
    // empty and whole() reads them. The file's bytes are the conversation as it is.
    std::optional<StoredSpan> stored;

    enum class Parts {
        Everything,
        Texts // each message's role and text: enough to search, and far quicker to read
    };
    // This conversation with its messages, read from the file when only it holds them.
    Result<Conversation> whole(Parts parts = Parts::Everything) const;
};
