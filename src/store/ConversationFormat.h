#pragma once

#include "store/Conversation.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The history file format: compact UTF-8 JSON, members in field order, forward
// slashes escaped, upper-case UUIDs, dates as seconds since 2001-01-01 UTC.
namespace ConversationFormat {

// One conversation object, as it appears inside the top-level array.
QByteArray encodeConversation(const Conversation &conversation);

// The top-level array around already encoded conversation objects.
QByteArray encodeArray(const QList<QByteArray> &encodedConversations);

QByteArray encode(const QList<Conversation> &conversations);

// The whole file, or nothing when any part of it breaks the format.
std::optional<QList<Conversation>> decode(const QByteArray &bytes, QString *error = nullptr);

double secondsSinceReferenceDate(const QDateTime &date);
QDateTime dateFromReferenceSeconds(double seconds);

} // namespace ConversationFormat
