// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/MarkdownBlockReader.h"

#include "text/FenceLine.h"
#include "text/MarkdownLine.h"

using namespace MarkdownLine;

namespace {

using State = MarkdownBlockReader::State;

bool isBlank(QStringView line)
{
    for (QChar c : line) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    }
    return true;
}

// Only markers so far: the line may still become any of several blocks.
bool holdsOnlyMarkers(QStringView line)
{
    static const QLatin1String markers(" \t-*_=+#>|:.)[]xX~`");
    for (QChar c : line) {
        if (!markers.contains(c) && !(c.unicode() < 128 && c.isDigit()))
            return false;
    }
    return true;
}

QStringView trimmedStart(QStringView line)
{
    qsizetype index = 0;
    while (index < line.size() && (line.at(index) == QLatin1Char(' ') || line.at(index) == QLatin1Char('\t')))
        ++index;
    return line.sliced(index);
}

// A line's end before the next line: trailing spaces go, and a backslash that
// asked for a hard break is dropped (every line break already breaks).
void endLineBeforeBreak(QString &text)
{
    while (text.endsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char('\t')))
        text.chop(1);
    qsizetype slashes = 0;
    while (slashes < text.size() && text.at(text.size() - 1 - slashes) == QLatin1Char('\\'))
        ++slashes;
    if (slashes % 2 == 1)
        text.chop(1);
}

int depthOf(const State &state)
{
    return int(state.open.size());
}

void forgetEndedList(State &state)
{
    state.endedLists.resize(depthOf(state) + 1);
    state.endedLists[depthOf(state)] = {};
}

void closeLeaf(State &state, QList<MarkdownBlock> &out)
{
    if (!state.hasLeaf)
        return;
    if (state.leaf.kind != MarkdownBlock::Kind::Table) {
        while (state.leaf.text.endsWith(QLatin1Char(' ')) || state.leaf.text.endsWith(QLatin1Char('\t')))
            state.leaf.text.chop(1);
    }
    out.append(std::move(state.leaf));
    state.leaf = {};
    state.hasLeaf = false;
    state.leafLines = 0;
}

// Takes the blanks off the end of a paragraph's text into `blanks`.
void takeTrailingBlanks(QString &text, QString &blanks)
{
    qsizetype end = text.size();
    while (end > 0 && (text.at(end - 1) == QLatin1Char(' ') || text.at(end - 1) == QLatin1Char('\t')))
        --end;
    blanks = text.sliced(end);
    text.truncate(end);
}

// A new leaf block in the innermost open container.
MarkdownBlock newLeaf(State &state, MarkdownBlock::Kind kind)
{
    forgetEndedList(state);
    MarkdownBlock block;
    block.kind = kind;
    block.containers.reserve(state.open.size());
    for (const auto &open : std::as_const(state.open))
        block.containers.append(open.container);
    if (!state.open.isEmpty() && state.open.last().container.kind == MarkdownContainer::Kind::ListItem) {
        block.firstInItem = !state.open.last().hasBlock;
        state.open.last().hasBlock = true;
    }
    return block;
}

void popContainer(State &state)
{
    const auto closed = state.open.takeLast();
    state.endedLists.resize(depthOf(state) + 1);
    if (closed.container.kind == MarkdownContainer::Kind::ListItem)
        state.endedLists[depthOf(state)] = {closed.container.listId, closed.bullet};
    else
        state.endedLists[depthOf(state)] = {};
}

void pushQuote(State &state)
{
    forgetEndedList(state);
    MarkdownBlockReader::OpenContainer quote;
    quote.container.kind = MarkdownContainer::Kind::Quote;
    quote.container.id = state.nextId++;
    state.open.append(quote);
}

