// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationFormat.h"
#include "store/ConversationStore.h"
#include "store/HistoryWriter.h"
#include "support/FileSizeLimit.h"
#include "support/IsolatedHome.h"

#include "HistoryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

using namespace std::chrono_literals;

class TestConversationStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstStartMakesPrivateFolderOnly();
    void keepsPlacesOnUpdateAndSortsOnLoad();
    void deletingUnknownIdStillWrites();
    void fileMatchesWholeRewriteAfterBurst();
    void setsAsideUnreadableFiles_data();
    void setsAsideUnreadableFiles();
    void keepsOneBackupPerRun();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void failedSaveIsToldAndRetried();
    void readOnlyFolderReportsFailure();
};

namespace {

// Saves a growing conversation as the launcher does: the same id, the whole list each time.
QUuid saveGrowing(ConversationStore &store, const QList<StoredMessage> &messages, QUuid id)
{
    if (id.isNull())
        id = QUuid::createUuid();
    store.upsert(Conversation(id, QStringLiteral("growing"), QDateTime::currentDateTimeUtc(), messages));
    return id;
}

QStringList titles(const ConversationStore &store)
{
    QStringList result;
    for (const Conversation &c : store.conversations())
        result.append(c.title);
    return result;
}

} // namespace

void TestConversationStore::firstStartMakesPrivateFolderOnly()
{
    IsolatedHome home;
    const QString folder = home.dataHome() + QStringLiteral("/Tarnwick");
    ConversationStore store;
    QCOMPARE(store.filePath(), folder + QStringLiteral("/conversations.json"));
    QVERIFY(store.conversations().isEmpty());
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());
    QVERIFY(!QFileInfo::exists(store.filePath()));

    store.upsert(conversationDated(QStringLiteral("one"), 1));
    store.flush();
    QCOMPARE(QFileInfo(store.filePath()).permissions(),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
}

void TestConversationStore::keepsPlacesOnUpdateAndSortsOnLoad()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    writeAll(path,
             ConversationFormat::encode({conversationDated(QStringLiteral("middle"), 500),
                                         conversationDated(QStringLiteral("oldest"), 100),
                                         conversationDated(QStringLiteral("newest"), 900)}));
    ConversationStore store;
    QCOMPARE(titles(store),
             (QStringList{QStringLiteral("newest"), QStringLiteral("middle"), QStringLiteral("oldest")}));

    Conversation updated = store.conversations().at(2);
    updated.title = QStringLiteral("oldest, renamed");
    updated.date = QDateTime::currentDateTimeUtc();
    store.upsert(updated);
    store.upsert(conversationDated(QStringLiteral("new"), 50));
    QCOMPARE(titles(store),
             (QStringList{QStringLiteral("new"), QStringLiteral("newest"), QStringLiteral("middle"),
                          QStringLiteral("oldest, renamed")}));
    store.flush();
    store.reload();
    QCOMPARE(titles(store),
             (QStringList{QStringLiteral("oldest, renamed"), QStringLiteral("newest"), QStringLiteral("middle"),
                          QStringLiteral("new")}));
}

void TestConversationStore::deletingUnknownIdStillWrites()
{
    IsolatedHome home;
    ConversationStore store;
    store.upsert(conversationDated(QStringLiteral("a"), 1));
    const QUuid keep = store.conversations().front().id;
    store.flush();
    QFile::remove(store.filePath());

    store.deleteConversation(QUuid::createUuid());
    store.flush();
    QCOMPARE(store.conversations().size(), 1);
    QCOMPARE(readAll(store.filePath()), ConversationFormat::encode(store.conversations()));

    store.deleteConversation(keep);
    store.flush();
    QCOMPARE(readAll(store.filePath()), QByteArray("[]"));
}

