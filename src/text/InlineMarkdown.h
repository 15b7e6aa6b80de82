// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QList>
#include <QString>

enum class InlineStyle : quint8 {
    Strong = 0x1, // **text** or __text__
    Emphasis = 0x2, // *text* or _text_
    Code = 0x4, // `text`
    Strikethrough = 0x8, // ~~text~~ or ~text~
    Link = 0x10, // [text](target) or <scheme:target>; the run's link holds the target
    Math = 0x20, // $tex$ or \(tex\): one object character per formula, the link holds the source
    DisplayMath = 0x40, // with Math: $$tex$$ or \[tex\], on a centred line of its own
};
Q_DECLARE_FLAGS(InlineStyles, InlineStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(InlineStyles)

// A stretch of text in one style. Adjacent runs always differ in style or link.
struct InlineRun
{
    QString text;
    InlineStyles styles;
    QString link; // a link's target, or a formula's source with its delimiters

    friend bool operator==(const InlineRun &a, const InlineRun &b)
    {
        return a.text == b.text && a.styles == b.styles && a.link == b.link;
    }
};

// Reads inline Markdown only: strong, emphasis, code spans, links,
// strikethrough, backslash escapes and TeX formulas. Block syntax ("# ", "- ", "> ", "1.")
// stays literal, white space and line breaks stay as they are, unmatched
// markers stay literal, and no inline element crosses a blank line (as none
// crosses paragraphs). Any input gives a result; the runs' texts joined are
// the text with the markup taken out, and each formula an object replacement
// character (U+FFFC) whose run holds the formula's source with its delimiters.
QList<InlineRun> parseInlineMarkdown(const QString &text);

// Joins the runs' texts.
QString inlinePlainText(const QList<InlineRun> &runs);
