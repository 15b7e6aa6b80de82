// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/SearchIndex.h"

#include "store/ConversationStore.h"

#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Hits whose messages only the file holds get their snippets as the list shows
// them; the first screenful comes with the hits.
constexpr qsizetype kSnippetsAtOnce = 12;

} // namespace

SearchIndex::SearchIndex(const ConversationStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    connect(&m_watcher, &QFutureWatcher<Result>::finished, this, &SearchIndex::done);
}

SearchIndex::~SearchIndex()
{
    m_watcher.waitForFinished();
}

void SearchIndex::search(const QString &query)
{
    if (m_watcher.isRunning())
        m_next = query;
    else
        start(query);
}

void SearchIndex::start(const QString &query)
{
    const QList<Conversation> conversations = m_store.conversations();
    const QList<quint64> revisions = m_store.revisions();
    QList<ConversationSearch::Folded> known;
    known.reserve(conversations.size());
    QList<bool> missing;
    missing.reserve(conversations.size());
    for (const quint64 revision : revisions) {
        const auto found = m_folded.constFind(revision);
        missing.append(found == m_folded.cend());
        known.append(found == m_folded.cend() ? ConversationSearch::Folded() : *found);
    }
    m_watcher.setFuture(QtConcurrent::run([query, conversations, revisions, known, missing]() mutable {
        QList<qsizetype> toFold;
        for (qsizetype i = 0; i < conversations.size(); ++i) {
            if (missing.at(i))
                toFold.append(i);
        }
        // Conversations fold independently: on every core there is.
        ConversationSearch::Folded *const slots = known.data();
        QtConcurrent::blockingMap(toFold, [&conversations, slots](qsizetype i) {
            // A conversation the file no longer holds whole is found by its title alone.
            const ::Result<Conversation> whole = conversations.at(i).whole(Conversation::Parts::Texts);
            slots[i] = ConversationSearch::compact(
                ConversationSearch::foldConversation(whole ? whole.value() : conversations.at(i)));
        });
        Result result{query, ConversationSearch::search(conversations, known, query, kSnippetsAtOnce), revisions,
                      known};
        return result;
    }));
}

void SearchIndex::done()
{
    Result result = m_watcher.result();
    // Keep the folded texts of the conversations as they are now; older revisions go.
    QHash<quint64, ConversationSearch::Folded> folded;
    folded.reserve(result.revisions.size());
    for (qsizetype i = 0; i < result.revisions.size(); ++i)
        folded.insert(result.revisions.at(i), result.folded.at(i));
    m_folded = std::move(folded);
    if (m_next) {
        start(*std::exchange(m_next, std::nullopt)); // a newer query makes this one's hits stale
        return;
    }
    Q_EMIT finished(result.query, result.hits);
}
