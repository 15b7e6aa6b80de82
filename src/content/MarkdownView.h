// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "content/ProseView.h"
#include "text/InlineMarkdown.h"
#include "text/MarkdownBlock.h"

#include <span>

class QTextCursor;

// Selectable prose laid out as a document: paragraphs, headings, lists with
// hanging markers (bullets, numbers as written, task boxes), quotes with a bar and rules, in one text
// document so a selection runs across them. While an answer streams only what
// changed is laid out again: blocks that settled stay, a long paragraph keeps
// its settled pieces, and its wrapped lines but the last ones are moved into
// blocks of their own that no later text touches.
class MarkdownView : public ProseView
{
    Q_OBJECT

public:
    explicit MarkdownView(QWidget *parent = nullptr);

    // Shows `blocks`; the first `settled` of them no longer change while the
    // text grows. `identity` names where the blocks come from: another one
    // renders from the top. Under one identity an open paragraph that stays
    // open changes only at its end, as a block reader's does (its text is not
    // compared again).
    void setBlocks(std::span<const MarkdownBlock> blocks, int settled, qint64 identity);
    // Renders from the top at the next setBlocks (after a width change, say).
    void invalidate() { m_identity = -1; }
    bool hasSplitParagraphs() const { return m_hasSplits; }
    // The whole text as copying all of it gives: a paragraph split for layout is one line.
    QString plainText() const;

    // Blocks that carry on a paragraph split for layout, and the quote depth of a block.
    static constexpr int kContinuationProperty = 0x100100;
    static constexpr int kQuoteDepthProperty = 0x100101;

protected:
    void paintEvent(QPaintEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void renderBlock(QTextCursor &cursor, const MarkdownBlock &block, const MarkdownBlock *previous, bool first,
                     bool trackPieces);
    void insertPieces(QTextCursor &cursor, const QString &text, qsizetype from, const QTextCharFormat &base,
                      bool trackPieces);
    void growPieces(QTextCursor &cursor, const QString &text, bool trackPieces);
    void breakAnywhereAfter(qsizetype pieceLength);
    int piecePosition(qsizetype offset) const;
    void freezeLines();
    void removeFrom(int position);
    QString textBetween(int from, int to) const;

    qint64 m_identity = -1;
    int m_doneCount = 0; // blocks rendered for good
    int m_doneEnd = 0; // document position after them
    QList<MarkdownBlock> m_tail; // blocks rendered after those, as they were
    qsizetype m_pieceRaw = 0; // of m_tail's first block: text rendered for good
    int m_pieceEnd = -1; // and where its rendering ends (-1: none)
    QList<InlineRun> m_pieceRuns; // the piece after it, as rendered
    QTextCharFormat m_pieceFormat;
    QList<int> m_splits; // in that block: where blocks of frozen lines end
    bool m_hasSplits = false;
};
