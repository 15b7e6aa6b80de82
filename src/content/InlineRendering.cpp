#include "content/InlineRendering.h"

#include "content/InlineMarkdown.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <QTextDocument>

void insertInlineMarkdown(QTextCursor &cursor, const QString &text)
{
    if (text.isEmpty())
        return;
    const QFont base = cursor.document()->defaultFont();
    for (const InlineRun &run : parseInlineMarkdown(text)) {
        QTextCharFormat format;
        if (run.styles & InlineStyle::Code) {
            QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            mono.setPixelSize(qMax(1, base.pixelSize() - 1));
            format.setFont(mono);
            format.setBackground(QColor(127, 127, 127, 40));
        } else {
            format.setFont(base);
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
        cursor.insertText(run.text, format);
    }
}

int stableInlinePrefixLength(const QString &text)
{
    const qsizetype blank = text.lastIndexOf(QLatin1String("\n\n"));
    return blank < 0 ? 0 : int(blank + 2);
}
