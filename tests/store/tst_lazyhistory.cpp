// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationFormat.h"
#include "store/ConversationStore.h"
#include "store/JournalRecord.h"
#include "store/SearchIndex.h"
#include "support/IsolatedHome.h"

#include "HistoryFiles.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace std::chrono_literals;

// The messages of a loaded history stay in the file until a conversation is
// opened; the file is rewritten from them and from memory alike.
class TestLazyHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rewritesKeepUntouchedConversations();
    void damagedConversationSparesTheOthers();
    void journalReplaysOntoMessagesLeftInFile();
    void searchFindsMessagesLeftInFile();
};

namespace {

QList<Conversation> history()
{
    QList<Conversation> conversations;
    for (int i = 0; i < 4; ++i) {
        conversations.append(conversationDated(QStringLiteral("old %1").arg(i), 100 - i,
                                               QStringLiteral("answer %1 with café and a/slash ").arg(i).repeated(50)));
    }
    return conversations;
}

// A store over this home's history file, written with the conversations.
std::unique_ptr<ConversationStore> storeOver(const QList<Conversation> &conversations)
{
    const QString path = ConversationStore::defaultFilePath();
    writeAll(path, ConversationFormat::encode(conversations));
    auto store = std::make_unique<ConversationStore>(path);
    store->setSaveInterval(0ms);
    return store;
}

// Each listed conversation with its messages, in list order.
QList<Conversation> wholeList(const ConversationStore &store)
{
    QList<Conversation> conversations;
    for (const Conversation &listed : store.conversations()) {
        const Result<Conversation> whole = listed.whole();
        if (!whole)
            return {};
        conversations.append(whole.value());
    }
    return conversations;
}

} // namespace

// Rewrites move the conversations kept on disk; each still reads its own
// messages afterwards, and the file is the one encoding the whole list gives.
void TestLazyHistory::rewritesKeepUntouchedConversations()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    const QList<Conversation> original = history();
    const auto store = storeOver(original);
    QCOMPARE(store->conversations().size(), 4);
    QVERIFY(store->conversations().at(1).stored && store->conversations().at(1).messages.isEmpty());

    Conversation changed = store->whole(original.at(2).id).value();
    changed.messages.append(StoredMessage(QStringLiteral("user"), QStringLiteral("more")));
    store->upsert(changed);
    store->upsert(
        conversationDated(QStringLiteral("newest"), 500, QStringLiteral("longer than any before ").repeated(90)));
    store->deleteConversation(original.at(0).id);
    store->flush();
    store->upsert(conversationDated(QStringLiteral("newer still"), 600));
    store->flush();

    const QList<Conversation> now = wholeList(*store);
    QCOMPARE(now.size(), 5);
    QCOMPARE(readAll(path), ConversationFormat::encode(now));
    for (const int kept : {1, 3}) {
        const auto found =
            std::find_if(now.cbegin(), now.cend(), [&](const Conversation &c) { return c.id == original.at(kept).id; });
        QVERIFY(found != now.cend());
        QCOMPARE(found->messages, original.at(kept).messages);
        QCOMPARE(ConversationFormat::encodeConversation(*found),
                 ConversationFormat::encodeConversation(original.at(kept)));
    }

    ConversationStore reopened(path);
    QCOMPARE(ConversationFormat::encode(wholeList(reopened)), readAll(path));
}

// Something else overwrites one conversation's bytes in place after the load:
// that one says so when opened, and the next save keeps every other one.
void TestLazyHistory::damagedConversationSparesTheOthers()
{
    IsolatedHome home;
    const QList<Conversation> original = history();
    const auto store = storeOver(original);
    const QString path = ConversationStore::defaultFilePath();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 at = readAll(path).indexOf("answer 1 with");
        QVERIFY(file.seek(at));
        file.write("\"}]}]");
    }
    const Result<Conversation> damaged = store->whole(original.at(1).id);
    QVERIFY(!damaged);
    QVERIFY2(damaged.message().contains(QStringLiteral("history file")), qPrintable(damaged.message()));
    QCOMPARE(store->whole(original.at(2).id)->messages, original.at(2).messages);

    store->upsert(conversationDated(QStringLiteral("new"), 500));
    store->flush();
    const Result<QList<Conversation>> saved = ConversationFormat::decode(readAll(path));
    QVERIFY2(saved.ok(), qPrintable(saved.message()));
    QCOMPARE(saved->size(), 4);
    for (const int kept : {0, 2, 3}) {
        QVERIFY(std::any_of(saved->cbegin(), saved->cend(), [&](const Conversation &c) {
            return c.id == original.at(kept).id && c.messages == original.at(kept).messages;
        }));
    }
}

// After a crash the journal's changes meet a history whose messages stay in
// the file: a streamed tail lands on its conversation, the rest stay as they were.
void TestLazyHistory::journalReplaysOntoMessagesLeftInFile()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    const QList<Conversation> original = history();
    writeAll(path, ConversationFormat::encode(original));
    Conversation grown = original.at(3);
    grown.messages[1].content += QStringLiteral(" and a streamed tail");
    writeAll(ConversationStore::journalPath(path),
             JournalRecord::header() + JournalRecord::change(&original.at(3), grown)
                 + JournalRecord::removal(original.at(0).id));

    ConversationStore store(path);
    QCOMPARE(store.conversations().size(), 3);
    QCOMPARE(store.whole(grown.id)->messages, grown.messages);
    QCOMPARE(store.whole(original.at(1).id)->messages, original.at(1).messages);
    store.flush();
    QCOMPARE(readAll(path), ConversationFormat::encode({original.at(1), original.at(2), grown}));
    QVERIFY(!QFile::exists(ConversationStore::journalPath(path)));
}

// Hits past the first screenful get their snippets when shown, from the file.
void TestLazyHistory::searchFindsMessagesLeftInFile()
{
    IsolatedHome home;
    const QString path = ConversationStore::defaultFilePath();
    QList<Conversation> conversations;
    for (int i = 0; i < 30; ++i)
        conversations.append(conversationDated(QStringLiteral("talk %1").arg(i), i, QStringLiteral("a Pivot here")));
    writeAll(path, ConversationFormat::encode(conversations));

    ConversationStore store(path);
    SearchIndex index(store);
    QSignalSpy finished(&index, &SearchIndex::finished);
    index.search(QStringLiteral("pivot"));
    QVERIFY(finished.wait(10000));
    QList<ConversationSearch::Hit> hits = finished.front().at(1).value<QList<ConversationSearch::Hit>>();
    QCOMPARE(hits.size(), 30);
    QCOMPARE(hits.front().snippet, QStringLiteral("a Pivot here"));
    ConversationSearch::Hit &last = hits.back();
    QCOMPARE(last.title, QStringLiteral("talk 0"));
    QVERIFY(last.snippet.isEmpty() && !last.snippetWords.isEmpty());
    ConversationSearch::addSnippet(last, store.whole(last.id).value());
    QCOMPARE(last.snippet, QStringLiteral("a Pivot here"));
    QCOMPARE(last.snippetMatches, (QList<ConversationSearch::Range>{{2, 5}}));
}

QTEST_GUILESS_MAIN(TestLazyHistory)
#include "tst_lazyhistory.moc"
