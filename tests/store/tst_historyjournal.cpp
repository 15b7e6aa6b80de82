// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/StoredChat.h"
#include "store/ConversationFile.h"
#include "store/ConversationFormat.h"
#include "store/ConversationStore.h"
#include "store/JournalRecord.h"
#include "support/IsolatedHome.h"

#include "HistoryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

// The journal beside the history file, and files at the history path that are not ours to read.
class TestHistoryJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changesSurviveWithoutFlush();
    void replayOnFoldedFileChangesNothing();
    void recordsCarryOnlyWhatChanged();
    void damagedJournalsAreSetAside_data();
    void damagedJournalsAreSetAside();
    void nonRegularFilesNeverBlock_data();
    void nonRegularFilesNeverBlock();
    void tooLargeFileIsRefused();
    void killedStreamLosesNothingSaved();
};

namespace {

QStringList titlesAndAnswers(const QList<Conversation> &conversations)
{
    QStringList result;
    for (const Conversation &c : conversations) {
        const Result<Conversation> whole = c.whole();
        result.append(c.title + QLatin1Char('=') + (whole ? whole->messages.value(1).content : QStringLiteral("?")));
    }
    return result;
}

// Opens a store in a child process, so that a hang or an abort fails the test instead of ending it.
int runLoadChild(const QString &path)
{
    ConversationStore store(path);
    store.upsert(conversationDated(QStringLiteral("after"), 5));
    store.flush();
    return ConversationFile::read(path).status == ConversationFile::Status::Read ? 0 : 4;
}

// Streams an answer into the history, saying after each save how many fragments it holds.
// Every fiftieth save also writes the whole file, so that kills land in those writes too.
int runStreamChild(const QString &path)
{
    ConversationStore store(path);
    QList<ChatMessage> messages = {ChatMessage(ChatMessage::Role::User, QStringLiteral("stream")),
                                   ChatMessage(ChatMessage::Role::Assistant, QString())};
    QUuid id;
    QFile out;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    for (int i = 1;; ++i) {
        messages.back().content += QStringLiteral("f%1 ").arg(i, 6, 10, QLatin1Char('0'));
        id = StoredChat::save(store, messages, id);
        if (i % 50 == 0)
            store.flush();
        out.write(QByteArray::number(i) + '\n');
        QThread::usleep(500);
    }
}

} // namespace

void TestHistoryJournal::changesSurviveWithoutFlush()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    writeAll(path,
             ConversationFormat::encode({conversationDated(QStringLiteral("kept"), 10, QStringLiteral("old")),
                                         conversationDated(QStringLiteral("gone"), 20)}));
    const QByteArray fileBefore = readAll(path);
    QUuid streamed;
    {
        ConversationStore store;
        store.setSaveInterval(1h);
        Conversation kept = store.conversations().at(1).whole().value();
        kept.messages[1].content = QStringLiteral("old and new");
        store.upsert(kept);
        store.deleteConversation(store.conversations().at(0).id);
        QList<ChatMessage> messages = {ChatMessage(ChatMessage::Role::User, QStringLiteral("fresh")),
                                       ChatMessage(ChatMessage::Role::Assistant, QStringLiteral("a"))};
        streamed = StoredChat::save(store, messages, {});
        messages.back().content += QStringLiteral("b");
        StoredChat::save(store, messages, streamed);
        QCOMPARE(readAll(path), fileBefore); // not written whole yet
        // What a crash leaves: the journal and the old file.
        QFile::copy(ConversationStore::journalPath(path), path + QStringLiteral(".saved-journal"));
    }
    QVERIFY(!QFileInfo::exists(ConversationStore::journalPath(path))); // folded in when the store closed
    const QByteArray folded = readAll(path);

    writeAll(path, fileBefore);
    QVERIFY(QFile::rename(path + QStringLiteral(".saved-journal"), ConversationStore::journalPath(path)));
    ConversationStore reopened;
    QCOMPARE(titlesAndAnswers(reopened.conversations()),
             (QStringList{QStringLiteral("fresh=ab"), QStringLiteral("kept=old and new")}));
    QCOMPARE(reopened.conversations().front().id, streamed);
    reopened.flush();
    QCOMPARE(ConversationFormat::decode(readAll(path))->size(), 2);
    QCOMPARE(readAll(path).size(), folded.size());
    // Once the whole file holds the replayed changes, their journal goes.
    QVERIFY(!QFileInfo::exists(ConversationStore::journalPath(path)));
}

