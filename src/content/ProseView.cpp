// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/ProseView.h"

#include "content/FormulaObject.h"
#include "content/FormulaText.h"
#include "content/InlineRendering.h"
#include "platform/AssignIfChanged.h"
#include "ui/BareScrollArea.h"
#include "ui/PixelFont.h"

#include <QDesktopServices>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextDocumentFragment>
#include <QScrollBar>
#include <QUrl>
#include <QTextDocument>
#include <QWheelEvent>

ProseView::ProseView(QWidget *parent)
    : QTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard | Qt::LinksAccessibleByMouse);
    makeBare(this);
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    setUndoRedoEnabled(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    viewport()->setCursor(Qt::IBeamCursor);
    document()->setDocumentMargin(0);
    document()->setUndoRedoEnabled(false);
    const QFont font = pixelFont(this->font(), 14);
    setFont(font);
    document()->setDefaultFont(font);
    setFocusPolicy(Qt::ClickFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    connect(new FormulaObject(this), &FormulaObject::formulasTypeset, this, &ProseView::formulasTypeset);
    // The host sizes the view to its text; it never scrolls, not even to follow
    // the caret past a width narrower than the layout width.
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, bar, [bar](int value) {
            if (value != 0)
                bar->setValue(0);
        });
    }
}

void ProseView::setRawText(const QString &text)
{
    if (text == m_raw)
        return;
    // Only text that grew past the settled part can keep what is already rendered.
    const bool grew = text.size() > m_raw.size() && text.startsWith(m_raw);
    const int from = grew ? m_stableLength : 0;
    m_raw = text;
    render(from);
    Q_EMIT contentSizeChanged();
}

void ProseView::render(int from)
{
    QTextCursor cursor(document());
    // One edit for the removal and the insertions: the tail is laid out once.
    cursor.beginEditBlock();
    if (from == 0) {
        document()->clear();
        m_stableDocumentPosition = 0;
    } else {
        cursor.setPosition(m_stableDocumentPosition);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    // The settled part of the new tail is rendered on its own, so its end is
    // known as a document position for the next update.
    const QString tail = m_raw.mid(from);
    const int settled = stableInlinePrefixLength(tail);
    insertInlineMarkdown(cursor, tail.left(settled));
    m_stableLength = from + settled;
    m_stableDocumentPosition = cursor.position();
    insertInlineMarkdown(cursor, tail.mid(settled));
    cursor.endEditBlock();
}

void ProseView::setLayoutWidth(int width)
{
    width = qMax(1, width);
    if (!assignIfChanged(m_layoutWidth, width))
        return;
    setLineWrapColumnOrWidth(width);
    document()->setTextWidth(width);
}

int ProseView::idealWidth() const
{
    return qCeil(document()->idealWidth()) + 1;
}

int ProseView::contentHeight() const
{
    return qCeil(document()->size().height());
}

void ProseView::mouseReleaseEvent(QMouseEvent *event)
{
    QTextEdit::mouseReleaseEvent(event);
    // A click (not the end of a selection) on a link opens it.
    const QString link = anchorAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && !link.isEmpty() && !textCursor().hasSelection())
        QDesktopServices::openUrl(QUrl(link));
}

void ProseView::wheelEvent(QWheelEvent *event)
{
    // Never scrolls itself: the conversation scrolls.
    event->ignore();
}

QMimeData *ProseView::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    const QTextCursor selection = textCursor();
    data->setText(formulaAwareText(document(), selection.selectionStart(), selection.selectionEnd()));
    return data;
}
