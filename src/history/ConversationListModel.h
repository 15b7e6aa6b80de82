#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QUuid>

class ConversationStore;

// The store's conversations as rows for the sidebar list, newest first as the
// store orders them. Follows the store: rows whose ids stay in place are
// refreshed, any other change rebuilds the rows.
class ConversationListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { TitleRole = Qt::UserRole + 1, DateRole, IdRole };

    explicit ConversationListModel(ConversationStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    void follow();

    ConversationStore &m_store;
    QList<QUuid> m_ids;
};
