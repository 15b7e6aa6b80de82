// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/MarkdownLine.h"

namespace MarkdownLine {

namespace {

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

qsizetype firstNonSpace(QStringView line)
{
    qsizetype index = 0;
    while (index < line.size() && isSpace(line.at(index)))
        ++index;
    return index;
}

bool isBlank(QStringView line)
{
    return firstNonSpace(line) == line.size();
}

} // namespace

int indentOf(QStringView line)
{
    int column = 0;
    for (QChar c : line) {
        if (c == QLatin1Char(' '))
            ++column;
        else if (c == QLatin1Char('\t'))
            column += 4 - column % 4;
        else
            break;
    }
    return column;
}

qsizetype skipColumns(QStringView line, int columns)
{
    int column = 0;
    qsizetype index = 0;
    while (index < line.size() && column < columns && isSpace(line.at(index))) {
        column += line.at(index) == QLatin1Char('\t') ? 4 - column % 4 : 1;
        ++index;
    }
    return index;
}

bool readListMarker(QStringView line, ListMarker *marker)
{
    const int indent = indentOf(line);
    if (indent > 3)
        return false;
    const qsizetype start = firstNonSpace(line);
    if (start >= line.size())
        return false;
    qsizetype end = start;
    const QChar first = line.at(start);
    ListMarker found;
    if (first == QLatin1Char('-') || first == QLatin1Char('*') || first == QLatin1Char('+')) {
        end = start + 1;
    } else {
        while (end < line.size() && end - start < 9 && line.at(end).isDigit() && line.at(end).unicode() < 128)
            ++end;
        if (end == start || end >= line.size()
            || (line.at(end) != QLatin1Char('.') && line.at(end) != QLatin1Char(')')))
            return false;
        found.ordered = true;
        found.number = line.sliced(start, end - start).toInt();
        ++end;
    }
    if (end < line.size() && !isSpace(line.at(end)))
        return false;
    found.markerEnd = end;
    const int markerColumn = indent + int(end - start);
    const QStringView after = line.sliced(end);
    const int spaces = indentOf(after);
    found.empty = isBlank(after);
    if (found.empty || spaces > 4) {
        // One space belongs to the marker; the rest is the content's own indent.
        found.contentStart = found.empty ? line.size() : end + 1;
        found.contentColumn = markerColumn + 1;
    } else {
        found.contentStart = end + skipColumns(after, spaces);
        found.contentColumn = markerColumn + spaces;
    }
    *marker = found;
    return true;
}

MarkdownContainer::Task readTaskMarker(QStringView content, qsizetype *length)
{
    if (content.size() < 3 || content.at(0) != QLatin1Char('[') || content.at(2) != QLatin1Char(']'))
        return MarkdownContainer::Task::None;
    if (content.size() > 3 && !isSpace(content.at(3)))
        return MarkdownContainer::Task::None;
    const QChar mark = content.at(1);
    MarkdownContainer::Task task = MarkdownContainer::Task::None;
    if (mark == QLatin1Char(' '))
        task = MarkdownContainer::Task::Open;
    else if (mark == QLatin1Char('x') || mark == QLatin1Char('X'))
        task = MarkdownContainer::Task::Done;
    if (task != MarkdownContainer::Task::None)
        *length = qMin<qsizetype>(4, content.size());
    return task;
}

bool readAtxHeading(QStringView line, int *level, QString *text)
{
    if (indentOf(line) > 3)
        return false;
    const qsizetype start = firstNonSpace(line);
    qsizetype end = start;
    while (end < line.size() && line.at(end) == QLatin1Char('#'))
        ++end;
    const int hashes = int(end - start);
    if (hashes < 1 || hashes > 6 || (end < line.size() && !isSpace(line.at(end))))
        return false;
    QStringView rest = line.sliced(end).trimmed();
    // A closing run of "#" after a space is not part of the text.
    qsizetype close = rest.size();
    while (close > 0 && rest.at(close - 1) == QLatin1Char('#'))
        --close;
    if (close == 0)
        rest = {};
    else if (close < rest.size() && isSpace(rest.at(close - 1)))
        rest = rest.first(close).trimmed();
    *level = hashes;
    *text = rest.toString();
    return true;
}

bool isThematicBreak(QStringView line)
{
    if (indentOf(line) > 3)
        return false;
    QChar kind;
    int count = 0;
    for (QChar c : line) {
        if (isSpace(c))
            continue;
        if (c != QLatin1Char('-') && c != QLatin1Char('*') && c != QLatin1Char('_'))
            return false;
        if (count > 0 && c != kind)
            return false;
        kind = c;
        ++count;
    }
    return count >= 3;
}

int setextLevel(QStringView line)
{
    if (indentOf(line) > 3)
        return 0;
    const QStringView body = line.trimmed();
    if (body.isEmpty())
        return 0;
    const QChar kind = body.at(0);
    if (kind != QLatin1Char('=') && kind != QLatin1Char('-'))
        return 0;
    for (QChar c : body) {
        if (c != kind)
            return 0;
    }
    return kind == QLatin1Char('=') ? 1 : 2;
}

qsizetype quoteContentStart(QStringView line)
{
    if (indentOf(line) > 3)
        return -1;
    const qsizetype marker = firstNonSpace(line);
    if (marker >= line.size() || line.at(marker) != QLatin1Char('>'))
        return -1;
    return marker + 1 < line.size() && isSpace(line.at(marker + 1)) ? marker + 2 : marker + 1;
}

QStringList tableCells(QStringView line)
{
    QStringView body = line.trimmed();
    if (body.startsWith(QLatin1Char('|')))
        body = body.sliced(1);
    if (body.endsWith(QLatin1Char('|')) && !body.endsWith(QLatin1String("\\|")))
        body.chop(1);
    QStringList cells;
    QString cell;
    for (qsizetype index = 0; index < body.size(); ++index) {
        const QChar c = body.at(index);
        if (c == QLatin1Char('\\') && index + 1 < body.size() && body.at(index + 1) == QLatin1Char('|')) {
            cell += QLatin1Char('|');
            ++index;
        } else if (c == QLatin1Char('|')) {
            cells.append(cell.trimmed());
            cell.clear();
        } else {
            cell += c;
        }
    }
    cells.append(cell.trimmed());
    return cells;
}

QList<MarkdownAlign> tableDelimiters(QStringView line)
{
    // Most lines fail at their first letter: a long one is not split into cells.
    static const QLatin1String delimiterCharacters(" \t|:-");
    for (QChar c : line) {
        if (!delimiterCharacters.contains(c))
            return {};
    }
    if (indentOf(line) > 3 || !line.contains(QLatin1Char('|')))
        return {};
    QList<MarkdownAlign> aligns;
    for (const QString &cell : tableCells(line)) {
        QStringView body(cell);
        const bool left = body.startsWith(QLatin1Char(':'));
        const bool right = body.endsWith(QLatin1Char(':')) && body.size() > 1;
        body = body.sliced(left ? 1 : 0, body.size() - (left ? 1 : 0) - (right ? 1 : 0));
        if (body.isEmpty())
            return {};
        for (QChar c : body) {
            if (c != QLatin1Char('-'))
                return {};
        }
        aligns.append(left && right ? MarkdownAlign::Center
                          : left    ? MarkdownAlign::Left
                          : right   ? MarkdownAlign::Right
                                    : MarkdownAlign::None);
    }
    return aligns;
}

bool startsBlock(QStringView line)
{
    int level = 0;
    QString text;
    ListMarker marker;
    return quoteContentStart(line) >= 0 || isThematicBreak(line) || readAtxHeading(line, &level, &text)
        || (readListMarker(line, &marker) && !marker.empty);
}

} // namespace MarkdownLine
