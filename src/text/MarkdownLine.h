// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/MarkdownBlock.h"

#include <QStringList>
#include <QStringView>

// Recognisers for the lines that start or shape Markdown blocks. Each takes a
// line without its line feed, after the prefixes of the containers it is in.
namespace MarkdownLine {

// Columns of leading white space, a tab advancing to the next multiple of 4.
int indentOf(QStringView line);

// The index just past `columns` columns of leading white space (or past all of it).
qsizetype skipColumns(QStringView line, int columns);

struct ListMarker
{
    bool ordered = false;
    int number = 0;
    qsizetype markerEnd = 0; // index just past "-", "*", "+", "1." or "1)"
    qsizetype contentStart = 0; // index of the item's first content character
    int contentColumn = 0; // column where the item's content lines start
    bool empty = false; // nothing follows the marker on this line
};

// "- ", "* ", "+ ", "12. " or "12) " after at most three spaces.
bool readListMarker(QStringView line, ListMarker *marker);

// "[ ] " or "[x] " at the start of an item's content: the task it marks and its length.
MarkdownContainer::Task readTaskMarker(QStringView content, qsizetype *length);

// "#" to "######" followed by a space or the end; gives the level and the trimmed text.
bool readAtxHeading(QStringView line, int *level, QString *text);

// Three or more "-", "*" or "_" of one kind, spaces between allowed.
bool isThematicBreak(QStringView line);

// A setext underline: "=" gives 1, "-" gives 2, anything else 0.
int setextLevel(QStringView line);

// "> " after at most three spaces: the index of the quote's content, or -1.
qsizetype quoteContentStart(QStringView line);

// A table row's cells, trimmed, split at unescaped "|" ("\|" stays in the cell as "|").
QStringList tableCells(QStringView line);

// A delimiter row ("|:--|--:|"): its alignments, or an empty list when it is none.
QList<MarkdownAlign> tableDelimiters(QStringView line);

// A line that opens a block of its own, so it cannot continue a paragraph or a table.
bool startsBlock(QStringView line);

} // namespace MarkdownLine
