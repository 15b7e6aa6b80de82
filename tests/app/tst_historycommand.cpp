#include "support/IsolatedHome.h"

#include "ProgramRun.h"

#include "store/ConversationFormat.h"
#include "store/JournalRecord.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

// `tarnwick history` run as a user would, on files written by hand.
class TestHistoryCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsAndShowsHandWrittenFile();
    void searchesAndExports_data();
    void searchesAndExports();
    void readsLargeFilesInPiecesWithTheirJournal();
    void reportsProblems_data();
    void reportsProblems();
    void unwritableOutputIsAnError_data();
    void unwritableOutputIsAnError();
};

namespace {

struct CommandResult
{
    int exitCode;
    QString out;
    QString err;
};

CommandResult runTarnwick(const QStringList &arguments)
{
    const ProgramRun run = runProgram(arguments);
    return {run.exitCode, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
}

void writeHistory(const IsolatedHome &home, const QByteArray &bytes)
{
    const QString folder = home.dataHome() + QStringLiteral("/Tarnwick");
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/conversations.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Older first in the file; an image, lower-case id, plain slashes, members in
// any order, an answer cut short with its error.
const char *const kHandWritten = R"([
 {"id": "e621e1f8-c36c-495a-93fc-0c247a3e6e5f", "title": "Explain quicksort", "date": 600000000.25,
  "messages": [
   {"role": "user", "content": "Explain quicksort", "imageMIME": "image/png", "imageData": "iVBORw0KGgo="},
   {"imageMIME": "image\/png", "content": "Pick a **pivot**.\n\n```py\nsort(a)\n```", "role": "assistant",
    "error": "The connection was cut."}]},
 {"messages": [], "date": 700000000, "title": "Second\nline", "id": "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"}
])";

} // namespace

void TestHistoryCommand::listsAndShowsHandWrittenFile()
{
    IsolatedHome home;
    writeHistory(home, kHandWritten);

    const CommandResult list = runTarnwick({QStringLiteral("history")});
    QCOMPARE(list.exitCode, 0);
    const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).startsWith(QLatin1String("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0\t")), qPrintable(lines.at(0)));
    QVERIFY(lines.at(0).endsWith(QLatin1String(" ago\tSecond line")));
    QVERIFY(lines.at(1).startsWith(QLatin1String("E621E1F8-C36C-495A-93FC-0C247A3E6E5F\t")));
    QVERIFY(lines.at(1).endsWith(QLatin1String("\tExplain quicksort")));

    const CommandResult show = runTarnwick({QStringLiteral("history"), QStringLiteral("show"),
                                     QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F")});
    QCOMPARE(show.exitCode, 0);
    QVERIFY2(show.out.startsWith(QLatin1String("# Explain quicksort\n\n")), qPrintable(show.out));
    QVERIFY(show.out.contains(QLatin1String("\n## User\n\n[image: image/png, 8 bytes]\n\nExplain quicksort\n")));
    QVERIFY(show.out.endsWith(QStringLiteral("\n## Assistant\n\nPick a **pivot**.\n\n```py\nsort(a)\n```\n\n"
                                             "\u26A0\uFE0F The connection was cut.\n")));
}

void TestHistoryCommand::searchesAndExports_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");
    const QString quicksort = QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    const QString history = QStringLiteral("history");
    // The relative date (second field) of search lines is left out.
    QTest::newRow("search: case, accents, several words")
        << QStringList{history, QStringLiteral("search"), QStringLiteral("PÍVOT"), QStringLiteral("explain")}
        << quicksort + QStringLiteral("\tExplain quicksort\tExplain quicksort\n");
    QTest::newRow("search: nothing found") << QStringList{history, QStringLiteral("search"), QStringLiteral("zebra")}
                                           << QString();
    QTest::newRow("export as Markdown") << QStringList{history, QStringLiteral("export"), quicksort}
                                        << QStringLiteral(R"(# Explain quicksort

## User

![image](data:image/png;base64,iVBORw0KGgo=)

Explain quicksort

## Assistant

Pick a **pivot**.

```py
sort(a)
```

⚠️ The connection was cut.
)");
    QTest::newRow("export as JSON")
        << QStringList{history, QStringLiteral("export"), quicksort.toLower(), QStringLiteral("--format"), QStringLiteral("json")}
        << QStringLiteral(R"({"id":"%1","title":"Explain quicksort","date":600000000.25,"messages":[)"
                          R"({"role":"user","content":"Explain quicksort","imageData":"iVBORw0KGgo=","imageMIME":"image\/png"},)"
                          R"({"role":"assistant","content":"Pick a **pivot**.\n\n```py\nsort(a)\n```","imageMIME":"image\/png",)"
                          R"("error":"The connection was cut."}]})"
                          "\n")
               .arg(quicksort);
}

