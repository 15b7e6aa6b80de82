#include "support/IsolatedHome.h"

#include "ProgramRun.h"

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
    void reportsProblems_data();
    void reportsProblems();
    void unwritableOutputIsAnError_data();
    void unwritableOutputIsAnError();
};

namespace {

struct Result
{
    int exitCode;
    QString out;
    QString err;
};

Result runTarnwick(const QStringList &arguments)
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

    const Result list = runTarnwick({QStringLiteral("history")});
    QCOMPARE(list.exitCode, 0);
    const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines.at(0).startsWith(QLatin1String("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0\t")), qPrintable(lines.at(0)));
    QVERIFY(lines.at(0).endsWith(QLatin1String(" ago\tSecond line")));
    QVERIFY(lines.at(1).startsWith(QLatin1String("E621E1F8-C36C-495A-93FC-0C247A3E6E5F\t")));
    QVERIFY(lines.at(1).endsWith(QLatin1String("\tExplain quicksort")));

    const Result show = runTarnwick({QStringLiteral("history"), QStringLiteral("show"),
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
    const Result result = runTarnwick(arguments);
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

void TestHistoryCommand::reportsProblems_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    const QStringList list{QStringLiteral("history")};
    QTest::newRow("no history yet") << QByteArray() << list << 0 << QString();
    QTest::newRow("unreadable file") << QByteArray("[{\"id\":") << list << 1 << QStringLiteral("cannot read");
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
    const Result result = runTarnwick(arguments);
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
