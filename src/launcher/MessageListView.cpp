// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/MessageListView.h"

#include "launcher/ErrorBubble.h"
#include "launcher/MessageBubble.h"
#include "platform/AssignIfChanged.h"
#include "ui/LauncherMetrics.h"

#include <QDeadlineTimer>
#include <QMargins>
#include <QEvent>
#include <QScopedValueRollback>
#include <QMetaMethod>
#include <QScrollBar>
#include <QVariantAnimation>

#include <chrono>

namespace {

constexpr QMargins kColumnMargins(LauncherMetrics::edgeInset, 10, LauncherMetrics::edgeInset, 8);
constexpr int kSpacing = 14;
constexpr int kErrorTopPad = 10;
constexpr int kBottomItem = 4;
constexpr int kPinnedSlack = 24;
// Older rows are built in slices of this much main-thread time.
constexpr std::chrono::milliseconds kBatchBudget(6);
constexpr std::chrono::milliseconds kPlacingInterval(300);

} // namespace

MessageListView::MessageListView(QWidget *parent)
    : QScrollArea(parent)
    , m_column(new QWidget)
    , m_scrollAnimation(new QVariantAnimation(this))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    setWidget(m_column);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    m_column->setAutoFillBackground(false);
    viewport()->installEventFilter(this);

    m_batchTimer.setInterval(0);
    connect(&m_batchTimer, &QTimer::timeout, this, &MessageListView::buildOlderBatch);

    m_scrollAnimation->setDuration(250);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_scrollAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        const QScopedValueRollback<bool> ours(m_scrolling, true);
        verticalScrollBar()->setValue(value.toInt());
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_scrolling)
            m_pinned = value >= verticalScrollBar()->maximum() - kPinnedSlack;
    });
}

MessageBubble *MessageListView::bubbleAt(int index) const
{
    const int built = index - int(m_pending.size() + m_prepared.size());
    return built >= 0 && built < m_bubbles.size() ? m_bubbles.at(built) : nullptr;
}

int MessageListView::rowWidth() const
{
    return qMax(1, viewport()->width() - kColumnMargins.left() - kColumnMargins.right());
}

MessageBubble *MessageListView::makeBubble(const ChatMessage &message)
{
    auto *bubble = new MessageBubble(message, m_column);
    connect(bubble, &MessageBubble::heightChanged, this, [this, bubble] { relayout(m_bubbles.indexOf(bubble)); });
    connect(bubble, &MessageBubble::actionTriggered, this, [this, bubble](MessageBubbleActions::Action action) {
        const int built = int(m_bubbles.indexOf(bubble));
        if (built >= 0 && action != MessageBubbleActions::Action::Copy)
            Q_EMIT actionRequested(int(m_pending.size() + m_prepared.size()) + built, action);
    });
    const bool answered =
        message.role == ChatMessage::Role::Assistant && !message.isStreaming && !message.content.isEmpty();
    bubble->setActions(answered ? MessageBubbleActions::Actions(MessageBubbleActions::Action::Copy)
                                : MessageBubbleActions::Actions());
    bubble->show();
    return bubble;
}

void MessageListView::setMessages(const QList<ChatMessage> &messages)
{
    m_batchTimer.stop();
    qDeleteAll(m_bubbles);
    m_bubbles.clear();
    qDeleteAll(m_prepared);
    m_prepared.clear();
    m_pending = messages;
    // Build from the newest message up until the screen is full.
    const int width = rowWidth();
    int height = 0;
    QList<MessageBubble *> visible;
    while (!m_pending.isEmpty() && height < viewport()->height() + 200) {
        MessageBubble *bubble = makeBubble(m_pending.takeLast());
        height += bubble->heightForWidth(width) + kSpacing;
        visible.prepend(bubble);
    }
    m_bubbles = visible;
    refreshActions();
    relayout(0);
    m_pinned = true;
    scrollToBottom(false);
    if (!m_pending.isEmpty()) {
        m_placeBy.setRemainingTime(kPlacingInterval);
        m_batchTimer.start();
    }
}

void MessageListView::buildOlderBatch()
{
    const QDeadlineTimer budget(kBatchBudget);
    const int width = rowWidth();
    while (!m_pending.isEmpty() && !budget.hasExpired()) {
        MessageBubble *bubble = makeBubble(m_pending.takeLast());
        bubble->hide();
        bubble->heightForWidth(width);
        m_prepared.prepend(bubble);
    }
    // Rows put above the others move every row below them, so built rows are
    // placed together now and then, or at once when the user nears the top.
    const bool nearTop = verticalScrollBar()->value() < viewport()->height();
    if (m_pending.isEmpty() || nearTop || m_placeBy.hasExpired())
        placePrepared();
    if (m_pending.isEmpty())
        m_batchTimer.stop();
}

void MessageListView::placePrepared()
{
    if (m_prepared.isEmpty())
        return;
    // Keep what the user looks at in place while rows appear above it.
    const int distanceFromBottom = verticalScrollBar()->maximum() - verticalScrollBar()->value();
    for (MessageBubble *bubble : std::as_const(m_prepared))
        bubble->show();
    m_bubbles = m_prepared + m_bubbles;
    m_prepared.clear();
    relayout(0);
    const QScopedValueRollback<bool> ours(m_scrolling, true);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum() - distanceFromBottom);
    m_placeBy.setRemainingTime(kPlacingInterval);
}

