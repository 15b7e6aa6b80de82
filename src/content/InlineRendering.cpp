#include "content/InlineRendering.h"

#include "text/InlineMarkdown.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <QTextDocument>

void insertInlineMarkdown(QTextCursor &cursor, const QString &text)
{
    if (text.isEmpty())
        return;
    const QFont base = cursor.document()->defaultFont();
    QTextCharFormat plain;
    plain.setFont(base);
    // One insertion, then the styles over their ranges, in one edit: every
    // separate insertion would lay the paragraph out again.
    cursor.beginEditBlock();
    const QList<InlineRun> runs = parseInlineMarkdown(text);
    const int start = cursor.position();
    cursor.insertText(inlinePlainText(runs), plain);
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

int stableInlinePrefixLength(const QString &text)
{
    const qsizetype blank = text.lastIndexOf(QLatin1String("\n\n"));
    return blank < 0 ? 0 : int(blank + 2);
}
