// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HistoryCommand.h"

#include "app/StandardError.h"
#include "app/StandardOutput.h"
#include "store/ConversationExport.h"
#include "store/ConversationFile.h"
#include "store/ConversationSearch.h"
#include "store/ConversationStore.h"
#include "store/RelativeDate.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>

#include <algorithm>

namespace {

const char kUsage[] = "usage: tarnwick history [show ID | search WORDS... | export ID [--format markdown|json]]\n";

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
}

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QString roleHeading(const StoredMessage &message)
{
    return message.role == QLatin1String("user") ? QStringLiteral("User") : QStringLiteral("Assistant");
}

void printConversation(QTextStream &out, const Conversation &conversation)
{
    const QDateTime now = QDateTime::currentDateTime();
    out << "# " << oneLine(conversation.title) << "\n\n";
    out << conversation.date.toLocalTime().toString(Qt::ISODate) << " (" << relativeDateText(conversation.date, now)
        << ")\n";
    for (const StoredMessage &message : conversation.messages) {
        out << "\n## " << roleHeading(message) << "\n\n";
        if (message.imageData) {
            out << "[image: " << message.imageMIME << ", " << QLocale::c().formattedDataSize(message.imageData->size())
                << "]\n\n";
        }
        for (const FileAttachment &file : message.attachments) {
            out << "[file: " << file.name << ", " << file.mime << ", "
                << QLocale::c().formattedDataSize(file.data.size()) << "]\n";
        }
        if (!message.attachments.isEmpty())
            out << '\n';
        QString text = message.content;
        if (!message.error.isEmpty())
            text += QStringLiteral("\n\n\u26A0\uFE0F ") + message.error;
        out << text;
        if (!text.endsWith(QLatin1Char('\n')))
            out << '\n';
    }
}

// Something printed about one conversation, ranked newest first.
struct Row
{
    QDateTime date;
    qsizetype order = 0;
    QString text;
};

bool newerFirst(const Row &a, const Row &b)
{
    return a.date != b.date ? a.date > b.date : a.order < b.order;
}

QString searchLine(const Conversation &conversation, const QString &query, const QDateTime &now)
{
    const QList<Conversation> one{conversation};
    const QList<ConversationSearch::Hit> hits =
        ConversationSearch::search(one, {ConversationSearch::foldConversation(conversation)}, query);
    if (hits.isEmpty())
        return QString();
    const ConversationSearch::Hit &hit = hits.first();
    return idText(hit.id) + QLatin1Char('\t') + relativeDateText(hit.date, now) + QLatin1Char('\t') + oneLine(hit.title)
        + QLatin1Char('\t') + hit.snippet + QLatin1Char('\n');
}

// Writes what was printed; the exit status, or why it could not be written.
int finish(QTextStream &out, const QByteArray &printed)
{
    out.flush();
    StandardOutput::write(printed);
    return StandardOutput::finish() ? 0 : 1;
}

} // namespace

int runHistoryCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Written out at the end, so that a failed write can be told with its reason.
    QByteArray printed;
    QTextStream out(&printed);
    QStringList arguments = app.arguments().mid(2);
    const QString command = arguments.value(0);
    std::optional<ConversationExport::Format> format;
    if (command == QLatin1String("export")) {
        format = ConversationExport::Format::Markdown;
        const qsizetype at = arguments.indexOf(QLatin1String("--format"));
        if (at >= 0) {
            const QString name = arguments.value(at + 1).toLower();
            if (name == QLatin1String("json"))
                format = ConversationExport::Format::Json;
            else if (name != QLatin1String("markdown"))
                format.reset();
            arguments.remove(at, std::min<qsizetype>(2, arguments.size() - at));
        }
    }
    const bool list = arguments.isEmpty();
    const bool byId = arguments.size() == 2 && (command == QLatin1String("show") || format);
    const bool search = command == QLatin1String("search") && arguments.size() >= 2;
    if (!list && !byId && !search)
        return StandardError::fail(2, QLatin1String(kUsage).trimmed());

    // The file is read one conversation at a time: only what is printed stays.
    const QString path = ConversationStore::defaultFilePath();
    const QDateTime now = QDateTime::currentDateTime();
    const QString query = search ? arguments.mid(1).join(QLatin1Char(' ')) : QString();
    const QUuid id = byId ? QUuid::fromString(arguments.at(1)) : QUuid();
    QList<Row> rows;
    std::optional<Conversation> found;
    std::optional<Row> foundRank;
    const auto visit = [&](Conversation &&conversation, qsizetype order) {
        if (list) {
            rows.append({conversation.date, order,
                         idText(conversation.id) + QLatin1Char('\t') + relativeDateText(conversation.date, now)
                             + QLatin1Char('\t') + oneLine(conversation.title) + QLatin1Char('\n')});
        } else if (search) {
            QString line = searchLine(conversation, query, now);
            if (!line.isEmpty())
                rows.append({conversation.date, order, std::move(line)});
        } else if (!id.isNull() && conversation.id == id) {
            const Row rank{conversation.date, order, {}};
            if (!foundRank || newerFirst(rank, *foundRank)) {
                foundRank = rank;
                found = std::move(conversation);
            }
        }
    };
    const ConversationFile::ScanResult read =
        ConversationFile::scanWithJournal(path, ConversationStore::journalPath(path), visit);
    if (read.status == ConversationFile::Status::Unreadable)
        return StandardError::fail(1, QStringLiteral("tarnwick: cannot read %1: %2").arg(path, read.error));

    if (list || search) {
        std::stable_sort(rows.begin(), rows.end(), newerFirst);
        for (const Row &row : std::as_const(rows))
            out << row.text;
        return finish(out, printed);
    }
    if (!found)
        return StandardError::fail(1, QStringLiteral("tarnwick: no conversation with the id ") + arguments.at(1));
    if (!format) {
        printConversation(out, *found);
        return finish(out, printed);
    }
    return finish(out, ConversationExport::bytes(*found, *format));
}
