// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/InlineMarkdown.h"

#include <QString>

class QTextCharFormat;
class QTextCursor;

// Inserts text read as inline Markdown at the cursor, each run in its own
// character format on top of the document's default font.
void insertInlineMarkdown(QTextCursor &cursor, const QString &text);

// The same on top of `base`, with line breaks kept inside the current block
// (as line separators), so a paragraph stays one block.
void insertInlineMarkdown(QTextCursor &cursor, const QString &text, const QTextCharFormat &base);

// Inserts the runs' text from character `from` on, as the call above does for all of it.
void insertInlineRuns(QTextCursor &cursor, const QList<InlineRun> &runs, qsizetype from, const QTextCharFormat &base);

// The first character of the runs' text that differs between `a` and `b`, in
// itself or in its look; the shorter length when one is the other's start.
qsizetype firstDifference(const QList<InlineRun> &a, const QList<InlineRun> &b);

// The length of the part of text that ends with its last empty line. No inline
// element crosses an empty line, so that part renders the same whatever follows.
int stableInlinePrefixLength(const QString &text);
