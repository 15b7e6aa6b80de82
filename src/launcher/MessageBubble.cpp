// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/MessageBubble.h"

#include "content/MessageContent.h"
#include "content/ProseView.h"
#include "core/AttachmentOpener.h"
#include "core/UsageText.h"
#include "launcher/FileChipStrip.h"
#include "launcher/FloatingNotice.h"
#include "launcher/ThinkingBlock.h"
#include "launcher/TypingDots.h"
#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SymbolIcon.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMargins>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>

namespace {

constexpr int kSideSpace = 60;
constexpr int kColumnSpacing = 6;
constexpr QMargins kTextPadding(14, 10, 14, 10);
constexpr QMargins kDotsPadding(14, 14, 14, 14);
constexpr int kErrorLineSpacing = 8;
constexpr int kRadius = LauncherMetrics::bubbleRadius;
const QString kWarningPrefix = QStringLiteral("\u26A0\uFE0F ");
// An answer longer than this shows its beginning and says so: laying out
// millions of characters would take the panel's memory and time. Copy, export
// and the history keep the whole text.
constexpr qsizetype kShownLength = 1'000'000;

// How much of an answer is shown: all of it, or its beginning up to a line end
// near the limit, so the cut does not fall inside a word or a character pair.
qsizetype shownLength(QStringView text)
{
    if (text.size() <= kShownLength)
        return text.size();
    const qsizetype lineEnd = text.first(kShownLength).lastIndexOf(QLatin1Char('\n'));
    if (lineEnd >= kShownLength / 2)
        return lineEnd + 1;
    return text.at(kShownLength - 1).isHighSurrogate() ? kShownLength - 1 : kShownLength;
}

} // namespace

MessageBubble::MessageBubble(const ChatMessage &message, QWidget *parent)
    : QWidget(parent)
    , m_message(message)
    , m_contentLength(message.content.size())
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (m_message.imageData) {
        QImage image;
        if (image.loadFromData(*m_message.imageData)) {
            m_picture = QPixmap::fromImage(image);
            m_pictureLabel = new QLabel(this);
            m_pictureLabel->setScaledContents(true);
        }
    }
    if (!m_message.attachments.isEmpty()) {
        m_files = new FileChipStrip(FileChipStrip::Use::Sent, this);
        m_files->setFiles(m_message.attachments);
        connect(m_files, &FileChipStrip::openRequested, this, [this](int index) {
            const QString problem = AttachmentOpener::open(m_message.attachments.at(index));
            if (!problem.isEmpty())
                FloatingNotice::showAbove(window(), m_files, problem);
        });
    }
    syncChildren();
    new PaletteFollower(this, [this] {
        if (m_status && !m_status->isHidden()) {
            m_statusIcon->setPixmap(QPixmap());
            syncStatus();
        }
        if (m_usageLine)
            syncUsageLine();
    });
}

void MessageBubble::setMessage(const ChatMessage &message)
{
    const bool contentChanged = message.content != m_message.content || message.error != m_message.error
        || message.reasoning != m_message.reasoning || message.reasoningSeconds != m_message.reasoningSeconds
        || message.usage != m_message.usage;
    const bool streamingChanged = message.isStreaming != m_message.isStreaming;
    const QString kept = m_message.content;
    m_message = message;
    m_contentLength = message.content.size();
    // While a long answer streams, its shown beginning stays as it is: the
    // bubble keeps the text it had rather than share the growing one, so the
    // answer grows in place and is not copied whole at every change.
    if (message.isStreaming && kept.size() > kShownLength && message.content.startsWith(kept))
        m_message.content = kept;
    if (contentChanged || streamingChanged)
        syncChildren();
}

// While only reasoning has come, the thinking block stands in for the typing dots.
bool MessageBubble::bubbleVisible() const
{
    return !m_message.content.isEmpty() || (m_message.isStreaming && m_message.reasoning.isEmpty());
}

bool MessageBubble::showsPicture() const
{
    return m_pictureLabel != nullptr;
}

bool MessageBubble::showsBubble() const
{
    return bubbleVisible();
}

bool MessageBubble::showsTypingDots() const
{
    return m_dots && !m_dots->isHidden();
}

QString MessageBubble::statusText() const
{
    return m_status && !m_status->isHidden() ? m_statusText->text() : QString();
}