// A stream of changes ends with the file a whole rewrite would write, in far fewer writes.
void TestConversationStore::fileMatchesWholeRewriteAfterBurst()
{
    IsolatedHome home;
    ConversationStore store;
    for (int i = 0; i < 20; ++i)
        store.upsert(conversationDated(QStringLiteral("old %1").arg(i), i));
    store.flush();
    const int writesBefore = store.writer().writeCount();

    QList<StoredMessage> messages = {
        StoredMessage(QStringLiteral("user"), QStringLiteral("draw"), QByteArray(300000, 'p')),
        StoredMessage(QStringLiteral("assistant"), QString())};
    QUuid id;
    for (int i = 0; i < 500; ++i) {
        messages.back().content += QStringLiteral("word%1 ").arg(i);
        id = saveGrowing(store, messages, id);
    }
    store.flush();
    QCOMPARE(readAll(store.filePath()), ConversationFormat::encode(store.conversations()));
    QVERIFY2(store.writer().writeCount() - writesBefore < 50, "changes in a burst share writes");
}

void TestConversationStore::setsAsideUnreadableFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("cut-off JSON") << QByteArray(R"([{"id":"E621E1F8-C36C-495A-93FC-)");
    QTest::newRow("foreign JSON") << QByteArray(R"({"settings":{"theme":"dark"}})");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe garbage", 11);
}

void TestConversationStore::setsAsideUnreadableFiles()
{
    QFETCH(QByteArray, bytes);
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    writeAll(path, bytes);

    const auto setAside = [&] { return asideFiles(folder, QStringLiteral("conversations.json.corrupt-*")); };
    ConversationStore store;
    QVERIFY(store.conversations().isEmpty());
    QVERIFY(setAside().isEmpty()); // reading alone moves nothing
    store.upsert(conversationDated(QStringLiteral("fresh"), 1));
    store.flush();

    const QStringList aside = setAside();
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(folder + QLatin1Char('/') + aside.front()), bytes);
    QCOMPARE(ConversationFormat::decode(readAll(path))->size(), 1);

    store.upsert(conversationDated(QStringLiteral("second"), 2));
    store.flush();
    QCOMPARE(setAside().size(), 1);
}

void TestConversationStore::keepsOneBackupPerRun()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    const QByteArray original = ConversationFormat::encode({conversationDated(QStringLiteral("kept"), 1)});
    writeAll(path, original);
    {
        ConversationStore store;
        store.upsert(conversationDated(QStringLiteral("first"), 2));
        store.flush();
        store.upsert(conversationDated(QStringLiteral("second"), 3));
        store.flush();
        QCOMPARE(readAll(path + QStringLiteral(".bak")), original);
    }
    const QByteArray afterFirstRun = readAll(path);
    ConversationStore nextRun;
    nextRun.upsert(conversationDated(QStringLiteral("third"), 4));
    nextRun.flush();
    QCOMPARE(readAll(path + QStringLiteral(".bak")), afterFirstRun);
}

// A disk that fills up mid-write: the file size limit makes the write fail for
// root too. A few bytes short is the subtle case: the disk takes part of the
// last piece, which must not pass for a whole file.
void TestConversationStore::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<qint64>("room");
    QTest::newRow("large change") << qsizetype(200000) << qint64(64 * 1024);
    QTest::newRow("a few bytes short") << qsizetype(40) << qint64(20);
}

