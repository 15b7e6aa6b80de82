// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JournalRecord.h"

#include "store/ConversationFormat.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>

namespace JournalRecord {

namespace {

const QLatin1String kFormatKey("tarnwickHistoryJournal");

bool sameBytes(const std::optional<QByteArray> &a, const std::optional<QByteArray> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || a->constData() == b->constData() || *a == *b;
}

bool sameFiles(const QList<FileAttachment> &a, const QList<FileAttachment> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const FileAttachment &x, const FileAttachment &y) {
        return x.name == y.name && x.mime == y.mime && (x.data.constData() == y.data.constData() || x.data == y.data);
    });
}

bool sameExceptContent(const StoredMessage &a, const StoredMessage &b)
{
    return a.role == b.role && a.imageMIME == b.imageMIME && a.error == b.error && a.reasoning == b.reasoning
        && a.reasoningSeconds == b.reasoningSeconds && a.usage == b.usage && sameBytes(a.imageData, b.imageData)
        && sameFiles(a.attachments, b.attachments);
}

// The one message whose text differs, or -1 when more than that changed.
qsizetype onlyChangedMessage(const Conversation &before, const Conversation &after)
{
    if (before.messages.size() != after.messages.size())
        return -1;
    qsizetype changed = -1;
    for (qsizetype i = 0; i < after.messages.size(); ++i) {
        const StoredMessage &a = before.messages.at(i);
        const StoredMessage &b = after.messages.at(i);
        if (!sameExceptContent(a, b))
            return -1;
        if (a.content.constData() == b.content.constData() || a.content == b.content)
            continue;
        if (changed >= 0)
            return -1;
        changed = i;
    }
    return changed;
}

QByteArray textRecord(const Conversation &before, const Conversation &after, qsizetype index)
{
    const QString &old = before.messages.at(index).content;
    const QString &now = after.messages.at(index).content;
    qsizetype at =
        std::mismatch(old.begin(), old.begin() + std::min(old.size(), now.size()), now.begin()).first - old.begin();
    // A surrogate pair stays whole on both sides of the cut.
    if (at > 0 && now.at(at - 1).isHighSurrogate())
        --at;
    QByteArray out("{\"op\":\"text\",\"id\":\"");
    out.append(ConversationFormat::idText(after.id));
    out.append("\",\"date\":");
    ConversationFormat::appendNumber(out, ConversationFormat::secondsSinceReferenceDate(after.date));
    if (before.title != after.title) {
        out.append(",\"title\":");
        ConversationFormat::appendString(out, after.title);
    }
    out.append(",\"message\":");
    out.append(QByteArray::number(index));
    out.append(",\"at\":");
    out.append(QByteArray::number(at));
    out.append(",\"text\":");
    ConversationFormat::appendString(out, QStringView(now).sliced(at));
    out.append("}\n");
    return out;
}

qsizetype indexOf(const QList<Conversation> &conversations, const QUuid &id)
{
    const auto found =
        std::find_if(conversations.cbegin(), conversations.cend(), [&](const Conversation &c) { return c.id == id; });
    return found == conversations.cend() ? -1 : found - conversations.cbegin();
}

bool readId(const QJsonObject &record, QUuid *id)
{
    const QString text = record.value(QLatin1String("id")).toString();
    if (!ConversationFormat::isCanonicalUuidText(text))
        return false;
    *id = QUuid::fromString(text);
    return true;
}

