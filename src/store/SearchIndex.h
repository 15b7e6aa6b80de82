// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/ConversationSearch.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QString>

class ConversationStore;

// Searches the store's conversations on a worker thread, keeping each
// conversation's folded texts until it changes. One search runs at a time;
// of the queries typed meanwhile only the last one runs next.
class SearchIndex : public QObject
{
    Q_OBJECT

public:
    explicit SearchIndex(const ConversationStore &store, QObject *parent = nullptr);
    ~SearchIndex() override;

    // Starts a search; finished() brings its hits. An empty query only folds the texts ahead of typing.
    void search(const QString &query);

Q_SIGNALS:
    void finished(const QString &query, const QList<ConversationSearch::Hit> &hits);

private:
    struct Result
    {
        QString query;
        QList<ConversationSearch::Hit> hits;
        QList<quint64> revisions;
        QList<ConversationSearch::Folded> folded;
    };

    void start(const QString &query);
    void done();

    const ConversationStore &m_store;
    QHash<quint64, ConversationSearch::Folded> m_folded; // by revision
    QFutureWatcher<Result> m_watcher;
    std::optional<QString> m_next;
};
