// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"
#include "store/Conversation.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUuid>

class QJsonValue;

#include <optional>

// The history file format: compact UTF-8 JSON, members in field order, forward
// slashes escaped, upper-case UUIDs, dates as seconds since 2001-01-01 UTC.
namespace ConversationFormat {

// One conversation object, as it appears inside the top-level array.
QByteArray encodeConversation(const Conversation &conversation);

// The top-level array around already encoded conversation objects.
QByteArray encodeArray(const QList<QByteArray> &encodedConversations);

QByteArray encode(const QList<Conversation> &conversations);

// The whole file, or nothing when any part of it breaks the format. The bytes
// are let go once parsed, so a large file is not held twice.
Result<QList<Conversation>> decode(QByteArray bytes);

// One conversation object, as encodeConversation writes it.
Result<Conversation> decodeConversation(const QJsonValue &value);

// The canonical upper-case text of an id, as the file holds it.
QByteArray idText(const QUuid &id);
bool isCanonicalUuidText(const QString &text);

// A JSON string literal, forward slashes escaped.
void appendString(QByteArray &out, QStringView text);
void appendNumber(QByteArray &out, double value);

double secondsSinceReferenceDate(const QDateTime &date);
QDateTime dateFromReferenceSeconds(double seconds);

} // namespace ConversationFormat