void TestHistoryCommand::searchesAndExports()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    IsolatedHome home;
    writeHistory(home, kHandWritten);
    const CommandResult result = runTarnwick(arguments);
    QCOMPARE(result.exitCode, 0);
    QString printed = result.out;
    if (arguments.at(1) == QLatin1String("search")) {
        QStringList lines = printed.split(QLatin1Char('\n'));
        for (QString &line : lines) {
            QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() > 1)
                fields.removeAt(1);
            line = fields.join(QLatin1Char('\t'));
        }
        printed = lines.join(QLatin1Char('\n'));
    }
    QCOMPARE(printed, out);
}

// The file is read one conversation at a time: strings that hold braces,
// quotes and backslashes, a conversation larger than a read, and the
// journal's changes to conversations that pass by.
void TestHistoryCommand::readsLargeFilesInPiecesWithTheirJournal()
{
    IsolatedHome home;
    const auto dated = [](const QString &title, double seconds, const QString &answer) {
        return Conversation(title, ConversationFormat::dateFromReferenceSeconds(seconds),
                            {StoredMessage(QStringLiteral("user"), title), StoredMessage(QStringLiteral("assistant"), answer)});
    };
    const Conversation tricky = dated(QStringLiteral("Tricky"), 100, QStringLiteral("a \\\"}] {[\\\\ \"end\""));
    const Conversation large = dated(QStringLiteral("Large"), 300, QString(3 * 1024 * 1024, QLatin1Char('x')) + QStringLiteral(" needle"));
    const Conversation gone = dated(QStringLiteral("Gone"), 200, QStringLiteral("deleted by the journal"));
    const Conversation added = dated(QStringLiteral("Added"), 250, QStringLiteral("only in the journal"));
    writeHistory(home, " [ " + ConversationFormat::encodeConversation(tricky) + " ,\n"
                           + ConversationFormat::encodeConversation(large) + ","
                           + ConversationFormat::encodeConversation(gone) + " ]\n");
    Conversation changed = tricky;
    changed.date = ConversationFormat::dateFromReferenceSeconds(400);
    changed.messages[1].content += QStringLiteral(" and more");
    QFile journal(home.dataHome() + QStringLiteral("/Tarnwick/conversations.json.journal"));
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write(JournalRecord::header() + JournalRecord::change(&tricky, changed) + JournalRecord::removal(gone.id)
                  + JournalRecord::change(nullptr, added));
    journal.close();

    const CommandResult list = runTarnwick({QStringLiteral("history")});
    QCOMPARE(list.exitCode, 0);
    QStringList titles;
    for (const QString &line : list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        titles << line.section(QLatin1Char('\t'), 2);
    QCOMPARE(titles, QStringList({"Tricky", "Large", "Added"}));

    const CommandResult search = runTarnwick({QStringLiteral("history"), QStringLiteral("search"), QStringLiteral("needle")});
    QCOMPARE(search.out.section(QLatin1Char('\t'), 0, 0), QString::fromLatin1(ConversationFormat::idText(large.id)));
    const CommandResult more = runTarnwick({QStringLiteral("history"), QStringLiteral("search"), QStringLiteral("more")});
    QVERIFY2(more.out.contains(QLatin1String("\tTricky\t")), qPrintable(more.out));
    const CommandResult exported = runTarnwick({QStringLiteral("history"), QStringLiteral("export"),
                                         QString::fromLatin1(ConversationFormat::idText(changed.id)),
                                         QStringLiteral("--format"), QStringLiteral("json")});
    QCOMPARE(exported.out.toUtf8(), ConversationFormat::encodeConversation(changed) + "\n");
}

void TestHistoryCommand::reportsProblems_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    const QStringList list{QStringLiteral("history")};
    QTest::newRow("no history yet") << QByteArray() << list << 0 << QString();
    QTest::newRow("unreadable file") << QByteArray("[{\"id\":") << list << 1 << QStringLiteral("cannot read");
    QTest::newRow("damaged after a whole conversation")
        << QByteArray(kHandWritten).replace("\"messages\": [], \"date\"", "\"messages\": [}, \"date\"") << list << 1
        << QStringLiteral("not JSON");
    QTest::newRow("a conversation that is not one")
        << QByteArray(kHandWritten).replace("\"title\": \"Second", "\"titel\": \"Second") << list << 1
        << QStringLiteral("lacks a text \"title\"");
    QTest::newRow("more after the list") << QByteArray(kHandWritten) + "]" << list << 1 << QStringLiteral("not JSON");
    QTest::newRow("unknown id") << QByteArray(kHandWritten)
                                << QStringList{QStringLiteral("history"), QStringLiteral("show"),
                                               QStringLiteral("11111111-2222-3333-4444-555555555555")}
                                << 1 << QStringLiteral("no conversation");
    QTest::newRow("FIFO as the history file") << QByteArray("fifo") << list << 1 << QStringLiteral("not a regular file");
    QTest::newRow("unknown export format")
        << QByteArray(kHandWritten)
        << QStringList{QStringLiteral("history"), QStringLiteral("export"),
                       QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), QStringLiteral("--format"),
                       QStringLiteral("pdf")}
        << 2 << QStringLiteral("usage");
    QTest::newRow("search without words") << QByteArray() << QStringList{QStringLiteral("history"), QStringLiteral("search")}
                                          << 2 << QStringLiteral("usage");
    QTest::newRow("unknown subcommand") << QByteArray() << QStringList{QStringLiteral("history"), QStringLiteral("x")}
                                        << 2 << QStringLiteral("usage");
}