void pushItem(State &state, const ListMarker &marker, QChar bullet, MarkdownContainer::Task task)
{
    state.endedLists.resize(depthOf(state) + 1);
    const MarkdownBlockReader::EndedList ended = state.endedLists.at(depthOf(state));
    MarkdownBlockReader::OpenContainer item;
    item.container.kind = MarkdownContainer::Kind::ListItem;
    item.container.ordered = marker.ordered;
    item.container.number = marker.number;
    item.container.task = task;
    item.container.id = state.nextId++;
    item.container.listId = ended.listId != 0 && ended.bullet == bullet ? ended.listId : item.container.id;
    item.contentColumn = marker.contentColumn;
    item.bullet = bullet;
    state.endedLists[depthOf(state)] = {};
    state.open.append(item);
}

void appendParagraphLine(State &state, QStringView line)
{
    endLineBeforeBreak(state.leaf.text);
    state.leaf.text += QLatin1Char('\n');
    state.leaf.text += trimmedStart(line);
    ++state.leafLines;
}

void startParagraph(State &state, QList<MarkdownBlock> &out, QStringView line)
{
    closeLeaf(state, out);
    state.leaf = newLeaf(state, MarkdownBlock::Kind::Paragraph);
    state.leaf.text = trimmedStart(line).toString();
    state.leafLines = 1;
    state.hasLeaf = true;
}

void appendTableRow(State &state, QStringView line)
{
    QStringList cells = tableCells(line);
    cells.resize(state.leaf.aligns.size());
    state.leaf.rows.append(cells);
}

bool isParagraph(const State &state)
{
    return state.hasLeaf && state.leaf.kind == MarkdownBlock::Kind::Paragraph;
}

// The line went into the open paragraph as its text: what follows on it will too.
bool endsParagraphWith(const State &state, QStringView line)
{
    qsizetype first = 0;
    while (first < line.size() && holdsOnlyMarkers(line.sliced(first, 1)))
        ++first;
    return isParagraph(state) && first < line.size() && state.leaf.text.endsWith(line.sliced(first));
}

void readLine(State &state, QList<MarkdownBlock> &out, QStringView line)
{
    // The open containers this line continues.
    QStringView rest = line;
    int matched = 0;
    for (; matched < state.open.size(); ++matched) {
        const auto &open = state.open.at(matched);
        if (open.container.kind == MarkdownContainer::Kind::Quote) {
            const qsizetype content = quoteContentStart(rest);
            if (content < 0)
                break;
            rest = rest.sliced(content);
        } else if (!isBlank(rest)) {
            if (indentOf(rest) < open.contentColumn)
                break;
            rest = rest.sliced(skipColumns(rest, open.contentColumn));
        }
    }
    if (matched < state.open.size()) {
        // A paragraph goes on lazily through a line that starts nothing new.
        if (isParagraph(state) && !isBlank(rest) && !startsBlock(rest) && !setextLevel(rest)) {
            appendParagraphLine(state, rest);
            return;
        }
        closeLeaf(state, out);
        while (state.open.size() > matched)
            popContainer(state);
    }

    // New containers.
    bool opened = false;
    for (;;) {
        const qsizetype quote = quoteContentStart(rest);
        if (quote >= 0) {
            closeLeaf(state, out);
            pushQuote(state);
            rest = rest.sliced(quote);
            opened = true;
            continue;
        }
        ListMarker marker;
        if (!isThematicBreak(rest) && readListMarker(rest, &marker)) {
            // Only a bullet or a "1." with text may interrupt a paragraph.
            if (isParagraph(state) && !opened && (marker.empty || (marker.ordered && marker.number != 1)))
                break;
            closeLeaf(state, out);
            const QChar bullet = rest.at(marker.markerEnd - 1);
            rest = rest.sliced(marker.contentStart);
            qsizetype taskLength = 0;
            const MarkdownContainer::Task task = readTaskMarker(rest, &taskLength);
            rest = rest.sliced(taskLength);
            pushItem(state, marker, bullet, task);
            opened = true;
            continue;
        }
        break;
    }

    if (isBlank(rest)) {
        closeLeaf(state, out);
        return;
    }
    if (!opened && isParagraph(state)) {
        if (const int level = setextLevel(rest)) {
            state.leaf.kind = MarkdownBlock::Kind::Heading;
            state.leaf.level = level;
            closeLeaf(state, out);
            return;
        }
        const QList<MarkdownAlign> aligns = state.leafLines == 1 ? tableDelimiters(rest) : QList<MarkdownAlign>();
        if (!aligns.isEmpty()) {
            QStringList header = tableCells(state.leaf.text);
            if (header.size() == aligns.size()) {
                state.leaf.kind = MarkdownBlock::Kind::Table;
                state.leaf.text.clear();
                state.leaf.aligns = aligns;
                state.leaf.rows = {header};
                return;
            }
        }
    }
    const bool inTable = state.hasLeaf && state.leaf.kind == MarkdownBlock::Kind::Table;
    if (!opened && inTable && !startsBlock(rest)) {
        appendTableRow(state, rest);
        return;
    }
    int level = 0;
    QString heading;
    if (readAtxHeading(rest, &level, &heading)) {
        closeLeaf(state, out);
        state.leaf = newLeaf(state, MarkdownBlock::Kind::Heading);
        state.leaf.level = level;
        state.leaf.text = heading;
        state.hasLeaf = true;
        closeLeaf(state, out);
        return;
    }
    if (isThematicBreak(rest)) {
        closeLeaf(state, out);
        state.leaf = newLeaf(state, MarkdownBlock::Kind::Rule);
        state.hasLeaf = true;
        closeLeaf(state, out);
        return;
    }
    if (!opened && isParagraph(state)) {
        appendParagraphLine(state, rest);
        return;
    }
    startParagraph(state, out, rest);
}

} // namespace

