// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/Conversation.h"

#include <QUuid>
#include <QWidget>

#include <optional>

class ConversationListModel;
class ConversationStore;
class QLineEdit;
class QListView;
class QStackedWidget;
class SearchIndex;

// The history column of the launcher: the saved conversations, newest first,
// the open one highlighted, and a search field above them that narrows the
// list as one types. It decides nothing itself: starting over, opening and
// deleting go back to the launcher through its signals, by id.
class ConversationSidebarView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 186;

    ConversationSidebarView(ConversationStore &store, const QUuid &activeID, QWidget *parent = nullptr);

    void setActiveID(const QUuid &activeID);
    QUuid activeID() const { return m_activeID; }

    QListView *list() const { return m_list; }
    QLineEdit *searchField() const { return m_search; }
    bool showsEmptyState() const;
    bool showsNoMatches() const;
    void focusSearch();

    // The context menu's items for a row.
    void deleteRow(int row);
    void copyRowAsMarkdown(int row);
    void exportRow(int row);

Q_SIGNALS:
    void newRequested();
    void loadRequested(const QUuid &id);
    void deleteRequested(const QUuid &id);
    // The search shown has caught up with the text typed.
    void searchSettled();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showContextMenu(const QPoint &position);
    void syncEmptyState();
    void searchChanged();
    void load(int row);
    std::optional<Conversation> conversationAt(int row) const;

    ConversationStore &m_store;
    QUuid m_activeID;
    ConversationListModel *m_model;
    SearchIndex *m_index;
    QLineEdit *m_search;
    QStackedWidget *m_body;
    QListView *m_list;
};