void MessageBubble::syncChildren()
{
    const bool dots = m_message.content.isEmpty() && m_message.isStreaming && m_message.reasoning.isEmpty();
    if (dots && !m_dots)
        m_dots = new TypingDots(this);
    if (m_dots)
        m_dots->setVisible(dots);

    if (!dots && !m_message.content.isEmpty()) {
        if (isUser()) {
            if (!m_userText) {
                m_userText = new ProseView(this);
                QPalette white = m_userText->palette();
                white.setColor(QPalette::Text, Qt::white);
                m_userText->setPalette(white);
                m_userText->show();
            }
            m_userText->setRawText(m_message.content);
        } else {
            if (!m_content) {
                m_content = new MessageContent(QString(), false, this);
                connect(m_content, &MessageContent::contentSizeChanged, this, &MessageBubble::contentChanged);
                m_content->show();
            }
            m_content->setStreaming(m_message.isStreaming);
            const QStringView shown = QStringView(m_message.content).first(shownLength(m_message.content));
            if (shown.size() == m_message.content.size())
                m_content->setRaw(m_message.content);
            else if (shown != m_content->raw())
                m_content->setRaw(shown.toString());
        }
    }
    if (m_userText)
        m_userText->setVisible(!dots && !m_message.content.isEmpty());
    if (m_content)
        m_content->setVisible(!dots && !m_message.content.isEmpty());
    syncErrorLine();
    syncThinking();
    syncUsageLine();
    syncStatus();
    contentChanged();
}

void MessageBubble::syncThinking()
{
    if (isUser() || (m_message.reasoning.isEmpty() && !m_thinking))
        return;
    if (!m_thinking) {
        m_thinking = new ThinkingBlock(this);
        connect(m_thinking, &ThinkingBlock::heightChanged, this, &MessageBubble::contentChanged);
        m_thinking->show();
    }
    m_thinking->setThought(m_message.reasoning, m_message.isStreaming && m_message.content.isEmpty(),
                           m_message.reasoningSeconds);
    m_thinking->setVisible(!m_message.reasoning.isEmpty());
}

QString MessageBubble::usageText() const
{
    return m_usageLine && !m_usageLine->isHidden() ? m_usageLine->text() : QString();
}

void MessageBubble::syncUsageLine()
{
    // Under an answer what it cost; under a prompt the preset it was sent with.
    const bool shown = isUser() ? !m_message.presetCaption.isEmpty() : !m_message.isStreaming && m_message.usage;
    if (shown && !m_usageLine) {
        m_usageLine = new QLabel(this);
        usePixelFont(m_usageLine, 11);
    }
    if (!m_usageLine)
        return;
    if (shown) {
        m_usageLine->setText(isUser() ? QLatin1Char('/') + m_message.presetCaption : UsageText::line(*m_message.usage));
        QPalette secondary = m_usageLine->palette();
        secondary.setColor(QPalette::WindowText, LauncherColors::of(this).secondary);
        m_usageLine->setPalette(secondary);
    }
    m_usageLine->setVisible(shown);
}

void MessageBubble::syncErrorLine()
{
    const qsizetype length = m_contentLength;
    const qsizetype shownPart = isUser() ? length : shownLength(m_message.content);
    const bool cut = shownPart < length;
    const bool shown = !isUser() && (cut || !m_message.error.isEmpty()) && m_content && !m_content->isHidden();
    if (shown && !m_errorLine) {
        m_errorLine = new MessageContent(QString(), false, this);
        connect(m_errorLine, &MessageContent::contentSizeChanged, this, &MessageBubble::contentChanged);
    }
    if (!m_errorLine)
        return;
    // The same words and looks as an answer that failed before any text.
    if (shown) {
        QStringList lines;
        if (cut)
            lines.append(tr("*Only the first %1 of its %2 characters are shown. Copy gives the whole answer.*")
                             .arg(UsageText::count(shownPart), UsageText::count(length)));
        if (!m_message.error.isEmpty())
            lines.append(kWarningPrefix + m_message.error);
        m_errorLine->setRaw(lines.join(QStringLiteral("\n\n")));
    }
    m_errorLine->setVisible(shown);
}

