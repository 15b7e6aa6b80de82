// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationExport.h"

#include "store/ConversationFormat.h"

namespace ConversationExport {

namespace {

// The model's thoughts as a quoted block under its own heading, apart from the answer.
QString reasoningQuote(const QString &reasoning)
{
    QString out = QStringLiteral("> **Reasoning**\n>\n");
    const QStringList lines = reasoning.trimmed().split(QLatin1Char('\n'));
    for (const QString &line : lines)
        out += line.isEmpty() ? QStringLiteral(">\n") : QStringLiteral("> ") + line + QLatin1Char('\n');
    return out + QLatin1Char('\n');
}

// The files by name only: their bytes would swamp the text they belong to.
QString attachmentLine(const QList<FileAttachment> &files)
{
    QStringList names;
    for (const FileAttachment &file : files)
        names.append(QLatin1Char('`') + file.name + QLatin1Char('`'));
    return QStringLiteral("*Attached:* ") + names.join(QStringLiteral(", ")) + QStringLiteral("\n\n");
}

} // namespace

QString markdown(const Conversation &conversation)
{
    QString title = conversation.title;
    title.replace(QLatin1Char('\n'), QLatin1Char(' '));
    QString out = QStringLiteral("# ") + title + QStringLiteral("\n");
    if (!conversation.instructions.isEmpty()) {
        out += QStringLiteral("\n## Instructions\n\n") + conversation.instructions;
        if (!out.endsWith(QLatin1Char('\n')))
            out += QLatin1Char('\n');
    }
    for (const StoredMessage &message : conversation.messages) {
        out += message.role == QLatin1String("user") ? QStringLiteral("\n## User\n\n")
                                                     : QStringLiteral("\n## Assistant\n\n");
        if (message.imageData) {
            out += QStringLiteral("![image](data:") + message.imageMIME + QStringLiteral(";base64,")
                + QString::fromLatin1(message.imageData->toBase64()) + QStringLiteral(")\n\n");
        }
        if (!message.attachments.isEmpty())
            out += attachmentLine(message.attachments);
        if (!message.reasoning.isEmpty())
            out += reasoningQuote(message.reasoning);
        out += message.content;
        if (!message.error.isEmpty())
            out += QStringLiteral("\n\n\u26A0\uFE0F ") + message.error;
        if (!out.endsWith(QLatin1Char('\n')))
            out += QLatin1Char('\n');
    }
    return out;
}

QByteArray json(const Conversation &conversation)
{
    return ConversationFormat::encodeConversation(conversation);
}

QByteArray bytes(const Conversation &conversation, Format format)
{
    return format == Format::Json ? json(conversation) + '\n' : markdown(conversation).toUtf8();
}

QString fileName(const Conversation &conversation, Format format)
{
    QString name = conversation.title.simplified();
    for (QChar &c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.category() == QChar::Other_Control)
            c = u'-';
    }
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QStringLiteral("Conversation"));
    return name + (format == Format::Json ? QStringLiteral(".json") : QStringLiteral(".md"));
}

} // namespace ConversationExport
