#include "content/SyntaxColoredCodeView.h"

#include <QFontDatabase>
#include <QTextCharFormat>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QWheelEvent>

#include <algorithm>

SyntaxColoredCodeView::SyntaxColoredCodeView(const QString &code, const QString &lang, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_lang(lang)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::ClickFocus);
    document()->setDocumentMargin(0);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(12);
    font.setWeight(QFont::Normal);
    setFont(font);
    document()->setDefaultFont(font);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, syntaxColorValue(SyntaxColor::Base));
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    setCode(code);
}

void SyntaxColoredCodeView::setCode(const QString &code)
{
    if (code == m_code && !code.isEmpty())
        return;
    const bool grew = code.size() > m_code.size() && code.startsWith(m_code);
    QTextCursor cursor(document());
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
    Q_EMIT contentSizeChanged();
}

void SyntaxColoredCodeView::recolourFrom(qsizetype from)
{
    from = qBound<qsizetype>(0, from, m_code.size());
    QTextCursor cursor(document());
    cursor.setPosition(int(from));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.setCharFormat(baseFormat());
    const QList<SyntaxColorRun> &runs = m_colorer.runs();
    auto run = std::partition_point(runs.cbegin(), runs.cend(),
                                    [from](const SyntaxColorRun &r) { return r.end() <= from; });
    for (; run != runs.cend(); ++run) {
        cursor.setPosition(int(qMax(run->start, from)));
        cursor.setPosition(int(run->end()), QTextCursor::KeepAnchor);
        QTextCharFormat format;
        format.setForeground(syntaxColorValue(run->color));
        cursor.mergeCharFormat(format);
    }
}

QTextCharFormat SyntaxColoredCodeView::baseFormat() const
{
    QTextCharFormat format;
    format.setFont(font());
    format.setForeground(syntaxColorValue(SyntaxColor::Base));
    return format;
}

int SyntaxColoredCodeView::naturalWidth() const
{
    // The plain-text layout tracks the widest unwrapped line.
    return qCeil(document()->documentLayout()->documentSize().width()) + 2;
}

int SyntaxColoredCodeView::contentHeight() const
{
    const QTextBlock last = document()->lastBlock();
    return qCeil(blockBoundingGeometry(last).bottom()) + 1;
}

void SyntaxColoredCodeView::wheelEvent(QWheelEvent *event)
{
    // Sideways scrolling belongs to the block; up and down to the conversation.
    if (qAbs(event->angleDelta().x()) > qAbs(event->angleDelta().y()) ||
        (event->modifiers() & Qt::ShiftModifier)) {
        QPlainTextEdit::wheelEvent(event);
        return;
    }
    event->ignore();
}