void TestConversationStore::failedWriteKeepsOldFile()
{
    QFETCH(qsizetype, length);
    QFETCH(qint64, room);
    IsolatedHome home;
    ConversationStore store;
    store.upsert(conversationDated(QStringLiteral("small"), 1));
    store.flush();
    const QByteArray before = readAll(store.filePath());
    QSignalSpy failed(&store, &ConversationStore::writeFailed);

    FileSizeLimit limit(before.size() + room);
    QVERIFY(limit.isActive());
    store.upsert(Conversation(QStringLiteral("large"), QDateTime::currentDateTimeUtc(),
                              {StoredMessage(QStringLiteral("user"), QString(length, QLatin1Char('z')))}));
    store.flush();
    limit.lift();

    QVERIFY(failed.wait(5000) || failed.count() == 1);
    QVERIFY(!failed.front().front().toString().isEmpty());
    QCOMPARE(readAll(store.filePath()), before);
    QCOMPARE(store.conversations().size(), 2);
    QCOMPARE(QDir(QFileInfo(store.filePath()).absolutePath()).entryList(QDir::Files),
             QStringList{QStringLiteral("conversations.json")});

    // The next change writes everything again.
    store.deleteConversation(QUuid::createUuid());
    store.flush();
    QCOMPARE(ConversationFormat::decode(readAll(store.filePath()))->size(), 2);
}

// Neither the journal nor the file takes the change: the store says so, and
// a later attempt with the latest state succeeds once the disk has room again.
void TestConversationStore::failedSaveIsToldAndRetried()
{
    IsolatedHome home;
    ConversationStore store;
    store.upsert(conversationDated(QStringLiteral("small"), 1));
    store.flush();
    QVERIFY(!store.hasUnsavedChanges());
    QSignalSpy problem(&store, &ConversationStore::saveProblemChanged);

    FileSizeLimit limit(64 * 1024);
    QVERIFY(limit.isActive());
    store.upsert(Conversation(QStringLiteral("large"), QDateTime::currentDateTimeUtc(),
                              {StoredMessage(QStringLiteral("user"), QString(200000, QLatin1Char('z')))}));
    store.flush();
    QVERIFY(store.hasUnsavedChanges());
    QVERIFY(store.saveProblem().contains(store.filePath()));
    QCOMPARE(problem.count(), 1);
    // The queued report of the same failure changes nothing.
    QTest::qWait(50);
    QCOMPARE(problem.count(), 1);

    limit.lift();
    QVERIFY(problem.wait(15000));
    QVERIFY(store.saveProblem().isEmpty());
    QVERIFY(!store.hasUnsavedChanges());
    QCOMPARE(ConversationFormat::decode(readAll(store.filePath()))->size(), 2);
}

namespace {

// Child process: a store on a folder it may only read.
int runReadOnlyChild(const QString &path)
{
    if (setuid(65534) != 0)
        return 3;
    ConversationStore store(path);
    bool failed = false;
    QObject::connect(&store, &ConversationStore::writeFailed, [&] { failed = true; });
    if (store.conversations().size() != 1)
        return 4;
    store.upsert(conversationDated(QStringLiteral("refused"), 2));
    store.flush();
    QCoreApplication::processEvents();
    return failed ? 0 : 5;
}

} // namespace

// The folder belongs to someone else and only they may write in it: the
// store cannot make it private, and every write fails. The child drops from
// root to nobody, since root writes anywhere.
void TestConversationStore::readOnlyFolderReportsFailure()
{
    if (geteuid() != 0)
        QSKIP("needs root to give the test a folder it cannot write");
    IsolatedHome home;
    const QString folder = home.dataHome() + QStringLiteral("/Tarnwick");
    const QString path = folder + QStringLiteral("/conversations.json");
    const QByteArray before = ConversationFormat::encode({conversationDated(QStringLiteral("kept"), 1)});
    writeAll(path, before);
    const auto open = QFileDevice::Permissions(0x7755);
    for (const QString &dir : {home.path(), home.dataHome(), folder})
        QVERIFY(QFile::setPermissions(dir, open));
    QCOMPARE(chown(QFile::encodeName(path).constData(), 65534, 65534), 0);

    int exitCode = -1;
    QVERIFY(runChild({QStringLiteral("--read-only-child"), path}, &exitCode));
    QCOMPARE(exitCode, 0);
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("conversations.json")});
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--read-only-child") == 0) {
        QCoreApplication app(argc, argv);
        return runReadOnlyChild(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestConversationStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_conversationstore.moc"
