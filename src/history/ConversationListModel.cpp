// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/ConversationListModel.h"

#include "store/ConversationStore.h"

ConversationListModel::ConversationListModel(ConversationStore &store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
{
    for (const Conversation &conversation : m_store.conversations())
        m_ids.append(conversation.id);
    connect(&m_store, &ConversationStore::conversationsChanged, this, &ConversationListModel::follow);
}

int ConversationListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_hits ? m_hits->size() : m_ids.size());
}

QVariant ConversationListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (m_hits) {
        if (index.row() >= m_hits->size())
            return {};
        ConversationSearch::Hit &hit = (*m_hits)[index.row()];
        if ((role == SnippetRole || role == SnippetMatchesRole) && !hit.snippetWords.isEmpty()) {
            const Result<Conversation> whole = m_store.whole(hit.id, Conversation::Parts::Texts);
            if (whole)
                ConversationSearch::addSnippet(hit, whole.value());
            hit.snippetWords.clear();
        }
        switch (role) {
        case Qt::DisplayRole:
        case TitleRole:
            return hit.title;
        case DateRole:
            return hit.date;
        case IdRole:
            return hit.id;
        case SnippetRole:
            return hit.snippet;
        case TitleMatchesRole:
            return QVariant::fromValue(hit.titleMatches);
        case SnippetMatchesRole:
            return QVariant::fromValue(hit.snippetMatches);
        default:
            return {};
        }
    }
    const QList<Conversation> &conversations = m_store.conversations();
    if (index.row() >= conversations.size())
        return {};
    const Conversation &conversation = conversations.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole:
        return conversation.title;
    case DateRole:
        return conversation.date;
    case IdRole:
        return conversation.id;
    default:
        return {};
    }
}

void ConversationListModel::setHits(std::optional<QList<ConversationSearch::Hit>> hits)
{
    beginResetModel();
    m_hits = std::move(hits);
    endResetModel();
}

QUuid ConversationListModel::idAt(int row) const
{
    return index(row).data(IdRole).toUuid();
}

void ConversationListModel::follow()
{
    QList<QUuid> ids;
    ids.reserve(m_store.conversations().size());
    for (const Conversation &conversation : m_store.conversations())
        ids.append(conversation.id);
    if (m_hits) {
        m_ids = ids; // the search that follows the change brings new hits
        return;
    }
    if (ids == m_ids) {
        // An update in place (a streamed answer being saved) keeps the rows.
        if (!ids.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(ids.size()) - 1));
        return;
    }
    beginResetModel();
    m_ids = ids;
    endResetModel();
}
