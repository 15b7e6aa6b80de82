#pragma once

#include "store/Conversation.h"

#include <QUuid>
#include <QWidget>

class ConversationListModel;
class ConversationStore;
class QListView;
class QStackedWidget;

// The history column of the launcher: the saved conversations, newest first,
// the open one highlighted. It decides nothing itself: opening and starting
// over go back to the launcher through its two signals.
class ConversationSidebarView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 186;

    ConversationSidebarView(ConversationStore &store, const QUuid &activeID, QWidget *parent = nullptr);

    void setActiveID(const QUuid &activeID);
    QUuid activeID() const { return m_activeID; }

    QListView *list() const { return m_list; }
    bool showsEmptyState() const;
    // The context menu's "Delete" for a row.
    void deleteRow(int row);

Q_SIGNALS:
    void newRequested();
    void loadRequested(const Conversation &conversation);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showContextMenu(const QPoint &position);
    void syncEmptyState();

    ConversationStore &m_store;
    QUuid m_activeID;
    ConversationListModel *m_model;
    QStackedWidget *m_body;
    QListView *m_list;
};
