#include "content/MarkdownView.h"

#include "content/InlineRendering.h"
#include "ui/LauncherColors.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// Long paragraphs are read for inline Markdown in pieces of at least this many
// characters, each ending at a space or line break, so a streamed paragraph
// costs its last piece; a piece is laid out again only while it is the last.
constexpr qsizetype kPieceLength = 2048;
// A paragraph block longer than this is split at a line start, so appending
// lays out only the lines after it.
constexpr int kSplitLength = 4096;

constexpr int kIndentWidth = 26;
constexpr int kQuoteIndent = 14;

qsizetype pieceEnd(const QString &text, qsizetype from)
{
    if (text.size() - from <= kPieceLength)
        return text.size();
    for (qsizetype index = from + kPieceLength; index < text.size(); ++index) {
        const QChar c = text.at(index);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\n'))
            return index + 1;
    }
    return text.size();
}

int quoteDepth(const MarkdownBlock &block)
{
    int depth = 0;
    for (const MarkdownContainer &container : block.containers)
        depth += container.kind == MarkdownContainer::Kind::Quote ? 1 : 0;
    return depth;
}

int listDepth(const MarkdownBlock &block)
{
    return int(block.containers.size()) - quoteDepth(block);
}

const MarkdownContainer *innermostItem(const MarkdownBlock &block)
{
    for (auto it = block.containers.crbegin(); it != block.containers.crend(); ++it) {
        if (it->kind == MarkdownContainer::Kind::ListItem)
            return &*it;
    }
    return nullptr;
}

// Space above a block, from what came before it.
int spaceAbove(const MarkdownBlock &block, const MarkdownBlock *previous)
{
    if (!previous)
        return 0;
    if (block.kind == MarkdownBlock::Kind::Heading)
        return block.level <= 2 ? 14 : 10;
    if (previous->kind == MarkdownBlock::Kind::Heading)
        return 6;
    if (innermostItem(block) && innermostItem(*previous))
        return 3;
    return 9;
}

qreal headingScale(int level)
{
    switch (level) {
    case 1: return 1.5;
    case 2: return 1.3;
    case 3: return 1.15;
    default: return 1.0;
    }
}

// "3. " as written, a bullet by depth, or a task's box.
QString markerText(const MarkdownContainer &item, int depth)
{
    if (item.task == MarkdownContainer::Task::Done)
        return QStringLiteral("\u2611 ");
    if (item.task == MarkdownContainer::Task::Open)
        return QStringLiteral("\u2610 ");
    if (item.ordered)
        return QStringLiteral("%1. ").arg(item.number);
    static const QString bullets[] = {QStringLiteral("\u2022 "), QStringLiteral("\u25E6 "), QStringLiteral("\u25AA ")};
    return bullets[(depth - 1) % 3];
}

bool sameLeaf(const MarkdownBlock &a, const MarkdownBlock &b)
{
    return a.kind == b.kind && a.level == b.level && a.containers == b.containers && a.firstInItem == b.firstInItem;
}

} // namespace

MarkdownView::MarkdownView(QWidget *parent)
    : ProseView(parent)
{
    document()->setIndentWidth(kIndentWidth);
}

void MarkdownView::removeFrom(int position)
{
    QTextCursor cursor(document());
    cursor.setPosition(position);
    // Joining blocks hands the kept block the looks of the removed one: put its own back.
    const QTextBlockFormat format = cursor.blockFormat();
    const QTextCharFormat charFormat = cursor.blockCharFormat();
    const bool joins = cursor.block() != document()->lastBlock();
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    if (joins) {
        cursor.setBlockFormat(format);
        cursor.setBlockCharFormat(charFormat);
    }
}

void MarkdownView::setBlocks(std::span<const MarkdownBlock> blocks, int settled, qint64 identity)
{
    settled = qBound(0, settled, int(blocks.size()));
    if (identity != m_identity || int(blocks.size()) < m_doneCount) {
        m_identity = identity;
        document()->clear();
        m_doneCount = 0;
        m_doneEnd = 0;
        m_tail.clear();
        m_pieceEnd = -1;
        m_hasSplits = false;
    }
    // Nothing new since the last time?
    if (int(blocks.size()) == m_doneCount + m_tail.size() &&
        std::equal(m_tail.cbegin(), m_tail.cend(), blocks.begin() + m_doneCount))
        return;

    QTextCursor cursor(document());
    cursor.beginEditBlock();
    int index = m_doneCount;
    const MarkdownBlock *first = index < int(blocks.size()) ? &blocks[index] : nullptr;
    const bool grewInPlace = first && !m_tail.isEmpty() && m_pieceEnd >= 0 && sameLeaf(m_tail.first(), *first) &&
                             first->text.startsWith(m_tail.first().text);
    if (grewInPlace) {
        // The first open paragraph grew: keep its settled pieces.
        removeFrom(m_pieceEnd);
        cursor.setPosition(m_pieceEnd);
        const bool tracking = index == settled;
        insertPieces(cursor, first->text, m_pieceRaw, m_pieceFormat, tracking);
        if (!tracking)
            m_pieceEnd = -1;
        if (index + 1 == settled)
            m_doneEnd = cursor.position();
        ++index;
    } else if (m_doneEnd == 0) {
        document()->clear();
        m_pieceEnd = -1;
    } else {
        removeFrom(m_doneEnd);
        cursor.setPosition(m_doneEnd);
        m_pieceEnd = -1;
    }
    for (; index < int(blocks.size()); ++index) {
        const MarkdownBlock *previous = index > 0 ? &blocks[index - 1] : nullptr;
        renderBlock(cursor, blocks[index], previous, index == 0, index == settled);
        if (index + 1 == settled)
            m_doneEnd = cursor.position();
    }
    m_doneCount = settled;
    m_tail = QList<MarkdownBlock>(blocks.begin() + settled, blocks.end());
    cursor.endEditBlock();
    if (m_pieceEnd >= 0)
        splitLongBlock(cursor);
    Q_EMIT contentSizeChanged();
}

