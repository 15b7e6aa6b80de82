// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/MessageContent.h"

#include "content/CodeBlockView.h"
#include "content/FormulaText.h"
#include "content/MarkdownTableView.h"
#include "content/MarkdownView.h"
#include "platform/AssignIfChanged.h"

#include <QTextDocument>

#include <span>

namespace {

constexpr int kSpacing = 8;

} // namespace

MessageContent::MessageContent(const QString &raw, bool isUser, QWidget *parent)
    : QWidget(parent)
    , m_isUser(isUser)
{
    setRaw(raw);
}

void MessageContent::setRaw(const QString &raw)
{
    if (raw == m_raw && !m_parts.isEmpty())
        return;
    // Text that only grew leaves every segment but the last one as it was.
    const bool grew = raw.startsWith(m_raw);
    const int oldSegments = int(m_segmenter.segments().size());
    m_raw = raw;
    if (grew)
        m_segmenter.grow(raw);
    else
        m_segmenter.update(raw);
    update(grew ? qMax(0, oldSegments - 1) : 0, grew);
}

void MessageContent::setStreaming(bool streaming)
{
    if (!assignIfChanged(m_streaming, streaming))
        return;
    update(qMax(0, int(m_segmenter.segments().size()) - 1), false);
}

void MessageContent::update(int fromSegment, bool grew)
{
    const QList<ContentSegment> &segments = m_segmenter.segments();
    m_readers.resize(segments.size());
    const int settledBefore = fromSegment < m_readers.size() ? m_readers.at(fromSegment).settledCount() : 0;
    const int generationBefore = fromSegment < m_readers.size() ? m_readers.at(fromSegment).generation() : 0;
    for (int index = fromSegment; index < segments.size(); ++index) {
        if (!segments.at(index).isText())
            continue;
        const bool last = index == segments.size() - 1;
        // Open prose that only grew needs no comparing with what its reader read.
        if (grew && last && m_segmenter.lastGrew())
            m_readers[index].grow(segments.at(index).text, m_streaming);
        else
            m_readers[index].update(segments.at(index).text, m_streaming && last);
    }
    int firstPart = 0;
    while (firstPart < m_parts.size() && m_parts.at(firstPart).segment < fromSegment)
        ++firstPart;
    // Parts of settled blocks that a table closed stay as they are: a long
    // answer touches only its last parts.
    const bool sameReader = fromSegment < segments.size() && segments.at(fromSegment).isText()
        && m_readers.at(fromSegment).generation() == generationBefore;
    while (sameReader && firstPart + 1 < m_parts.size() && m_parts.at(firstPart).segment == fromSegment
           && m_parts.at(firstPart + 1).segment == fromSegment && m_parts.at(firstPart).end <= settledBefore
           && (m_parts.at(firstPart).kind == Part::Kind::Table || m_parts.at(firstPart + 1).kind == Part::Kind::Table))
        ++firstPart;
    const int fromBlock =
        firstPart > 0 && m_parts.at(firstPart - 1).segment == fromSegment ? m_parts.at(firstPart - 1).end : 0;
    m_parts.resize(firstPart);
    for (int index = fromSegment; index < segments.size(); ++index)
        appendParts(index, index == fromSegment ? fromBlock : 0, m_parts);

    for (int index = firstPart; index < m_parts.size(); ++index) {
        const Part &part = m_parts.at(index);
        if (index < m_entries.size()) {
            if (reuseEntry(m_entries.at(index), part))
                continue;
            delete m_entries.at(index);
            m_entries[index] = makeEntry(part);
        } else {
            m_entries.append(makeEntry(part));
        }
    }
    while (m_entries.size() > m_parts.size())
        delete m_entries.takeLast();
    relayout(firstPart);
}

void MessageContent::appendParts(int segment, int fromBlock, QList<Part> &parts) const
{
    const ContentSegment &content = m_segmenter.segments().at(segment);
    if (content.isCode()) {
        parts.append({Part::Kind::Code, segment, 0, 0});
        return;
    }
    const QList<MarkdownBlock> &blocks = m_readers.at(segment).blocks();
    int start = fromBlock;
    for (int index = fromBlock; index <= blocks.size(); ++index) {
        const bool table = index < blocks.size() && blocks.at(index).kind == MarkdownBlock::Kind::Table;
        if ((table || index == blocks.size()) && index > start)
            parts.append({Part::Kind::Prose, segment, start, index});
        if (table) {
            parts.append({Part::Kind::Table, segment, index, index + 1});
            start = index + 1;
        }
    }
}

SidewaysBlockView *MessageContent::followSize(SidewaysBlockView *block)
{
    connect(block, &SidewaysBlockView::contentSizeChanged, this,
            [this, block] { relayout(int(m_entries.indexOf(block))); });
    return block;
}

