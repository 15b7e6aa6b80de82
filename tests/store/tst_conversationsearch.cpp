// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/ConversationFormat.h"
#include "store/ConversationSearch.h"
#include "store/ConversationStore.h"
#include "store/SearchIndex.h"
#include "support/IsolatedHome.h"

#include <QSignalSpy>
#include <QTest>

using ConversationSearch::Range;

Q_DECLARE_METATYPE(QList<Range>)

// Finding conversations by words, without regard to case or accents.
class TestConversationSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void folds_data();
    void folds();
    void marksMatches_data();
    void marksMatches();
    void findsConversationsNewestFirst_data();
    void findsConversationsNewestFirst();
    void snippetShowsTheMatch();
    void indexFollowsTheStore();
};

namespace {

Conversation conversation(const QString &title, double seconds, const QStringList &texts)
{
    QList<StoredMessage> messages;
    for (const QString &text : texts)
        messages.append(
            StoredMessage(messages.size() % 2 ? QStringLiteral("assistant") : QStringLiteral("user"), text));
    return Conversation(title, ConversationFormat::dateFromReferenceSeconds(seconds), messages);
}

QList<Conversation> library()
{
    return {conversation(QStringLiteral("Café recipes"), 300,
                         {QStringLiteral("How do I brew?"), QStringLiteral("Use a French press.")}),
            conversation(QStringLiteral("Quicksort"), 100,
                         {QStringLiteral("Explain QUICKSORT"), QStringLiteral("Pick a pivot, then partition.")}),
            conversation(QStringLiteral("Summer"), 200,
                         {QStringLiteral("L'été à Paris"), QStringLiteral("Un CAFE au lait")}),
            conversation(QStringLiteral("Emoji 😀"), 50, {QStringLiteral("naïve résumé 😀 coöperate")})};
}

QStringList titlesFor(const QString &query)
{
    const QList<Conversation> conversations = library();
    QList<ConversationSearch::Folded> folded;
    for (const Conversation &c : conversations)
        folded.append(ConversationSearch::foldConversation(c));
    QStringList titles;
    for (const ConversationSearch::Hit &hit : ConversationSearch::search(conversations, folded, query))
        titles.append(hit.title);
    return titles;
}

} // namespace

void TestConversationSearch::folds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("upper case") << QStringLiteral("QuickSORT") << QStringLiteral("quicksort");
    QTest::newRow("precomposed accents") << QStringLiteral("Été ÇA") << QStringLiteral("ete ca");
    QTest::newRow("combining accents") << QStringLiteral("Cafe\u0301") << QStringLiteral("cafe");
    QTest::newRow("Greek") << QStringLiteral("ΆΛΦΑ") << QStringLiteral("αλφα");
    QTest::newRow("outside the BMP") << QStringLiteral("𝐀😀") << QStringLiteral("𝐀😀");
    QTest::newRow("Cyrillic") << QStringLiteral("Йод") << QStringLiteral("иод");
}

void TestConversationSearch::folds()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QList<qsizetype> origins;
    QCOMPARE(ConversationSearch::fold(text, &origins), folded);
    QCOMPARE(origins.size(), folded.size());
    QCOMPARE(ConversationSearch::fold(text), folded);
}

void TestConversationSearch::marksMatches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<Range>>("ranges");
    QTest::newRow("every occurrence") << QStringLiteral("ab AB ab") << QStringLiteral("ab")
                                      << QList<Range>{{0, 2}, {3, 2}, {6, 2}};
    QTest::newRow("combining mark goes with its letter")
        << QStringLiteral("x cafe\u0301 y") << QStringLiteral("CAFÉ") << QList<Range>{{2, 5}};
    QTest::newRow("overlapping words merge")
        << QStringLiteral("partition") << QStringLiteral("part tition") << QList<Range>{{0, 9}};
    QTest::newRow("after an emoji") << QStringLiteral("😀 été") << QStringLiteral("ETE") << QList<Range>{{3, 3}};
    QTest::newRow("no match") << QStringLiteral("abc") << QStringLiteral("x") << QList<Range>{};
}

