#include "app/HistoryCommand.h"

#include "store/ConversationFile.h"
#include "store/ConversationStore.h"
#include "store/RelativeDate.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>

#include <algorithm>

namespace {

QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return text;
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
        out << message.content;
        if (!message.content.endsWith(QLatin1Char('\n')))
            out << '\n';
    }
}

} // namespace

int runHistoryCommand(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments().mid(2);
    const bool list = arguments.isEmpty();
    const bool show = arguments.size() == 2 && arguments.at(0) == QLatin1String("show");
    if (!list && !show) {
        err << "usage: tarnwick history [show ID]\n";
        return 2;
    }

    const QString path = ConversationStore::defaultFilePath();
    ConversationFile::ReadResult read = ConversationFile::read(path);
    if (read.status == ConversationFile::Status::Unreadable) {
        err << "tarnwick: cannot read " << path << ": " << read.error << '\n';
        return 1;
    }
    QList<Conversation> &conversations = read.conversations;
    std::stable_sort(conversations.begin(), conversations.end(),
                     [](const Conversation &a, const Conversation &b) { return a.date > b.date; });

    if (list) {
        const QDateTime now = QDateTime::currentDateTime();
        for (const Conversation &conversation : std::as_const(conversations)) {
            out << conversation.id.toString(QUuid::WithoutBraces).toUpper() << '\t'
                << relativeDateText(conversation.date, now) << '\t' << oneLine(conversation.title) << '\n';
        }
        return 0;
    }

    const QUuid id = QUuid::fromString(arguments.at(1));
    const auto found = std::find_if(conversations.cbegin(), conversations.cend(),
                                    [&](const Conversation &c) { return !id.isNull() && c.id == id; });
    if (found == conversations.cend()) {
        err << "tarnwick: no conversation with the id " << arguments.at(1) << '\n';
        return 1;
    }
    printConversation(out, *found);
    return 0;
}
