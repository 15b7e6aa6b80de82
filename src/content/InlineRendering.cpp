// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/InlineRendering.h"

#include "content/FormulaObject.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

QTextCharFormat runFormat(const InlineRun &run, const QTextCharFormat &plain)
{
    if (run.styles & InlineStyle::Math)
        return FormulaObject::format(run.link, bool(run.styles & InlineStyle::DisplayMath), plain);
    QTextCharFormat format = plain;
    if (run.styles & InlineStyle::Code) {
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPixelSize(qMax(1, plain.font().pixelSize() - 1));
        format.setFont(mono);
        format.setBackground(QColor(127, 127, 127, 40));
    }
    if (run.styles & InlineStyle::Strong)
        format.setFontWeight(QFont::Bold);
    if (run.styles & InlineStyle::Emphasis)
        format.setFontItalic(true);
    if (run.styles & InlineStyle::Strikethrough)
        format.setFontStrikeOut(true);
    if (run.styles & InlineStyle::Link) {
        format.setAnchor(true);
        format.setAnchorHref(run.link);
        format.setFontUnderline(true);
        format.setForeground(QColor(64, 156, 255));
    }
    return format;
}

void insertRuns(QTextCursor &cursor, const QList<InlineRun> &runs, qsizetype from, const QTextCharFormat &plain,
                bool keepBlock)
{
    QString plainText = inlinePlainText(runs).sliced(from);
    if (plainText.isEmpty())
        return;
    // One insertion, then the styles over their ranges, in one edit: every
    // separate insertion would lay the paragraph out again.
    cursor.beginEditBlock();
    const int start = cursor.position();
    if (keepBlock)
        plainText.replace(QLatin1Char('\n'), QChar::LineSeparator);
    cursor.insertText(plainText, plain);
    const int end = cursor.position();
    qsizetype runStart = 0;
    for (const InlineRun &run : runs) {
        const qsizetype runEnd = runStart + run.text.size();
        if (run.styles && runEnd > from) {
            cursor.setPosition(start + int(qMax(runStart, from) - from));
            cursor.setPosition(start + int(runEnd - from), QTextCursor::KeepAnchor);
            cursor.setCharFormat(runFormat(run, plain));
        }
        runStart = runEnd;
    }
    cursor.setPosition(end);
    cursor.endEditBlock();
}

} // namespace

void insertInlineMarkdown(QTextCursor &cursor, const QString &text)
{
    QTextCharFormat plain;
    plain.setFont(cursor.document()->defaultFont());
    insertRuns(cursor, parseInlineMarkdown(text), 0, plain, false);
}

void insertInlineMarkdown(QTextCursor &cursor, const QString &text, const QTextCharFormat &base)
{
    insertRuns(cursor, parseInlineMarkdown(text), 0, base, true);
}

void insertInlineRuns(QTextCursor &cursor, const QList<InlineRun> &runs, qsizetype from, const QTextCharFormat &base)
{
    insertRuns(cursor, runs, from, base, true);
}

qsizetype firstDifference(const QList<InlineRun> &a, const QList<InlineRun> &b)
{
    qsizetype offset = 0;
    for (qsizetype index = 0; index < a.size() && index < b.size(); ++index) {
        const InlineRun &x = a.at(index);
        const InlineRun &y = b.at(index);
        if (x.styles != y.styles || x.link != y.link)
            return offset;
        const qsizetype common =
            std::mismatch(x.text.cbegin(), x.text.cend(), y.text.cbegin(), y.text.cend()).first - x.text.cbegin();
        // Adjacent runs differ in look: a run that stops short is a difference.
        if (common < x.text.size() || common < y.text.size())
            return offset + common;
        offset += common;
    }
    return offset;
}

int stableInlinePrefixLength(const QString &text)
{
    const qsizetype blank = text.lastIndexOf(QLatin1String("\n\n"));
    return blank < 0 ? 0 : int(blank + 2);
}
