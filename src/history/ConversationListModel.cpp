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
    return parent.isValid() ? 0 : int(m_ids.size());
}

QVariant ConversationListModel::data(const QModelIndex &index, int role) const
{
    const QList<Conversation> &conversations = m_store.conversations();
    if (!index.isValid() || index.row() >= conversations.size())
        return {};
    const Conversation &conversation = conversations.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole: return conversation.title;
    case DateRole: return conversation.date;
    case IdRole: return conversation.id;
    default: return {};
    }
}

void ConversationListModel::follow()
{
    QList<QUuid> ids;
    ids.reserve(m_store.conversations().size());
    for (const Conversation &conversation : m_store.conversations())
        ids.append(conversation.id);
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
