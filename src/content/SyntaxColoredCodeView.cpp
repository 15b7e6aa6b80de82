// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/SyntaxColoredCodeView.h"

#include "content/HoverScrollBar.h"
#include "ui/BareScrollArea.h"
#include "ui/LauncherColors.h"
#include "ui/PixelFont.h"

#include <QFontDatabase>
#include <QTextCharFormat>
#include <QScrollBar>
#include <QTextCursor>
#include <QWheelEvent>

#include <algorithm>

SyntaxColoredCodeView::SyntaxColoredCodeView(const QString &code, const QString &lang, QWidget *parent)
    : QTextEdit(parent)
    , m_lang(lang)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    makeBare(this);
    setLineWrapMode(QTextEdit::NoWrap);
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::ClickFocus);
    document()->setDocumentMargin(0);
    const QFont font = pixelFont(QFontDatabase::systemFont(QFontDatabase::FixedFont), 12, QFont::Normal);
    setFont(font);
    document()->setDefaultFont(font);
    m_dark = !LauncherColors::of(this).dark;
    followAppearance();
    setCode(code);
}

void SyntaxColoredCodeView::followAppearance()
{
    const bool dark = LauncherColors::of(this).dark;
    if (dark == m_dark)
        return;
    m_dark = dark;
    m_colors = CodeBlockColors::forAppearance(dark);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, m_colors.base);
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    recolourFrom(0);
}

void SyntaxColoredCodeView::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        followAppearance();
}

void SyntaxColoredCodeView::setCode(const QString &code)
{
    if (code == m_code && !code.isEmpty())
        return;
    const bool grew = code.size() > m_code.size() && code.startsWith(m_code);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    if (grew) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(code.mid(m_code.size()), baseFormat());
    } else {
        document()->clear();
        cursor.insertText(code, baseFormat());
    }
    m_colorer.update(code);
    m_code = code;
    recolourFrom(grew ? m_colorer.changedFrom() : 0);
    cursor.endEditBlock();
    // The caret, pushed along by the insertion, would pull the view to the end of the lines.
    if (!textCursor().hasSelection()) {
        QTextCursor start(document());
        setTextCursor(start);
    }
    Q_EMIT contentSizeChanged();
}

void SyntaxColoredCodeView::recolourFrom(qsizetype from)
{
    from = qBound<qsizetype>(0, from, m_code.size());
    QTextCursor cursor(document());
    // One edit, so the changed lines are laid out once, not once per run.
    cursor.beginEditBlock();
    cursor.setPosition(int(from));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.setCharFormat(baseFormat());
    const QList<SyntaxColorRun> &runs = m_colorer.runs();
    auto run =
        std::partition_point(runs.cbegin(), runs.cend(), [from](const SyntaxColorRun &r) { return r.end() <= from; });
    for (; run != runs.cend(); ++run) {
        cursor.setPosition(int(qMax(run->start, from)));
        cursor.setPosition(int(run->end()), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(m_colors.syntax(run->color));
        cursor.mergeCharFormat(format);
    }
    cursor.endEditBlock();
}

QTextCharFormat SyntaxColoredCodeView::baseFormat() const
{
    QTextCharFormat format;
    format.setFont(font());
    format.setForeground(m_colors.base);
    return format;
}

int SyntaxColoredCodeView::naturalWidth() const
{
    return qCeil(document()->idealWidth()) + 2;
}

int SyntaxColoredCodeView::contentHeight() const
{
    return qCeil(document()->size().height()) + 1;
}

void SyntaxColoredCodeView::wheelEvent(QWheelEvent *event)
{
    // Sideways (or with Shift) scrolling belongs to the block; up and down to the conversation.
    if (!scrollSideways(this, event))
        event->ignore();
}
