#include "app/HistoryCommand.h"

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
            out << "[image: " << message.imageMIME << ", "
                << QLocale::c().formattedDataSize(message.imageData->size()) << "]\n\n";
        }
        QString text = message.content;
        if (!message.error.isEmpty())
            text += QStringLiteral("\n\n\u26A0\uFE0F ") + message.error;
        out << text;
        if (!text.endsWith(QLatin1Char('\n')))
            out << '\n';
    }
}

void printSearch(QTextStream &out, const QList<Conversation> &conversations, const QString &query)
{
    QList<ConversationSearch::Folded> folded;
    folded.reserve(conversations.size());
    for (const Conversation &conversation : conversations)
        folded.append(ConversationSearch::foldConversation(conversation));
    const QDateTime now = QDateTime::currentDateTime();
    for (const ConversationSearch::Hit &hit : ConversationSearch::search(conversations, folded, query)) {
        out << idText(hit.id) << '\t' << relativeDateText(hit.date, now) << '\t' << oneLine(hit.title) << '\t'
            << hit.snippet << '\n';
    }
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
    QTextStream err(stderr);
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
    if (!list && !byId && !search) {
        err << kUsage;
        return 2;
    }

    const QString path = ConversationStore::defaultFilePath();
    ConversationFile::ReadResult read = ConversationFile::readWithJournal(path, ConversationStore::journalPath(path));
    if (read.status == ConversationFile::Status::Unreadable) {
        err << "tarnwick: cannot read " << path << ": " << read.error << '\n';
        return 1;
    }
    const QList<Conversation> &conversations = read.conversations;

    if (list) {
        const QDateTime now = QDateTime::currentDateTime();
        for (const Conversation &conversation : conversations) {
            out << idText(conversation.id) << '\t' << relativeDateText(conversation.date, now) << '\t'
                << oneLine(conversation.title) << '\n';
        }
        return finish(out, printed);
    }
    if (search) {
        printSearch(out, conversations, arguments.mid(1).join(QLatin1Char(' ')));
        return finish(out, printed);
    }

    const QUuid id = QUuid::fromString(arguments.at(1));
    const auto found = std::find_if(conversations.cbegin(), conversations.cend(),
                                    [&](const Conversation &c) { return !id.isNull() && c.id == id; });
    if (found == conversations.cend()) {
        err << "tarnwick: no conversation with the id " << arguments.at(1) << '\n';
        return 1;
    }
    if (!format) {
        printConversation(out, *found);
        return finish(out, printed);
    }
    return finish(out, ConversationExport::bytes(*found, *format));
}
