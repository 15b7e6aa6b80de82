// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/MarkdownView.h"

#include "content/FormulaText.h"
#include "content/InlineRendering.h"
#include "text/MathDelimiters.h"
#include "ui/LauncherColors.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace {

// Long paragraphs are read for inline Markdown in pieces of at least this many
// characters, each ending at a space or line break outside formulas, so a streamed paragraph
// costs its last piece; a piece is laid out again only while it is the last.
constexpr qsizetype kPieceLength = 2048;
// A streaming paragraph keeps its last lines in a block of their own, laid
// out again as text comes; once it has this many more, they are moved into a
// block before it (lines above the last one stay as they are when a
// left-to-right paragraph grows).
constexpr int kOpenLines = 2;
constexpr int kFrozenLines = 4;

// A piece this much longer than kPieceLength holds a run of characters with
// no space or line break in it (a model stuck on one letter, a blob). Qt looks
// for the run's end again on each of its lines, so the view breaks lines
// anywhere from then on rather than take seconds per line.
constexpr qsizetype kUnbrokenLength = 10000;

constexpr int kIndentWidth = 26;
constexpr int kQuoteIndent = 14;

qsizetype pieceEnd(const QString &text, qsizetype from)
{
    if (text.size() - from <= kPieceLength)
        return text.size();
    for (qsizetype index = from + kPieceLength; index < text.size(); ++index) {
        const QChar c = text.at(index);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\n'))
            return mathSafeCut(text, from, index + 1);
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
    case 1:
        return 1.5;
    case 2:
        return 1.3;
    case 3:
        return 1.15;
    default:
        return 1.0;
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
        m_splits.clear();
        m_hasSplits = false;
        if (wordWrapMode() != QTextOption::WrapAtWordBoundaryOrAnywhere)
            setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
    // Nothing new since the last time?
    if (int(blocks.size()) == m_doneCount + m_tail.size()
        && std::equal(m_tail.cbegin(), m_tail.cend(), blocks.begin() + m_doneCount))
        return;

    QTextCursor cursor(document());
    cursor.beginEditBlock();
    int index = m_doneCount;
    const MarkdownBlock *first = index < int(blocks.size()) ? &blocks[index] : nullptr;
    const bool grewInPlace = first && !m_tail.isEmpty() && m_pieceEnd >= 0 && sameLeaf(m_tail.first(), *first)
        && first->text.size() >= m_pieceRaw;
    if (grewInPlace) {
        growPieces(cursor, first->text, index == settled);
        if (index + 1 == settled)
            m_doneEnd = cursor.position();
        ++index;
    } else {
        if (m_doneEnd == 0) {
            document()->clear();
        } else {
            removeFrom(m_doneEnd);
            cursor.setPosition(m_doneEnd);
        }
        m_pieceEnd = -1;
        m_splits.clear();
    }
    for (; index < int(blocks.size()); ++index) {
        const MarkdownBlock *previous = index > 0 ? &blocks[index - 1] : nullptr;
        renderBlock(cursor, blocks[index], previous, index == 0, index == settled);
        if (index + 1 == settled)
            m_doneEnd = cursor.position();
    }
    m_doneCount = settled;
    m_tail = QList<MarkdownBlock>(blocks.begin() + settled, blocks.end());
    // The open paragraph's text is not held on to: its reader then extends it in place.
    if (m_pieceEnd >= 0)
        m_tail.first().text.clear();
    cursor.endEditBlock();
    if (m_pieceEnd >= 0)
        freezeLines();
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
        format.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                           QTextLength(QTextLength::PercentageLength, 100));
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
            m_pieceRuns.clear();
            m_pieceFormat = text;
            m_splits.clear();
        }
        insertPieces(cursor, block.text, 0, text, trackPieces);
    }
}

void MarkdownView::insertPieces(QTextCursor &cursor, const QString &text, qsizetype from, const QTextCharFormat &base,
                                bool trackPieces)
{
    while (from < text.size()) {
        const qsizetype end = pieceEnd(text, from);
        breakAnywhereAfter(end - from);
        const QList<InlineRun> runs = parseInlineMarkdown(text.sliced(from, end - from));
        insertInlineRuns(cursor, runs, 0, base);
        from = end;
        if (!trackPieces)
            continue;
        // A piece followed by more text is final.
        if (end < text.size()) {
            m_pieceRaw = end;
            m_pieceEnd = cursor.position();
        } else {
            m_pieceRuns = runs;
        }
    }
}