QWidget *MessageContent::makeEntry(const Part &part)
{
    QWidget *entry = nullptr;
    if (part.kind == Part::Kind::Code) {
        const ContentSegment &segment = m_segmenter.segments().at(part.segment);
        entry = followSize(new CodeBlockView(segment.lang, segment.body, this));
    } else if (part.kind == Part::Kind::Table) {
        entry = followSize(new MarkdownTableView(this));
    } else {
        auto *prose = new MarkdownView(this);
        connect(prose, &ProseView::formulasTypeset, this, [this, prose] { relayout(int(m_entries.indexOf(prose))); });
        if (m_isUser) {
            QPalette white = prose->palette();
            white.setColor(QPalette::Text, Qt::white);
            prose->setPalette(white);
        }
        if (m_layoutWidth > 0)
            prose->setLayoutWidth(m_layoutWidth);
        entry = prose;
    }
    feed(entry, part);
    entry->show();
    return entry;
}

bool MessageContent::reuseEntry(QWidget *entry, const Part &part)
{
    if (part.kind == Part::Kind::Code) {
        auto *block = qobject_cast<CodeBlockView *>(entry);
        const ContentSegment &segment = m_segmenter.segments().at(part.segment);
        if (!block || block->lang() != segment.lang)
            return false;
    } else if (part.kind == Part::Kind::Table) {
        if (!qobject_cast<MarkdownTableView *>(entry))
            return false;
    } else if (!qobject_cast<MarkdownView *>(entry)) {
        return false;
    }
    feed(entry, part);
    return true;
}

void MessageContent::feed(QWidget *entry, const Part &part)
{
    if (part.kind == Part::Kind::Code) {
        static_cast<CodeBlockView *>(entry)->setCodeBody(m_segmenter.segments().at(part.segment).body);
        return;
    }
    const MarkdownBlockReader &reader = m_readers.at(part.segment);
    if (part.kind == Part::Kind::Table) {
        static_cast<MarkdownTableView *>(entry)->setTable(reader.blocks().at(part.first));
        return;
    }
    const std::span<const MarkdownBlock> all(reader.blocks().constData(), size_t(reader.blocks().size()));
    const int settled = qBound(0, reader.settledCount() - part.first, part.end - part.first);
    const qint64 identity = (qint64(part.segment) << 40) | (qint64(reader.generation() & 0xffff) << 24) | part.first;
    static_cast<MarkdownView *>(entry)->setBlocks(all.subspan(size_t(part.first), size_t(part.end - part.first)),
                                                  settled, identity);
}

int MessageContent::entryHeight(QWidget *entry) const
{
    if (auto *prose = qobject_cast<ProseView *>(entry))
        return prose->contentHeight();
    return entry->heightForWidth(m_layoutWidth);
}

void MessageContent::setLayoutWidth(int width)
{
    if (!assignIfChanged(m_layoutWidth, width))
        return;
    for (int index = 0; index < m_entries.size(); ++index) {
        auto *prose = qobject_cast<MarkdownView *>(m_entries.at(index));
        if (!prose)
            continue;
        prose->setLayoutWidth(width);
        // Paragraphs split where their lines broke at the old width join again.
        if (prose->hasSplitParagraphs()) {
            prose->invalidate();
            feed(prose, m_parts.at(index));
        }
    }
    relayout(0);
}

int MessageContent::idealWidth() const
{
    int ideal = 0;
    for (QWidget *entry : m_entries) {
        if (auto *prose = qobject_cast<ProseView *>(entry))
            ideal = qMax(ideal, prose->idealWidth());
        else
            ideal = qMax(ideal, static_cast<SidewaysBlockView *>(entry)->idealWidth());
    }
    return qMin(ideal, m_layoutWidth);
}

QString MessageContent::plainText() const
{
    QStringList parts;
    for (QWidget *entry : m_entries) {
        if (auto *prose = qobject_cast<MarkdownView *>(entry))
            parts.append(prose->plainText());
        else if (auto *table = qobject_cast<MarkdownTableView *>(entry))
            parts.append(
                formulaAwareText(table->grid()->document(), 0, table->grid()->document()->characterCount() - 1));
        else
            parts.append(static_cast<CodeBlockView *>(entry)->codeBody());
    }
    return parts.join(QLatin1Char('\n'));
}

void MessageContent::relayout(int from)
{
    if (from < 0 || m_layoutWidth <= 0)
        return;
    m_tops.resize(m_entries.size());
    int y = 0;
    if (from > 0 && from <= m_entries.size()) {
        // Entries before `from` keep their place.
        y = m_tops.at(from - 1) + m_entries.at(from - 1)->height() + kSpacing;
    } else {
        from = 0;
    }
    for (int index = from; index < m_entries.size(); ++index) {
        QWidget *entry = m_entries.at(index);
        if (auto *prose = qobject_cast<ProseView *>(entry))
            prose->setLayoutWidth(m_layoutWidth);
        m_tops[index] = y;
        const int height = entryHeight(entry);
        entry->setGeometry(0, y, m_layoutWidth, height);
        y += height + kSpacing;
    }
    m_height = qMax(0, y - kSpacing);
    Q_EMIT contentSizeChanged();
}