void MarkdownView::renderBlock(QTextCursor &cursor, const MarkdownBlock &block, const MarkdownBlock *previous,
                               bool first, bool trackPieces)
{
    QTextBlockFormat format;
    format.setTopMargin(spaceAbove(block, previous));
    const int quotes = quoteDepth(block);
    format.setLeftMargin(quotes * kQuoteIndent);
    format.setProperty(kQuoteDepthProperty, quotes);
    if (block.kind == MarkdownBlock::Kind::Rule)
        format.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, QTextLength(QTextLength::PercentageLength, 100));
    const MarkdownContainer *item = innermostItem(block);
    if (item && !block.firstInItem)
        format.setIndent(listDepth(block));

    QTextCharFormat text;
    QFont font = document()->defaultFont();
    if (block.kind == MarkdownBlock::Kind::Heading) {
        font.setPixelSize(qRound(font.pixelSize() * headingScale(block.level)));
        font.setWeight(QFont::DemiBold);
    }
    text.setFont(font);
    if (quotes > 0)
        text.setForeground(LauncherColors::of(this).secondary);

    if (first && cursor.position() == 0) {
        cursor.setBlockFormat(format);
        cursor.setBlockCharFormat(text);
    } else {
        cursor.insertBlock(format, text);
    }
    if (item && block.firstInItem) {
        // The marker is text hanging before the first line: a list of the
        // document's own would lay out every item again when one is added.
        const QString marker = markerText(*item, listDepth(block));
        QTextBlockFormat hanging = cursor.blockFormat();
        hanging.setIndent(listDepth(block) - 1);
        hanging.setLeftMargin(hanging.leftMargin() + kIndentWidth);
        hanging.setTextIndent(-QFontMetricsF(font).horizontalAdvance(marker));
        cursor.setBlockFormat(hanging);
        QTextCharFormat markerFormat = text;
        if (!item->ordered)
            markerFormat.setForeground(LauncherColors::of(this).secondary);
        cursor.insertText(marker, markerFormat);
    }
    if (block.kind == MarkdownBlock::Kind::Paragraph || block.kind == MarkdownBlock::Kind::Heading) {
        if (trackPieces) {
            m_pieceRaw = 0;
            m_pieceEnd = cursor.position();
            m_pieceFormat = text;
        }
        insertPieces(cursor, block.text, 0, text, trackPieces);
    }
}

void MarkdownView::insertPieces(QTextCursor &cursor, const QString &text, qsizetype from, const QTextCharFormat &base,
                                bool trackPieces)
{
    while (from < text.size()) {
        const qsizetype end = pieceEnd(text, from);
        insertInlineMarkdown(cursor, text.sliced(from, end - from), base);
        from = end;
        // A piece followed by more text is final.
        if (trackPieces && end < text.size()) {
            m_pieceRaw = end;
            m_pieceEnd = cursor.position();
        }
    }
}

void MarkdownView::splitLongBlock(QTextCursor &cursor)
{
    QTextBlock block = document()->findBlock(m_pieceEnd);
    if (block.length() < kSplitLength || m_pieceEnd <= block.position())
        return;
    document()->documentLayout()->blockBoundingRect(block); // lays it out
    const QTextLayout *layout = block.layout();
    const QTextLine line = layout->lineForTextPosition(m_pieceEnd - block.position());
    if (!line.isValid() || line.textStart() == 0)
        return;
    // The lines before stay broken as they are: split there, keeping the look.
    QTextBlockFormat format = block.blockFormat();
    format.setTopMargin(0);
    format.setProperty(kContinuationProperty, true);
    if (format.textIndent() < 0) {
        // Past the marker: the text column.
        format.setTextIndent(0);
    }
    cursor.setPosition(block.position() + line.textStart());
    cursor.insertBlock(format, block.charFormat());
    ++m_pieceEnd;
    m_hasSplits = true;
}

void MarkdownView::paintEvent(QPaintEvent *event)
{
    ProseView::paintEvent(event);
    // Quote bars beside the blocks on screen.
    QPainter painter(viewport());
    const QColor bar = LauncherColors::of(this).secondary;
    const QAbstractTextDocumentLayout *layout = document()->documentLayout();
    const int top = event->rect().top();
    const int bottom = event->rect().bottom();
    QTextBlock block = document()->findBlock(layout->hitTest(QPointF(0, top), Qt::FuzzyHit));
    if (block.previous().isValid())
        block = block.previous();
    for (; block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (rect.top() > bottom)
            break;
        const int depth = block.blockFormat().intProperty(kQuoteDepthProperty);
        const int above = block.previous().isValid() ? block.previous().blockFormat().intProperty(kQuoteDepthProperty) : 0;
        for (int level = 0; level < depth; ++level) {
            // A bar runs on through the gap above when the block before is in the same quote.
            const qreal gap = level < above ? block.blockFormat().topMargin() : 0;
            painter.fillRect(QRectF(level * kQuoteIndent + 1, rect.top() - gap, 3, rect.height() + gap),
                             withOpacity(bar, 0.45));
        }
    }
}
