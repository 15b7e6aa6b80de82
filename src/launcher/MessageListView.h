// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ChatMessage.h"
#include "launcher/MessageBubbleActions.h"

#include <QDeadlineTimer>
#include <QList>
#include <QScrollArea>
#include <QTimer>

#include <optional>

class ErrorBubble;
class MessageBubble;
class QVariantAnimation;

// The scrolling conversation: the error bubble, then one bubble per message.
// Rows are placed by hand so that a change to the last message moves nothing
// above it. A long conversation is built from the bottom up: what is on
// screen first, older messages in small batches after that.
class MessageListView : public QScrollArea
{
    Q_OBJECT

public:
    explicit MessageListView(QWidget *parent = nullptr);

    void setMessages(const QList<ChatMessage> &messages);
    void appendMessage(const ChatMessage &message);
    void updateMessage(int index, const ChatMessage &message);
    // Every message from `index` on goes.
    void removeMessagesFrom(int index);
    void setErrorText(const std::optional<QString> &text);
    // Room kept free above the first message, for a card floating over the list.
    void setTopInset(int inset);

    int messageCount() const { return int(m_pending.size() + m_prepared.size() + m_bubbles.size()); }
    // The bubble of a message, or null while it is still waiting to be built.
    MessageBubble *bubbleAt(int index) const;
    bool isFullyBuilt() const { return m_pending.isEmpty() && m_prepared.isEmpty(); }
    ErrorBubble *errorBubble() const { return m_error; }

    void scrollToBottom(bool animated);

Q_SIGNALS:
    // Regenerate or Edit was chosen on the message at `index` (Copy is done in place).
    void actionRequested(int index, MessageBubbleActions::Action action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MessageBubble *makeBubble(const ChatMessage &message);
    void relayout(int fromRow);
    void buildOlderBatch();
    void placePrepared();
    int rowWidth() const;
    int firstRowTop() const;
    void followBottom();
    void refreshActions();

    QWidget *m_column;
    ErrorBubble *m_error = nullptr;
    QList<ChatMessage> m_pending; // the oldest messages, not built yet
    QList<MessageBubble *> m_prepared; // built older ones, hidden until placed together
    QList<MessageBubble *> m_bubbles; // the rest, in order, on the column
    QDeadlineTimer m_placeBy;
    QList<int> m_tops;
    int m_columnHeight = 0;
    int m_topInset = 0;
    bool m_pinned = true; // the view follows the bottom
    bool m_scrolling = false; // a scroll of our own is under way
    QTimer m_batchTimer;
    QVariantAnimation *m_scrollAnimation;
};