// A crash after the whole write but before the journal starts over replays
// the old journal on the new file.
void TestHistoryJournal::replayOnFoldedFileChangesNothing()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    QByteArray journal;
    {
        ConversationStore store;
        store.setSaveInterval(1h);
        QList<ChatMessage> messages = {ChatMessage(ChatMessage::Role::User, QStringLiteral("q"))};
        QUuid first = StoredChat::save(store, messages, {});
        messages.append(ChatMessage(ChatMessage::Role::Assistant, QString()));
        for (int i = 0; i < 20; ++i) {
            messages.back().content += QStringLiteral("x%1 ").arg(i);
            StoredChat::save(store, messages, first);
        }
        messages.back().content = QStringLiteral("rewritten");
        StoredChat::save(store, messages, first);
        store.upsert(conversationDated(QStringLiteral("other"), 1));
        store.deleteConversation(store.conversations().front().id);
        journal = readAll(ConversationStore::journalPath(path));
        store.flush();
    }
    const QByteArray file = readAll(path);
    QList<Conversation> replayed = *ConversationFormat::decode(file);
    const JournalRecord::Replay replay = JournalRecord::replay(journal, replayed);
    QCOMPARE(replay.status, JournalRecord::Status::Applied);
    QCOMPARE(replay.records, 24);
    QCOMPARE(ConversationFormat::encode(replayed), file);
}

void TestHistoryJournal::recordsCarryOnlyWhatChanged()
{
    Conversation before = conversationDated(QStringLiteral("t"), 1, QStringLiteral("caf"));
    before.messages[0].imageData = QByteArray(100000, 'i');
    Conversation after = before;
    after.messages[1].content = QStringLiteral("café \U0001F600/");
    const QByteArray tail = JournalRecord::change(&before, after);
    QVERIFY(tail.size() < 200);
    QVERIFY(tail.endsWith('\n') && tail.count('\n') == 1);
    QVERIFY(tail.contains(R"("at":3)"));

    // A cut inside a surrogate pair moves before the pair.
    Conversation halfEmoji = after;
    halfEmoji.messages[1].content.chop(2);
    QVERIFY(JournalRecord::change(&halfEmoji, after).contains(R"("at":5)"));

    Conversation reshaped = after;
    reshaped.messages.append(StoredMessage(QStringLiteral("user"), QStringLiteral("more")));
    QVERIFY(JournalRecord::change(&after, reshaped).size() > 100000); // the whole conversation

    QList<Conversation> list{before};
    QCOMPARE(JournalRecord::replay(JournalRecord::header() + tail, list).status, JournalRecord::Status::Applied);
    QCOMPARE(list.front().messages[1].content, after.messages[1].content);
}

void TestHistoryJournal::damagedJournalsAreSetAside_data()
{
    const QByteArray header = JournalRecord::header();
    const Conversation added = conversationDated(QStringLiteral("added"), 50, QStringLiteral("x"));
    const QByteArray put = JournalRecord::change(nullptr, added);
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("keepsWholeRecords");
    const QStringList untouched{QStringLiteral("base=y")};
    const QStringList withAdded{QStringLiteral("added=x"), QStringLiteral("base=y")};
    QTest::newRow("last record cut off") << header + put + put.left(40) << withAdded << true;
    QTest::newRow("damaged record") << header + put + "{\"op\":\"text\",\"id\":12}\n" + put << withAdded << true;
    QTest::newRow("header only, cut") << header.left(10) << untouched << false;
    QTest::newRow("foreign file") << QByteArray("{\"some\":\"thing\"}\n") + put << untouched << false;
    QTest::newRow("binary") << QByteArray("\x7f"
                                          "ELF\x00\x01",
                                          6)
                            << untouched << false;
    QTest::newRow("newer version") << QByteArray("{\"tarnwickHistoryJournal\":2}\n") + put << untouched << false;
}

void TestHistoryJournal::damagedJournalsAreSetAside()
{
    QFETCH(QByteArray, journal);
    QFETCH(QStringList, expected);
    QFETCH(bool, keepsWholeRecords);
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    writeAll(path, ConversationFormat::encode({conversationDated(QStringLiteral("base"), 10, QStringLiteral("y"))}));
    writeAll(ConversationStore::journalPath(path), journal);

    ConversationStore store;
    QSignalSpy setAside(&store, &ConversationStore::fileSetAside);
    QCOMPARE(titlesAndAnswers(store.conversations()), expected);
    const QStringList aside = asideFiles(folder, QStringLiteral("conversations.json.journal.corrupt-*"));
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(folder + QLatin1Char('/') + aside.front()), journal);
    QCOMPARE(store.setAsidePaths(), QStringList{folder + QLatin1Char('/') + aside.front()});
    QVERIFY(setAside.wait(2000));
    // The whole records stay in a fresh journal until the next whole write.
    QCOMPARE(QFileInfo::exists(ConversationStore::journalPath(path)), keepsWholeRecords);
    {
        ConversationStore again;
        QCOMPARE(titlesAndAnswers(again.conversations()), expected);
        QCOMPARE(asideFiles(folder, QStringLiteral("conversations.json.journal.corrupt-*")).size(), 1);
    }
    QCOMPARE(titlesAndAnswers(*ConversationFormat::decode(readAll(path))), expected);
}