void MarkdownView::growPieces(QTextCursor &cursor, const QString &text, bool trackPieces)
{
    // The last piece changes only from where it reads differently now.
    const qsizetype end = pieceEnd(text, m_pieceRaw);
    breakAnywhereAfter(end - m_pieceRaw);
    const QList<InlineRun> runs = parseInlineMarkdown(text.sliced(m_pieceRaw, end - m_pieceRaw));
    const qsizetype same = firstDifference(m_pieceRuns, runs);
    int at = piecePosition(same);
    while (!m_splits.isEmpty() && m_splits.constLast() >= at)
        m_splits.removeLast();
    // A change in the first line after frozen lines can pull a word up into
    // the last of them: they join the open lines again.
    bool join = false;
    if (!m_splits.isEmpty()) {
        const QTextBlock open = document()->findBlock(m_splits.constLast() + 1);
        const QTextLayout *layout = open.layout();
        join = !layout || layout->lineCount() < 2 || at < open.position() + layout->lineAt(1).textStart();
    }
    removeFrom(at);
    if (join) {
        const int separator = m_splits.takeLast();
        cursor.setPosition(separator);
        const QTextBlockFormat format = cursor.blockFormat();
        const QTextCharFormat charFormat = cursor.blockCharFormat();
        cursor.deleteChar();
        cursor.setBlockFormat(format);
        cursor.setBlockCharFormat(charFormat);
        --at;
        if (separator < m_pieceEnd)
            --m_pieceEnd;
    }
    cursor.setPosition(at);
    insertInlineRuns(cursor, runs, same, m_pieceFormat);
    if (end < text.size()) {
        if (trackPieces) {
            m_pieceRaw = end;
            m_pieceEnd = cursor.position();
        }
        insertPieces(cursor, text, end, m_pieceFormat, trackPieces);
    } else {
        m_pieceRuns = runs;
    }
    if (!trackPieces) {
        m_pieceEnd = -1;
        m_splits.clear();
    }
}

void MarkdownView::breakAnywhereAfter(qsizetype pieceLength)
{
    if (pieceLength > kPieceLength + kUnbrokenLength && wordWrapMode() != QTextOption::WrapAnywhere)
        setWordWrapMode(QTextOption::WrapAnywhere);
}

// The document position of a character of the last piece, past the frozen lines' block ends in it.
int MarkdownView::piecePosition(qsizetype offset) const
{
    int position = m_pieceEnd + int(offset);
    for (auto it = std::lower_bound(m_splits.cbegin(), m_splits.cend(), m_pieceEnd);
         it != m_splits.cend() && *it <= position; ++it)
        ++position;
    return position;
}

void MarkdownView::freezeLines()
{
    QTextBlock block = document()->findBlock(m_pieceEnd);
    while (block.next().isValid() && block.next().blockFormat().boolProperty(kContinuationProperty))
        block = block.next();
    // Right-to-left lines fill from the other side: they stay together.
    if (block.textDirection() != Qt::LeftToRight)
        return;
    document()->documentLayout()->blockBoundingRect(block); // lays it out
    const QTextLayout *layout = block.layout();
    if (layout->lineCount() < kFrozenLines + kOpenLines)
        return;
    QTextBlockFormat format = block.blockFormat();
    format.setTopMargin(0);
    format.setProperty(kContinuationProperty, true);
    format.setLayoutDirection(Qt::LeftToRight);
    if (format.textIndent() < 0) {
        // Past the marker: the text column.
        format.setTextIndent(0);
    }
    // Not after a line break: a block ending in one shows an empty line more.
    int line = layout->lineCount() - kOpenLines;
    const QString text = block.text();
    while (line > 0 && text.at(layout->lineAt(line).textStart() - 1) == QChar::LineSeparator)
        --line;
    if (line == 0)
        return;
    const int at = block.position() + layout->lineAt(line).textStart();
    QTextCursor cursor(document());
    cursor.setPosition(at);
    cursor.insertBlock(format, block.charFormat());
    if (at <= m_pieceEnd)
        ++m_pieceEnd;
    m_splits.append(at);
    m_hasSplits = true;
}

QString MarkdownView::textBetween(int from, int to) const
{
    // A block of frozen lines runs on into the next one without a break.
    return formulaAwareText(document(), from, to, kContinuationProperty);
}

QString MarkdownView::plainText() const
{
    return textBetween(0, document()->characterCount() - 1);
}

QMimeData *MarkdownView::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    const QTextCursor selection = textCursor();
    data->setText(textBetween(selection.selectionStart(), selection.selectionEnd()));
    return data;
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
        const int above =
            block.previous().isValid() ? block.previous().blockFormat().intProperty(kQuoteDepthProperty) : 0;
        for (int level = 0; level < depth; ++level) {
            // A bar runs on through the gap above when the block before is in the same quote.
            const qreal gap = level < above ? block.blockFormat().topMargin() : 0;
            painter.fillRect(QRectF(level * kQuoteIndent + 1, rect.top() - gap, 3, rect.height() + gap),
                             withOpacity(bar, 0.45));
        }
    }
}