void MessageBubble::syncStatus()
{
    if (!m_message.isStreaming) {
        if (m_status)
            m_status->hide();
        return;
    }
    if (!m_status) {
        m_status = new QWidget(this);
        auto *row = new QHBoxLayout(m_status);
        row->setContentsMargins(4, 0, 0, 0);
        row->setSpacing(4);
        m_statusIcon = new QLabel(m_status);
        m_statusText = new QLabel(m_status);
        usePixelFont(m_statusText, 11);
        row->addWidget(m_statusIcon);
        row->addWidget(m_statusText);
        row->addStretch(1);
    }
    const bool thinking = m_message.content.isEmpty();
    if (!m_status->isHidden() && thinking == m_statusShowsThinking && !m_statusIcon->pixmap().isNull())
        return;
    m_statusShowsThinking = thinking;
    const LauncherColors colors = LauncherColors::of(this);
    m_statusIcon->setPixmap(symbolPixmap(thinking ? QStringLiteral("brain") : QStringLiteral("pencil.line"), 10,
                                         colors.secondary, devicePixelRatioF()));
    m_statusText->setText(thinking ? QStringLiteral("Tarnwick is thinking…")
                                   : QStringLiteral("Tarnwick is generating…"));
    QPalette secondary = m_statusText->palette();
    secondary.setColor(QPalette::WindowText, colors.secondary);
    m_statusText->setPalette(secondary);
    m_status->show();
}

void MessageBubble::contentChanged()
{
    if (m_laidOutWidth < 0 || m_inLayout)
        return;
    const int before = m_height;
    layoutFor(m_laidOutWidth);
    update();
    if (m_height != before) {
        updateGeometry();
        Q_EMIT heightChanged();
    }
}

QSize MessageBubble::pictureSize() const
{
    if (!m_pictureLabel)
        return {};
    return m_picture.size().scaled(200, 150, Qt::KeepAspectRatio);
}

void MessageBubble::layoutFor(int width)
{
    const QScopedValueRollback<bool> guard(m_inLayout, true);
    m_laidOutWidth = width;
    const int available = qMax(1, width - kSideSpace);
    int y = 0;
    bool any = false;
    auto place = [&](QWidget *child, int x, int w, int h) {
        child->setGeometry(x, y, w, h);
        y += h + kColumnSpacing;
        any = true;
    };

    if (m_pictureLabel) {
        const QSize picture = pictureSize();
        if (m_pictureLabel->pixmap().isNull()) {
            QPixmap rounded(picture * devicePixelRatioF());
            rounded.fill(Qt::transparent);
            QPainter painter(&rounded);
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath clip;
            clip.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(rounded.size())), 10 * devicePixelRatioF(),
                                10 * devicePixelRatioF());
            painter.setClipPath(clip);
            painter.drawPixmap(rounded.rect(), m_picture);
            painter.end();
            m_pictureLabel->setPixmap(rounded);
        }
        place(m_pictureLabel, isUser() ? width - picture.width() : 0, picture.width(), picture.height());
    }
    if (m_files)
        place(m_files, 0, width, m_files->heightForWidth(width));

    if (m_thinking && !m_thinking->isHidden()) {
        const int blockWidth = m_thinking->widthFor(available);
        place(m_thinking, 0, blockWidth, m_thinking->heightForWidth(blockWidth));
    }

    m_bubbleRect = QRect();
    // The bubble around content of this size, on the sender's side.
    auto bubbleAround = [&](QSize inner, const QMargins &padding) {
        const QSize outer = inner.grownBy(padding);
        return QRect(QPoint(isUser() ? width - outer.width() : 0, y), outer);
    };
    if (bubbleVisible()) {
        if (m_dots && !m_dots->isHidden()) {
            m_bubbleRect = bubbleAround(m_dots->sizeHint(), kDotsPadding);
            m_dots->setGeometry(m_bubbleRect.marginsRemoved(kDotsPadding));
        } else {
            const int maxInner = qMax(1, available - kTextPadding.left() - kTextPadding.right());
            int innerWidth = 0;
            int innerHeight = 0;
            QWidget *child = nullptr;
            if (m_userText && !m_userText->isHidden()) {
                child = m_userText;
                m_userText->setLayoutWidth(maxInner);
                innerWidth = qMin(maxInner, m_userText->idealWidth());
                innerHeight = m_userText->contentHeight();
            } else if (m_content && !m_content->isHidden()) {
                child = m_content;
                m_content->setLayoutWidth(maxInner);
                innerWidth = m_content->idealWidth();
                innerHeight = m_content->contentHeight();
            }
            int errorHeight = 0;
            if (m_errorLine && !m_errorLine->isHidden()) {
                m_errorLine->setLayoutWidth(maxInner);
                innerWidth = qMax(innerWidth, m_errorLine->idealWidth());
                errorHeight = m_errorLine->contentHeight();
            }
            const int textHeight = innerHeight;
            if (errorHeight > 0)
                innerHeight += kErrorLineSpacing + errorHeight;
            m_bubbleRect = bubbleAround(QSize(innerWidth, innerHeight), kTextPadding);
            const QPoint text = m_bubbleRect.marginsRemoved(kTextPadding).topLeft();
            if (child)
                child->setGeometry(QRect(text, QSize(innerWidth, textHeight)));
            if (errorHeight > 0)
                m_errorLine->setGeometry(
                    QRect(text + QPoint(0, textHeight + kErrorLineSpacing), QSize(innerWidth, errorHeight)));
        }
        y += m_bubbleRect.height() + kColumnSpacing;
        any = true;
    }

    if (m_usageLine && !m_usageLine->isHidden()) {
        const QSize line = m_usageLine->sizeHint();
        const int lineWidth = qMin(line.width(), available);
        place(m_usageLine, isUser() ? width - lineWidth - kTextPadding.left() / 2 : kTextPadding.left() / 2, lineWidth,
              line.height());
    }
    if (m_status && !m_status->isHidden())
        place(m_status, isUser() ? width - m_status->sizeHint().width() : 0, m_status->sizeHint().width(),
              m_status->sizeHint().height());
    // The row keeps its room while hidden, so hovering moves nothing.
    if (m_actionRow && m_actionRow->actions()) {
        const QSize row = m_actionRow->sizeHint();
        const int inset = kTextPadding.left() / 2;
        m_actionRow->setGeometry(isUser() ? width - row.width() - inset : inset, y, row.width(), row.height());
        y += row.height() + kColumnSpacing;
        any = true;
    }

    m_height = any ? y - kColumnSpacing : 0;
}