void TestHistoryCommand::reportsProblems()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    IsolatedHome home;
    if (file == "fifo") {
        const QString folder = home.dataHome() + QStringLiteral("/Tarnwick");
        QDir().mkpath(folder);
        QCOMPARE(::mkfifo(QFile::encodeName(folder + QStringLiteral("/conversations.json")).constData(), 0600), 0);
    } else if (!file.isEmpty()) {
        writeHistory(home, file);
    }
    const CommandResult result = runTarnwick(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY(result.out.isEmpty());
    QVERIFY2(result.err.contains(error), qPrintable(result.err));
}

void TestHistoryCommand::unwritableOutputIsAnError_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString id = QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    QTest::newRow("list") << QStringList{QStringLiteral("history")};
    QTest::newRow("show") << QStringList{QStringLiteral("history"), QStringLiteral("show"), id};
    QTest::newRow("search") << QStringList{QStringLiteral("history"), QStringLiteral("search"), QStringLiteral("pivot")};
    QTest::newRow("export") << QStringList{QStringLiteral("history"), QStringLiteral("export"), id};
    QTest::newRow("export as JSON") << QStringList{QStringLiteral("history"), QStringLiteral("export"), id,
                                                   QStringLiteral("--format"), QStringLiteral("json")};
}

// A full disk under `> file` must not pass for a written file.
void TestHistoryCommand::unwritableOutputIsAnError()
{
    QFETCH(QStringList, arguments);
    IsolatedHome home;
    writeHistory(home, kHandWritten);
    const ProgramRun run = runProgram(arguments, QProcessEnvironment::systemEnvironment(), {}, QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("cannot write to standard output: No space left on device"), run.err.constData());
}

QTEST_GUILESS_MAIN(TestHistoryCommand)
#include "tst_historycommand.moc"