void TestConversationSearch::marksMatches()
{
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(QList<Range>, ranges);
    QCOMPARE(ConversationSearch::matches(text, ConversationSearch::queryWords(query)), ranges);
}

void TestConversationSearch::findsConversationsNewestFirst_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("accents in the text, none in the query")
        << QStringLiteral("cafe") << QStringList{QStringLiteral("Café recipes"), QStringLiteral("Summer")};
    QTest::newRow("accents in the query, none in the text")
        << QStringLiteral("quícksört") << QStringList{QStringLiteral("Quicksort")};
    QTest::newRow("every word, in any message")
        << QStringLiteral("  PIVOT   explain ") << QStringList{QStringLiteral("Quicksort")};
    QTest::newRow("one word missing") << QStringLiteral("pivot brew") << QStringList{};
    QTest::newRow("title only") << QStringLiteral("recipes") << QStringList{QStringLiteral("Café recipes")};
    QTest::newRow("emoji") << QStringLiteral("😀") << QStringList{QStringLiteral("Emoji 😀")};
    QTest::newRow("blank query") << QStringLiteral("  ") << QStringList{};
}

void TestConversationSearch::findsConversationsNewestFirst()
{
    QFETCH(QString, query);
    QFETCH(QStringList, titles);
    QCOMPARE(titlesFor(query), titles);
}

void TestConversationSearch::snippetShowsTheMatch()
{
    QString longText = QStringLiteral("word ").repeated(60) + QStringLiteral("the Pivot\nis chosen ")
        + QStringLiteral("tail ").repeated(60);
    const QList<Conversation> conversations{
        conversation(QStringLiteral("Pivot talk"), 1, {QStringLiteral("nothing"), longText})};
    const QList<ConversationSearch::Folded> folded{ConversationSearch::foldConversation(conversations.front())};
    const QList<ConversationSearch::Hit> hits =
        ConversationSearch::search(conversations, folded, QStringLiteral("pivot"));
    QCOMPARE(hits.size(), 1);
    const ConversationSearch::Hit &hit = hits.front();
    QCOMPARE(hit.titleMatches, (QList<Range>{{0, 5}}));
    QVERIFY2(hit.snippet.startsWith(QChar(0x2026)) && hit.snippet.endsWith(QChar(0x2026)), qPrintable(hit.snippet));
    QVERIFY(hit.snippet.contains(QStringLiteral("the Pivot is chosen")));
    QCOMPARE(hit.snippetMatches.size(), 1);
    QCOMPARE(hit.snippet.mid(hit.snippetMatches.front().start, hit.snippetMatches.front().length),
             QStringLiteral("Pivot"));
    QVERIFY(hit.snippet.size() < 130);
}

void TestConversationSearch::indexFollowsTheStore()
{
    IsolatedHome home;
    ConversationStore store;
    for (const Conversation &c : library())
        store.upsert(c);
    SearchIndex index(store);
    QSignalSpy finished(&index, &SearchIndex::finished);
    index.search(QStringLiteral("partition"));
    index.search(QStringLiteral("cafe")); // replaces the query typed before it
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.front().at(0).toString(), QStringLiteral("cafe"));
    QCOMPARE(finished.front().at(1).value<QList<ConversationSearch::Hit>>().size(), 2);

    Conversation changed = *std::find_if(store.conversations().cbegin(), store.conversations().cend(),
                                         [](const Conversation &c) { return c.title == QLatin1String("Summer"); });
    changed.messages[1].content = QStringLiteral("now with partition");
    store.upsert(changed);
    index.search(QStringLiteral("partition"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.last().at(1).value<QList<ConversationSearch::Hit>>().size(), 2);
}

QTEST_GUILESS_MAIN(TestConversationSearch)
#include "tst_conversationsearch.moc"