void TestHistoryJournal::nonRegularFilesNeverBlock_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("fifo");
    QTest::newRow("FIFO as the history file") << QStringLiteral("conversations.json") << true;
    QTest::newRow("FIFO as the journal") << QStringLiteral("conversations.json.journal") << true;
    QTest::newRow("folder as the history file") << QStringLiteral("conversations.json") << false;
}

void TestHistoryJournal::nonRegularFilesNeverBlock()
{
    QFETCH(QString, where);
    QFETCH(bool, fifo);
    IsolatedHome home;
    const QString folder = QFileInfo(ConversationStore::defaultFilePath()).absolutePath();
    QDir().mkpath(folder);
    const QString special = folder + QLatin1Char('/') + where;
    if (fifo)
        QCOMPARE(::mkfifo(QFile::encodeName(special).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(special));

    int exitCode = -1;
    QVERIFY2(runChild({QStringLiteral("--load-child"), ConversationStore::defaultFilePath()}, &exitCode),
             "the store hung on a file that is not a regular file");
    QCOMPARE(exitCode, 0);
    const QStringList aside = asideFiles(folder, where + QStringLiteral(".corrupt-*"));
    QCOMPARE(aside.size(), 1);
    QCOMPARE(QFileInfo(folder + QLatin1Char('/') + aside.front()).isDir(), !fifo);
    QCOMPARE(titlesAndAnswers(ConversationFile::read(ConversationStore::defaultFilePath()).conversations),
             QStringList{QStringLiteral("after=")});
}

// A sparse file larger than the machine's memory: refused with a reason, never an abort.
void TestHistoryJournal::tooLargeFileIsRefused()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const qint64 memory = qint64(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (!file.resize(memory + (qint64(1) << 30)))
            QSKIP("the file system does not hold a sparse file this large");
    }
    const ConversationFile::ReadResult read = ConversationFile::read(path);
    QCOMPARE(read.status, ConversationFile::Status::Unreadable);
    QVERIFY2(read.error.contains(QStringLiteral("too large")), qPrintable(read.error));

    int exitCode = -1;
    QVERIFY(runChild({QStringLiteral("--load-child"), path}, &exitCode));
    QCOMPARE(exitCode, 0);
    const QStringList aside =
        asideFiles(QFileInfo(path).absolutePath(), QStringLiteral("conversations.json.corrupt-*"));
    QCOMPARE(aside.size(), 1);
    QCOMPARE(QFileInfo(QFileInfo(path).absolutePath() + QLatin1Char('/') + aside.front()).size(),
             memory + (qint64(1) << 30));
}

// kill -9 at random moments of a streamed answer into a large history, in a
// journal append or a whole write: the file stays whole and every fragment
// the child had saved is there.
void TestHistoryJournal::killedStreamLosesNothingSaved()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    QList<Conversation> history;
    for (int i = 0; i < 60; ++i) {
        Conversation conversation = conversationDated(QStringLiteral("old %1").arg(i), i, QString(2000, u'w'));
        conversation.messages[0].imageData = QByteArray(150000, char(i));
        history.append(conversation);
    }
    writeAll(path, ConversationFormat::encode(history));

    for (int round = 0; round < 5; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--stream-child"), path});
        QVERIFY(child.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(child.canReadLine(), 30000);
        QTest::qWait(QRandomGenerator::global()->bounded(50, 1500));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        const QList<QByteArray> said = child.readAllStandardOutput().trimmed().split('\n');
        const int saved = said.last().toInt();

        QCOMPARE(ConversationFile::read(path).status, ConversationFile::Status::Read);
        ConversationStore store(path);
        QCOMPARE(store.conversations().size(), 61);
        const Conversation streamed = store.conversations().front().whole().value();
        QCOMPARE(streamed.title, QStringLiteral("stream"));
        const qsizetype fragments = streamed.messages.at(1).content.size() / 8;
        QVERIFY2(fragments >= saved,
                 qPrintable(QStringLiteral("%1 of %2 saved fragments kept").arg(fragments).arg(saved)));
        QCOMPARE(streamed.messages.at(1).content.size() % 8, 0);
        store.deleteConversation(streamed.id);
    }
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--load-child") == 0)
        return runLoadChild(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--stream-child") == 0)
        return runStreamChild(QString::fromLocal8Bit(argv[2]));
    TestHistoryJournal test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_historyjournal.moc"
