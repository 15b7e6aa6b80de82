// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/ConversationSearch.h"

#include <QAbstractListModel>
#include <QList>
#include <QUuid>

#include <optional>

class ConversationStore;

Q_DECLARE_METATYPE(QList<ConversationSearch::Range>)

// The store's conversations as rows for the sidebar list, newest first as the
// store orders them, or the hits of a search. Follows the store: rows whose
// ids stay in place are refreshed, any other change rebuilds the rows.
class ConversationListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { TitleRole = Qt::UserRole + 1, DateRole, IdRole, SnippetRole, TitleMatchesRole, SnippetMatchesRole };

    explicit ConversationListModel(ConversationStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Shows these hits instead of every conversation; nothing shows them all again.
    void setHits(std::optional<QList<ConversationSearch::Hit>> hits);
    bool showsHits() const { return m_hits.has_value(); }

    QUuid idAt(int row) const;

private:
    void follow();

    ConversationStore &m_store;
    QList<QUuid> m_ids;
    // Mutable: snippets from the file are made as their rows are shown.
    mutable std::optional<QList<ConversationSearch::Hit>> m_hits;
};
