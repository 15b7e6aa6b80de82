// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/MarkdownBlock.h"

#include <QList>
#include <QString>
#include <QStringView>

// Reads the block structure of Markdown prose (no fenced code: that is cut
// out before): ATX and setext headings, nested bullet, numbered and task
// lists, block quotes, thematic breaks and GitHub tables, after the
// CommonMark block rules. Leaf text stays inline Markdown for the inline reader.
//
// For a text that grows, lines already read are not read again: each update
// costs about the appended text plus the open leaf block. Any other change
// starts over. While `streaming`, the unfinished last line is left out until
// it holds more than markers (so "-" does not show as a heading underline and
// then as a list), and a lone "| a | b |" line waits for the line that makes
// it a table or not. blocks() is always what a fresh reader gives for the
// same text and flag.
class MarkdownBlockReader
{
public:
    void update(const QString &text, bool streaming);
    // update() for a text known to start with the last one: it is not compared.
    void grow(const QString &text, bool streaming);

    const QList<MarkdownBlock> &blocks() const { return m_blocks; }
    // blocks()[0, settledCount()) stay as they are while the text only grows.
    int settledCount() const { return m_settled; }
    // Changes whenever the reader starts over.
    int generation() const { return m_generation; }

    struct OpenContainer
    {
        MarkdownContainer container;
        int contentColumn = 0;
        QChar bullet; // "-", "*", "+", "." or ")"
        bool hasBlock = false; // a leaf block has started in it
    };
    struct EndedList
    {
        int listId = 0;
        QChar bullet;
    };
    struct State
    {
        QList<OpenContainer> open;
        QList<EndedList> endedLists; // per depth: the list a new item there continues
        bool hasLeaf = false;
        MarkdownBlock leaf; // the open paragraph or table
        int leafLines = 0;
        int nextId = 1;
    };

    // The unfinished last line as read into an open paragraph, kept so that
    // text appended to it goes on the paragraph without reading it again.
    struct OpenLine
    {
        qsizetype start = -1; // where the line starts (-1: none kept)
        qsizetype length = 0;
        bool streaming = false;
        State state; // after reading it, with the paragraph's trailing blanks taken off
        QString blanks; // those blanks
        QList<MarkdownBlock> closed; // the blocks reading it closed
    };

private:
    QString m_text;
    qsizetype m_consumed = 0;
    qsizetype m_scanned = 0; // no line feed between m_consumed and this
    State m_state;
    QList<MarkdownBlock> m_blocks;
    OpenLine m_open;
    int m_settled = 0;
    int m_generation = 0;
};

// The blocks of a whole text, as a fresh reader gives them.
QList<MarkdownBlock> parseMarkdownBlocks(const QString &text, bool streaming = false);