void MessageListView::appendMessage(const ChatMessage &message)
{
    m_bubbles.append(makeBubble(message));
    refreshActions();
    relayout(m_bubbles.size() - 1);
    m_pinned = true;
    scrollToBottom(true);
}

void MessageListView::updateMessage(int index, const ChatMessage &message)
{
    if (index < 0)
        return;
    if (index < m_pending.size()) {
        m_pending[index] = message;
        return;
    }
    if (index < m_pending.size() + m_prepared.size()) {
        m_prepared.at(index - m_pending.size())->setMessage(message);
        return;
    }
    const int built = index - int(m_pending.size() + m_prepared.size());
    if (built < m_bubbles.size()) {
        m_bubbles.at(built)->setMessage(message);
        if (built + 3 >= m_bubbles.size())
            refreshActions();
    }
}

void MessageListView::removeMessagesFrom(int index)
{
    while (messageCount() > qMax(0, index)) {
        if (!m_bubbles.isEmpty())
            delete m_bubbles.takeLast();
        else if (!m_prepared.isEmpty())
            delete m_prepared.takeLast();
        else
            m_pending.removeLast();
    }
    refreshActions();
    relayout(int(m_bubbles.size()));
}

void MessageListView::refreshActions()
{
    using Action = MessageBubbleActions::Action;
    // Only the last prompt and the last answer offer more than Copy.
    const bool streaming = !m_bubbles.isEmpty() && m_bubbles.last()->message().isStreaming;
    // Regenerate and Edit are offered only where a host acts on them.
    const bool handled = isSignalConnected(QMetaMethod::fromSignal(&MessageListView::actionRequested));
    bool lastUserSeen = false;
    for (qsizetype built = m_bubbles.size() - 1; built >= 0 && built >= m_bubbles.size() - 3; --built) {
        MessageBubble *bubble = m_bubbles.at(built);
        const ChatMessage &message = bubble->message();
        MessageBubbleActions::Actions actions;
        if (message.role == ChatMessage::Role::Assistant) {
            if (!message.isStreaming && !message.content.isEmpty())
                actions |= Action::Copy;
            const bool last = built == m_bubbles.size() - 1;
            if (handled && last && !streaming && built > 0
                && m_bubbles.at(built - 1)->message().role == ChatMessage::Role::User)
                actions |= Action::Regenerate;
        } else if (!lastUserSeen) {
            lastUserSeen = true;
            if (handled && !streaming)
                actions |= Action::Edit;
        }
        bubble->setActions(actions);
    }
}

void MessageListView::setErrorText(const std::optional<QString> &text)
{
    if (text && !m_error) {
        m_error = new ErrorBubble(*text, m_column);
        m_error->show();
    } else if (text) {
        m_error->setText(*text);
    } else {
        delete m_error;
        m_error = nullptr;
    }
    relayout(0);
}

void MessageListView::setTopInset(int inset)
{
    if (!assignIfChanged(m_topInset, inset))
        return;
    relayout(0);
}

int MessageListView::firstRowTop() const
{
    int y = kColumnMargins.top() + m_topInset;
    if (m_error) {
        const int height = m_error->heightForWidth(rowWidth());
        m_error->setGeometry(kColumnMargins.left(), y + kErrorTopPad, rowWidth(),
                             height > 0 ? height : m_error->sizeHint().height());
        y += kErrorTopPad + m_error->height() + kSpacing;
    }
    return y;
}

void MessageListView::relayout(int fromRow)
{
    if (fromRow < 0)
        return;
    const int width = rowWidth();
    m_tops.resize(m_bubbles.size());
    int y = 0;
    if (fromRow == 0 || fromRow > m_bubbles.size()) {
        fromRow = 0;
        y = firstRowTop();
    } else {
        y = m_tops.at(fromRow - 1) + m_bubbles.at(fromRow - 1)->height() + kSpacing;
    }
    for (int row = fromRow; row < m_bubbles.size(); ++row) {
        MessageBubble *bubble = m_bubbles.at(row);
        const int height = bubble->heightForWidth(width);
        m_tops[row] = y;
        bubble->setGeometry(kColumnMargins.left(), y, width, height);
        y += height + kSpacing;
    }
    m_columnHeight = y + kBottomItem + kColumnMargins.bottom();
    const bool follow = m_pinned;
    m_column->resize(viewport()->width(), qMax(m_columnHeight, viewport()->height()));
    if (follow)
        followBottom();
}

void MessageListView::followBottom()
{
    if (m_scrollAnimation->state() == QAbstractAnimation::Running) {
        m_scrollAnimation->setEndValue(verticalScrollBar()->maximum());
        return;
    }
    const QScopedValueRollback<bool> ours(m_scrolling, true);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void MessageListView::scrollToBottom(bool animated)
{
    m_scrollAnimation->stop();
    if (!animated) {
        const QScopedValueRollback<bool> ours(m_scrolling, true);
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    m_scrollAnimation->setStartValue(verticalScrollBar()->value());
    m_scrollAnimation->setEndValue(verticalScrollBar()->maximum());
    m_scrollAnimation->start();
}

bool MessageListView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport() && event->type() == QEvent::Resize && m_column->width() != viewport()->width())
        relayout(0);
    return QScrollArea::eventFilter(watched, event);
}
