// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ChatMessage.h"
#include "launcher/MessageBubbleActions.h"

#include <QWidget>

class FileChipStrip;
class MessageContent;
class ProseView;
class QLabel;
class ThinkingBlock;
class TypingDots;

// One message: its picture, an answer's reasoning, its text bubble, what the
// answer cost and, while an answer streams, a status line. A user message stands at the trailing edge, an answer at the
// leading edge. The row lays itself out for a given width.
class MessageBubble : public QWidget
{
    Q_OBJECT

public:
    explicit MessageBubble(const ChatMessage &message, QWidget *parent = nullptr);

    const ChatMessage &message() const { return m_message; }
    void setMessage(const ChatMessage &message);

    // The buttons offered under the message, shown while the pointer is over it.
    void setActions(MessageBubbleActions::Actions actions);
    MessageBubbleActions::Actions actions() const;
    MessageBubbleActions *actionRow() const { return m_actionRow; }
    // Puts the message's text, as written, on the clipboard.
    void copyText();

    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }

    // For inspection: what the row shows now.
    bool showsPicture() const;
    // The chips of the files sent with a prompt; null when it has none.
    FileChipStrip *fileStrip() const { return m_files; }
    bool showsBubble() const;
    bool showsTypingDots() const;
    QString statusText() const; // empty when there is no status line
    MessageContent *content() const { return m_content; }
    // The line under an answer that says why it stopped short, or that it is too
    // long to show whole; null or hidden when neither.
    MessageContent *errorLine() const { return m_errorLine; }
    // The reasoning above an answer; null when it has none.
    ThinkingBlock *thinkingBlock() const { return m_thinking; }
    // "1,234 tokens · $0.0031" under a finished answer, "/fix" under a prompt
    // sent with that preset; empty when none.
    QString usageText() const;

Q_SIGNALS:
    void heightChanged();
    void actionTriggered(MessageBubbleActions::Action action);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool isUser() const { return m_message.role == ChatMessage::Role::User; }
    bool bubbleVisible() const;
    void syncChildren();
    void syncErrorLine();
    void syncThinking();
    void syncUsageLine();
    void syncStatus();
    void layoutFor(int width);
    QSize pictureSize() const;
    void contentChanged();

    ChatMessage m_message;
    qsizetype m_contentLength = 0; // of the answer, which m_message may hold only the start of while it streams
    QPixmap m_picture;
    QLabel *m_pictureLabel = nullptr;
    FileChipStrip *m_files = nullptr;
    TypingDots *m_dots = nullptr;
    MessageContent *m_content = nullptr;
    MessageContent *m_errorLine = nullptr;
    ThinkingBlock *m_thinking = nullptr;
    QLabel *m_usageLine = nullptr;
    ProseView *m_userText = nullptr;
    QWidget *m_status = nullptr;
    MessageBubbleActions *m_actionRow = nullptr;
    bool m_hovered = false;
    QLabel *m_statusIcon = nullptr;
    QLabel *m_statusText = nullptr;
    bool m_statusShowsThinking = false;
    QRect m_bubbleRect;
    int m_height = 0;
    int m_laidOutWidth = -1;
    bool m_inLayout = false;
};
