#include "content/InlineRendering.h"

#include "text/InlineMarkdown.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <QTextDocument>

namespace {

void insertRuns(QTextCursor &cursor, const QString &text, const QTextCharFormat &plain, bool keepBlock)
{
    if (text.isEmpty())
        return;
    const QFont base = plain.font();
    // One insertion, then the styles over their ranges, in one edit: every
    // separate insertion would lay the paragraph out again.
    cursor.beginEditBlock();
    const QList<InlineRun> runs = parseInlineMarkdown(text);
    const int start = cursor.position();
    QString plainText = inlinePlainText(runs);
    if (keepBlock)
        plainText.replace(QLatin1Char('\n'), QChar::LineSeparator);
    cursor.insertText(plainText, plain);
    const int end = cursor.position();
    int position = start;
    for (const InlineRun &run : runs) {
        const int length = int(run.text.size());
        if (run.styles) {
            QTextCharFormat format = plain;
            if (run.styles & InlineStyle::Code) {
                QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
                mono.setPixelSize(qMax(1, base.pixelSize() - 1));
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
            cursor.setPosition(position);
            cursor.setPosition(position + length, QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
        position += length;
    }
    cursor.setPosition(end);
    cursor.endEditBlock();
}

} // namespace

void insertInlineMarkdown(QTextCursor &cursor, const QString &text)
{
    QTextCharFormat plain;
    plain.setFont(cursor.document()->defaultFont());
    insertRuns(cursor, text, plain, false);
}

void insertInlineMarkdown(QTextCursor &cursor, const QString &text, const QTextCharFormat &base)
{
    insertRuns(cursor, text, base, true);
}

int stableInlinePrefixLength(const QString &text)
{
    const qsizetype blank = text.lastIndexOf(QLatin1String("\n\n"));
    return blank < 0 ? 0 : int(blank + 2);
}
