#pragma once

#include <QString>

class QTextCharFormat;
class QTextCursor;

// Inserts text read as inline Markdown at the cursor, each run in its own
// character format on top of the document's default font.
void insertInlineMarkdown(QTextCursor &cursor, const QString &text);

// The same on top of `base`, with line breaks kept inside the current block
// (as line separators), so a paragraph stays one block.
void insertInlineMarkdown(QTextCursor &cursor, const QString &text, const QTextCharFormat &base);

// The length of the part of text that ends with its last empty line. No inline
// element crosses an empty line, so that part renders the same whatever follows.
int stableInlinePrefixLength(const QString &text);
