// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/ContentSegmenter.h"
#include "text/MarkdownBlockReader.h"

#include <QList>
#include <QWidget>

class SidewaysBlockView;

// The text of a message as stacked entries: prose documents (headings, lists,
// quotes, rules and paragraphs), tables and code blocks. Entries are kept by
// position, so while an answer streams only the last entries are touched.
class MessageContent : public QWidget
{
    Q_OBJECT

public:
    MessageContent(const QString &raw, bool isUser, QWidget *parent = nullptr);

    QString raw() const { return m_raw; }
    void setRaw(const QString &raw);
    // While streaming, a half-received last line waits until its kind is known.
    void setStreaming(bool streaming);

    // The host proposes a width; the content reports how much of it it needs.
    void setLayoutWidth(int width);
    int idealWidth() const;
    int contentHeight() const { return m_height; }

    // The entry widgets in order: a MarkdownView, a MarkdownTableView or a CodeBlockView each.
    QList<QWidget *> entries() const { return m_entries; }
    // The whole message as plain text, as a selection of all of it copies.
    QString plainText() const;

Q_SIGNALS:
    void contentSizeChanged();

private:
    struct Part
    {
        enum class Kind { Prose, Table, Code };
        Kind kind = Kind::Prose;
        int segment = 0;
        int first = 0; // blocks [first, end) of the segment's reader
        int end = 0;
    };

    void update(int fromSegment, bool grew);
    void appendParts(int segment, int fromBlock, QList<Part> &parts) const;
    QWidget *makeEntry(const Part &part);
    SidewaysBlockView *followSize(SidewaysBlockView *block);
    bool reuseEntry(QWidget *entry, const Part &part);
    void feed(QWidget *entry, const Part &part);
    void relayout(int from);
    int entryHeight(QWidget *entry) const;

    QString m_raw;
    bool m_isUser;
    bool m_streaming = false;
    ContentSegmenter m_segmenter;
    QList<MarkdownBlockReader> m_readers; // one per segment (code segments leave theirs empty)
    QList<Part> m_parts;
    QList<QWidget *> m_entries;
    QList<int> m_tops;
    int m_layoutWidth = 0;
    int m_height = 0;
};