// Applies one record; false when it is not a record this version writes.
bool apply(const QJsonObject &record, QList<Conversation> &conversations)
{
    const QString op = record.value(QLatin1String("op")).toString();
    if (op == QLatin1String("put")) {
        Result<Conversation> decoded =
            ConversationFormat::decodeConversation(record.value(QLatin1String("conversation")));
        if (!decoded)
            return false;
        Conversation conversation = std::move(decoded).value();
        const qsizetype at = indexOf(conversations, conversation.id);
        if (at >= 0)
            conversations[at] = std::move(conversation);
        else
            conversations.prepend(std::move(conversation));
        return true;
    }
    QUuid id;
    if (!readId(record, &id))
        return false;
    if (op == QLatin1String("delete")) {
        conversations.removeIf([&](const Conversation &c) { return c.id == id; });
        return true;
    }
    if (op != QLatin1String("text"))
        return false;
    const QJsonValue date = record.value(QLatin1String("date"));
    const QJsonValue title = record.value(QLatin1String("title"));
    const QJsonValue text = record.value(QLatin1String("text"));
    const qint64 index = record.value(QLatin1String("message")).toInteger(-1);
    const qint64 at = record.value(QLatin1String("at")).toInteger(-1);
    if (!date.isDouble() || !text.isString() || index < 0 || at < 0 || !(title.isUndefined() || title.isString()))
        return false;
    const qsizetype found = indexOf(conversations, id);
    if (found >= 0 && conversations.at(found).stored) {
        Result<Conversation> whole = conversations.at(found).whole();
        if (!whole)
            return false;
        conversations[found] = std::move(whole).value();
    }
    // Gone or reshaped by a later record that the file already holds.
    if (found < 0 || index >= conversations.at(found).messages.size())
        return true;
    Conversation &conversation = conversations[found];
    conversation.date = ConversationFormat::dateFromReferenceSeconds(date.toDouble());
    if (title.isString())
        conversation.title = title.toString();
    QString &content = conversation.messages[index].content;
    content = content.left(at) + text.toString();
    return true;
}

} // namespace

QByteArray header()
{
    return "{\"" + QByteArray(kFormatKey.data(), kFormatKey.size()) + "\":" + QByteArray::number(kVersion) + "}\n";
}

QByteArray change(const Conversation *before, const Conversation &after)
{
    if (before && before->instructions == after.instructions) {
        const qsizetype index = onlyChangedMessage(*before, after);
        if (index >= 0)
            return textRecord(*before, after, index);
    }
    QByteArray out("{\"op\":\"put\",\"conversation\":");
    out.append(ConversationFormat::encodeConversation(after));
    out.append("}\n");
    return out;
}

QByteArray removal(const QUuid &id)
{
    return "{\"op\":\"delete\",\"id\":\"" + ConversationFormat::idText(id) + "\"}\n";
}

QSet<QUuid> namedIds(const QByteArray &journal)
{
    QSet<QUuid> ids;
    for (qsizetype start = journal.indexOf('\n') + 1; start > 0 && start < journal.size();) {
        qsizetype end = journal.indexOf('\n', start);
        if (end < 0)
            end = journal.size();
        const QJsonObject record =
            QJsonDocument::fromJson(QByteArrayView(journal).sliced(start, end - start).toByteArray()).object();
        QUuid id;
        if (readId(record, &id) || readId(record.value(QLatin1String("conversation")).toObject(), &id))
            ids.insert(id);
        start = end + 1;
    }
    return ids;
}

Replay replay(const QByteArray &journal, QList<Conversation> &conversations)
{
    Replay result;
    if (journal.isEmpty())
        return result;
    qsizetype lineEnd = journal.indexOf('\n');
    const QJsonObject head = QJsonDocument::fromJson(journal.left(lineEnd < 0 ? journal.size() : lineEnd)).object();
    const QJsonValue version = head.value(kFormatKey);
    if (lineEnd < 0 || !version.isDouble() || version.toInteger(-1) < 1) {
        result.status = Status::Foreign;
        result.error = QStringLiteral("not a history journal");
        return result;
    }
    if (version.toInteger() > kVersion) {
        result.status = Status::Newer;
        result.error = QStringLiteral("written by a newer version (journal version %1)").arg(version.toInteger());
        return result;
    }
    result.validBytes = lineEnd + 1;
    while (result.validBytes < journal.size()) {
        lineEnd = journal.indexOf('\n', result.validBytes);
        if (lineEnd < 0) {
            result.status = Status::Torn;
            result.error = QStringLiteral("the last change was cut off");
            return result;
        }
        QJsonParseError error;
        const QJsonDocument line = QJsonDocument::fromJson(
            QByteArrayView(journal).sliced(result.validBytes, lineEnd - result.validBytes).toByteArray(), &error);
        if (error.error != QJsonParseError::NoError || !line.isObject() || !apply(line.object(), conversations)) {
            result.status = Status::Torn;
            result.error = QStringLiteral("change %1 is damaged").arg(result.records + 1);
            return result;
        }
        ++result.records;
        result.validBytes = lineEnd + 1;
    }
    return result;
}

} // namespace JournalRecord