void MessageBubble::setActions(MessageBubbleActions::Actions actions)
{
    if (actions == this->actions())
        return;
    if (!m_actionRow) {
        m_actionRow = new MessageBubbleActions(this);
        connect(m_actionRow, &MessageBubbleActions::triggered, this, [this](MessageBubbleActions::Action action) {
            if (action == MessageBubbleActions::Action::Copy)
                copyText();
            Q_EMIT actionTriggered(action);
        });
    }
    m_actionRow->setActions(actions);
    m_actionRow->setVisible(m_hovered && actions);
    contentChanged();
}

MessageBubbleActions::Actions MessageBubble::actions() const
{
    return m_actionRow ? m_actionRow->actions() : MessageBubbleActions::Actions();
}

void MessageBubble::copyText()
{
    QGuiApplication::clipboard()->setText(m_message.content);
    if (m_actionRow)
        m_actionRow->showCopied();
}

void MessageBubble::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_hovered = true;
    if (m_actionRow)
        m_actionRow->setVisible(bool(m_actionRow->actions()));
}

void MessageBubble::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_hovered = false;
    if (m_actionRow)
        m_actionRow->hide();
}

int MessageBubble::heightForWidth(int width) const
{
    if (width != m_laidOutWidth)
        const_cast<MessageBubble *>(this)->layoutFor(width);
    return m_height;
}

void MessageBubble::resizeEvent(QResizeEvent *)
{
    if (width() != m_laidOutWidth)
        layoutFor(width());
}

void MessageBubble::paintEvent(QPaintEvent *)
{
    if (m_bubbleRect.isEmpty())
        return;
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // A soft shadow 2 down, in a few translucent rings instead of a blur effect
    // that would re-render the whole bubble on every streamed fragment.
    // Only outside the bubble, so a translucent bubble does not show it through.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(m_bubbleRect), kRadius, kRadius);
    const qreal shadowOpacity = isUser() ? 0.2 : 0.1;
    for (int ring = 4; ring >= 1; --ring) {
        QPainterPath shadow;
        shadow.addRoundedRect(
            QRectF(m_bubbleRect.translated(0, 2)).adjusted(-ring / 2.0, -ring / 2.0, ring / 2.0, ring / 2.0),
            kRadius + ring / 2.0, kRadius + ring / 2.0);
        painter.fillPath(shadow.subtracted(bubble), QColor(0, 0, 0, qRound(255 * shadowOpacity / 4)));
    }
    painter.fillPath(bubble, isUser() ? withOpacity(colors.green, 0.8) : withOpacity(colors.secondary, 0.1));
}