void MarkdownBlockReader::update(const QString &text, bool streaming)
{
    if (!QStringView(text).startsWith(m_text)) {
        m_consumed = 0;
        m_scanned = 0;
        m_state = {};
        m_blocks.clear();
        m_settled = 0;
        m_open = {};
        ++m_generation;
    }
    grow(text, streaming);
}

void MarkdownBlockReader::grow(const QString &text, bool streaming)
{
    m_text = text;
    m_blocks.resize(m_settled);

    for (;;) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), qMax(m_consumed, m_scanned));
        if (end < 0) {
            m_scanned = text.size();
            break;
        }
        readLine(m_state, m_blocks,
                 FenceLine::withoutCarriageReturn(QStringView(text).sliced(m_consumed, end - m_consumed)));
        m_consumed = end + 1;
    }
    m_settled = int(m_blocks.size());

    // The unfinished last line and the open leaf, on a copy of the state.
    const QStringView last = FenceLine::withoutCarriageReturn(QStringView(text).sliced(m_consumed));
    if (m_open.start == m_consumed && m_open.streaming == streaming && last.size() >= m_open.length) {
        // The same line, longer: a long paragraph costs what was appended to it.
        QString &leaf = m_open.state.leaf.text;
        leaf += m_open.blanks;
        leaf += last.sliced(m_open.length);
        takeTrailingBlanks(leaf, m_open.blanks);
        m_open.length = last.size();
        m_blocks += m_open.closed;
        m_blocks.append(m_open.state.leaf);
        return;
    }
    m_open = {};
    State state = m_state;
    const qsizetype closedFrom = m_blocks.size();
    const bool lastWaits = streaming && holdsOnlyMarkers(last);
    if (!last.isEmpty() && !lastWaits)
        readLine(state, m_blocks, last);
    // A lone row of cells may yet become a table's header.
    const bool headerWaits =
        streaming && isParagraph(state) && state.leafLines == 1 && state.leaf.text.startsWith(QLatin1Char('|'));
    if (headerWaits)
        return;
    if (!lastWaits && endsParagraphWith(state, last)) {
        m_open.start = m_consumed;
        m_open.length = last.size();
        m_open.streaming = streaming;
        m_open.closed = m_blocks.sliced(closedFrom);
        takeTrailingBlanks(state.leaf.text, m_open.blanks);
        m_open.state = state;
    }
    closeLeaf(state, m_blocks);
}

QList<MarkdownBlock> parseMarkdownBlocks(const QString &text, bool streaming)
{
    MarkdownBlockReader reader;
    reader.update(text, streaming);
    return reader.blocks();
}
